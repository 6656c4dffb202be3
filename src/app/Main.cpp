#include "app/Main.h"

#include <QApplication>

#include "app/AppContext.h"
#include "app/Environment.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"

std::unique_ptr<MainMenuWindow> Main(AppContext& ctx, SingleInstance& instance) {
    auto window = std::make_unique<MainMenuWindow>();
    if (!instance.acquire()) {
        return nullptr;
    }
    if (!OpenEnvironment(ctx)) {
        ctx.dialogs.information(FirstRunMessage());
        CloseEnvironmentOnce(ctx);
        StartEnvironmentSetup(ctx);
        return nullptr;
    }
    QObject::connect(window.get(), &MainMenuWindow::exitRequested, window.get(),
                     [&ctx] { EndProgram(ctx); });
    window->show();
    return window;
}

void CloseEnvironmentOnce(AppContext& ctx) {
    if (!ctx.ended) {
        ctx.ended = true;
        CloseEnvironment(ctx);
    }
}

void EndProgram(AppContext& ctx) {
    CloseEnvironmentOnce(ctx);
    QCoreApplication::quit();
}

int RunMenuProgram(AppContext& ctx) {
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::received, &termination,
                     [&ctx] { EndProgram(ctx); });
    SingleInstance instance(ctx.process.lockFolder, ctx.process.executableName,
                            ctx.process.userName);
    const auto window = Main(ctx, instance);
    if (!window) {
        return 0;
    }
    return QApplication::exec();
}
