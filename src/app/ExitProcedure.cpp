#include "app/ExitProcedure.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

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
    QCoreApplication::processEvents();
    if (ctx.pleaseWait != nullptr) {
        // The progress is read in the notice panel: the please-wait window stays off it.
        const QWidget* notice = window.noticePanel();
        ctx.pleaseWait->placeClearOf(QRect(notice->mapToGlobal(QPoint(0, 0)), notice->size()));
        ctx.pleaseWait->show();
    }
    QCoreApplication::processEvents();
    const QString folder = WeekdayFolder(BackupFolder(ctx), ctx.clock.now().date());
    OptimiseConfiguration(ctx);
    const BackupResult result = BackupDatabases(ctx, folder);
    if (result.copied) {
        CopyUserFolders(ctx, folder);
    }
    window.noticePanel()->hide();
    window.exitButton()->show();
    if (ctx.pleaseWait != nullptr) {
        ctx.pleaseWait->hide();
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
