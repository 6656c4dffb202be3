#include "app/Main.h"

#include <QApplication>
#include <QThread>
#include <optional>

#include "app/ExitProcedure.h"
#include "app/FrontRequest.h"
#include "app/PleaseWaitWindow.h"
#include "backup/ExitProgram.h"
#include "context/AppContext.h"
#include "db/ConnectionString.h"
#include "db/DatabaseFile.h"
#include "db/DbAccess.h"
#include "db/DbConnection.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"
#include "env/InstallPaths.h"
#include "menu_settings/MenuSettingsWindow.h"
#include "platform/QtApplication.h"
#include "platform/QtDialogs.h"
#include "platform/QtShell.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "signin/SignInDialog.h"

std::unique_ptr<MainMenuWindow> Main(AppContext& ctx, SingleInstance& instance) {
    auto window = std::make_unique<MainMenuWindow>(ctx);
    ConnectMenuSettings(ctx, *window);
    const SingleInstance::Lock lock = instance.acquire();
    if (lock == SingleInstance::Lock::HeldByAnother) {
        // Ends at once and touches no database, but the running menu comes to the front.
        if (AskRunningMenuToFront(FrontRequestName(ctx.process))) {
            qInfo("%s", qUtf8Printable(QStringLiteral("起動中のメニューを前面に表示しました。")));
        }
        return nullptr;
    }
    if (lock == SingleInstance::Lock::Failed) {
        // Not another menu: a folder the user cannot use. Told, never a silent end.
        const QString text =
            QStringLiteral("メニューの起動を確認するファイルを作れないため、終了します。\n") +
            (instance.fileName().isEmpty() ? ctx.process.lockProblem : instance.fileName());
        qWarning("%s", qUtf8Printable(text));
        ctx.dialogs.information(text);
        return nullptr;
    }
    // From here a second start brings this one to the front, the sign-in dialog or a box too.
    new FrontRequestListener(FrontRequestName(ctx.process), *window);
    // The read that checks the business file goes on into the company settings and the menu.
    ctx.business.keepOpeningRead = true;
    const bool opened = OpenEnvironment(ctx);
    ctx.business.keepOpeningRead = false;
    // Writes that would fail one by one all through the run are told once, before anything else.
    if (const QString denied =
            MissingWriteRight(ConfigDatabasePath(ctx.paths.userConfigFolder, ctx.paths.configKind),
                              ctx.databaseDefinition.kind == QLatin1String("A")
                                  ? ComposeDaoOpenArguments(ctx.databaseDefinition).name
                                  : QString());
        !denied.isEmpty()) {
        ctx.dialogs.information(denied);
        CloseEnvironmentOnce(ctx);
        return nullptr;
    }
    if (!opened) {
        ctx.dialogs.information(FirstRunMessage());
        // Ended while the message was open (SIGTERM): the setup program is not wanted any more.
        if (ctx.ending) {
            return nullptr;
        }
        CloseEnvironmentOnce(ctx);
        StartEnvironmentSetup(ctx);
        return nullptr;
    }
    // The company settings and the menu are read in one read transaction, unless a sign-in
    // dialog waits for the user between them: a file server is asked once, not twice.
    std::optional<ReadTogether> reads;
    reads.emplace(ctx.business);
    if (!LoadCompanySettings(ctx)) {
        reads.reset();
        ctx.dialogs.information(QStringLiteral("ユーザ情報が有りません"));
        ExitProgram(ctx);
        return nullptr;
    }
    if (ctx.pinRequired == 1) {
        reads.reset();
        if (!ShowSignIn(ctx)) {
            ExitProgram(ctx);
            return nullptr;
        }
        reads.emplace(ctx.business);
    }
    ctx.notice = window.get();
    const MainMenuWindow::MenuViews views = window->readMenu();
    reads.reset();
    window->load(views);
    MainMenuWindow* shown = window.get();
    QObject::connect(shown, &MainMenuWindow::exitRequested, shown,
                     [&ctx, shown] { OnExitRequested(ctx, *shown); });
    window->show();
    return window;
}

void OnEndRequested(AppContext& ctx) {
    // The backup stops at its next slice; the exit procedure then ends the program.
    if (ctx.workStop != nullptr) {
        ctx.workStop->request();
        return;
    }
    // No box holds the end up: the one up now is closed, and once every event loop is told to
    // leave, a box the end itself shows (a code that cannot be cleared) does not wait either.
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->close();
    }
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
    ExitProgram(ctx);
}

int RunMenuProgram(AppContext& ctx) {
    TerminationSignals termination(nullptr, InterruptLongStatements);
    QObject::connect(&termination, &TerminationSignals::received, &termination,
                     [&ctx] { OnEndRequested(ctx); });
    SingleInstance instance(ctx.process.lockFolder, ctx.process.executableName,
                            ctx.process.userName);
    PleaseWaitWindow pleaseWait;
    ctx.pleaseWait = &pleaseWait;
    const auto window = Main(ctx, instance);
    if (!window) {
        return instance.state() == SingleInstance::Lock::Failed ? 1 : 0;
    }
    return QApplication::exec();
}

int RunMenuProcess(const QStringList& arguments) {
    PrepareApplication(kProgramId);
    const ProcessInfo process = ReadProcessInfo(arguments);
    // The window class is the program's name (StartupWMClass of the desktop entry) and its
    // application id the installed entry's, so that docks pair the window with its launcher.
    if (const auto base = FindProgramBase(process.programFolder)) {
        QGuiApplication::setDesktopFileName(DesktopEntryId(*base));
    }
    QtDialogs dialogs;
    QtShell shell;
    SystemClock clock;
    FileRegistryStore registry = FileRegistryStore::ForThisUser();
    AppContext ctx(dialogs, shell, clock, registry, process);
    return RunMenuProgram(ctx);
}
