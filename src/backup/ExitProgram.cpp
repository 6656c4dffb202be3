#include "backup/ExitProgram.h"

#include <QCoreApplication>
#include <QThread>

#include "context/AppContext.h"
#include "context/ExitChoice.h"
#include "env/Environment.h"
#include "signin/SignedInCode.h"

void ExitProgram(AppContext& ctx) {
    if (ctx.ending) {
        return;
    }
    ctx.ending = true;
    // A configuration never opened has no signed-in code to clear, and no box may hold up the
    // end, nor one closed on the way to the setup; one lost since (a failed re-open) is told,
    // since the code stays stored.
    if (ctx.config.wasOpened() && !ctx.ended) {
        ClearSignedInCode(ctx);
    }
    CloseEnvironmentOnce(ctx);
    if (ctx.exitChoice == ExitChoice::BackupEndAndPowerOff) {
        ctx.shell.powerOff();
    }
    // exit, not quit: quit would first ask the windows to close, and the main window leaves that
    // decision to this procedure. Before the event loop runs there is nothing to leave, and an
    // exit then would end every later dialog at once.
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
}
