#include "app/ExitProcedure.h"

#include <QLabel>
#include <QPushButton>

#include "app/ProgressWindow.h"
#include "backup/Backup.h"
#include "backup/BackupRules.h"
#include "backup/ExitDialog.h"
#include "backup/ExitProgram.h"
#include "context/AppContext.h"
#include "env/Optimisation.h"
#include "menu/MainMenuWindow.h"

void RunBackup(AppContext& ctx, MainMenuWindow& window) {
    window.noticePanel()->show();
    window.exitButton()->hide();
    if (ctx.pleaseWait != nullptr) {
        // The progress is read in the notice panel: the please-wait window stays off it.
        const QWidget* notice = window.noticePanel();
        ctx.pleaseWait->placeClearOf(QRect(notice->mapToGlobal(QPoint(0, 0)), notice->size()));
        ctx.pleaseWait->show();
    }
    const QString folder = WeekdayFolder(BackupFolder(ctx), ctx.clock.now().date());
    OptimiseConfiguration(ctx);
    // The copy runs on a worker; the window waits for it and takes no input meanwhile.
    const BackupPlan plan = PlanBackup(ctx, folder);
    ProgressWindow progress(ctx.notice, &window);
    ctx.workStop = &progress.stopToken();
    const BackupResult result =
        progress.run([&plan](const BackupProgress& sink, const StopToken& stop) {
            return BackUp(plan, sink, stop);
        });
    ctx.workStop = nullptr;
    FinishBackup(ctx, result);
    const bool foldersWhole =
        !result.copied || result.stopped || CopyUserFolders(ctx, folder).isEmpty();
    window.noticePanel()->hide();
    window.exitButton()->show();
    if (ctx.pleaseWait != nullptr) {
        ctx.pleaseWait->hide();
    }
    // Stopped because the program is being ended: no box may hold the end up.
    if (result.stopped) {
        return;
    }
    // A failure is never reported as no data: the user learns that last week's copy is kept.
    if (result.sourceFailed) {
        ctx.dialogs.information(kBackupSourceFailed);
    } else if (result.busy) {
        ctx.dialogs.information(kBackupBusy);
    } else if (!result.failedGroups.isEmpty()) {
        ctx.dialogs.information(kBackupPartlyFailed);
    } else if (!result.copied) {
        ctx.dialogs.information(QStringLiteral("対象データが有りません。"));
    } else if (!foldersWhole) {
        ctx.dialogs.information(kBackupFoldersFailed);
    } else if (ctx.exitChoice == ExitChoice::BackupAndEnd) {
        ctx.dialogs.information(QStringLiteral("バックアップを完了しました。"));
    }
}

bool OnExitRequested(AppContext& ctx, MainMenuWindow& window) {
    const ExitChoice choice = ConfirmExit(ctx, QStringLiteral("ヌモリカ"), &window);
    if (choice == ExitChoice::End) {
        ExitProgram(ctx);
        return true;
    }
    if (choice == ExitChoice::BackupAndEnd || choice == ExitChoice::BackupEndAndPowerOff) {
        RunBackup(ctx, window);
        ExitProgram(ctx);
        return true;
    }
    return false;
}
