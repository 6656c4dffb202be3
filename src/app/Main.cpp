#include "app/Main.h"

#include <QApplication>
#include <optional>

#include "app/ExitProcedure.h"
#include "app/FrontRequest.h"
#include "app/PleaseWaitWindow.h"
#include "backup/ExitProgram.h"
#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "env/CompanySettings.h"
#include "env/Environment.h"
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
    if (!instance.acquire()) {
        // Ends at once and touches no database, but the running menu comes to the front.
        if (AskRunningMenuToFront(FrontRequestName(ctx.process))) {
            qInfo("%s", qUtf8Printable(QStringLiteral("起動中のメニューを前面に表示しました。")));
        }
        return nullptr;
    }
    // The read that checks the business file goes on into the company settings and the menu.
    ctx.business.keepOpeningRead = true;
    const bool opened = OpenEnvironment(ctx);
    ctx.business.keepOpeningRead = false;
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
    new FrontRequestListener(FrontRequestName(ctx.process), *window);
    window->show();
    return window;
}

void OnEndRequested(AppContext& ctx) {
    // The backup stops at its next slice; the exit procedure then ends the program.
    if (ctx.workStop != nullptr) {
        ctx.workStop->request();
        return;
    }
    // A further signal while the end is under way closes the box that holds it up.
    if (ctx.ending) {
        if (QWidget* box = QApplication::activeModalWidget()) {
            box->close();
        }
        return;
    }
    ExitProgram(ctx);
}

int RunMenuProgram(AppContext& ctx) {
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &termination,
                     [&ctx] { OnEndRequested(ctx); });
    SingleInstance instance(ctx.process.lockFolder, ctx.process.executableName,
                            ctx.process.userName);
    PleaseWaitWindow pleaseWait;
    ctx.pleaseWait = &pleaseWait;
    const auto window = Main(ctx, instance);
    if (!window) {
        return 0;
    }
    return QApplication::exec();
}

int RunMenuProcess(const QStringList& arguments) {
    PrepareApplication(kProgramId);
    QtDialogs dialogs;
    QtShell shell;
    SystemClock clock;
    FileRegistryStore registry = FileRegistryStore::ForThisUser();
    AppContext ctx(dialogs, shell, clock, registry, ReadProcessInfo(arguments));
    return RunMenuProgram(ctx);
}
