#include "backup/ExitProgram.h"

#include <QCoreApplication>

#include "app/AppContext.h"
#include "app/Environment.h"
#include "signin/SignedInCode.h"

void ExitProgram(AppContext& ctx) {
    if (ctx.ended) {
        return;
    }
    ClearSignedInCode(ctx);
    CloseEnvironmentOnce(ctx);
    QCoreApplication::quit();
}
