#include "backup/ExitDialog.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/AppContext.h"
#include "backup/Backup.h"
#include "backup/BackupRules.h"
#include "backup/ExitProgram.h"
#include "env/Optimisation.h"
#include "menu/MainMenuWindow.h"

namespace {
QString BackupFolder(const AppContext& ctx) {
    return ctx.company.text(QStringLiteral("BACKUPフォルダ"));
}
}  // namespace

ExitDialog::ExitDialog(AppContext& ctx, const QString& title, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("msg終了確認"));
    setWindowTitle(title);
    auto* message = new QLabel(QStringLiteral("バックアップをし終了しますか？"), this);
    message->setObjectName(QStringLiteral("lab_msg"));
    message->setAlignment(Qt::AlignCenter);
    message->setMargin(12);
    const auto button = [this](const QString& name, const QString& caption, qint16 choice) {
        auto* created = new QPushButton(caption, this);
        created->setObjectName(name);
        created->setAutoDefault(true);
        connect(created, &QPushButton::clicked, this, [this, choice] {
            ctx_.exitChoice = choice;
            accept();
        });
        return created;
    };
    auto* powerOff = button(QStringLiteral("btn_BackupShutdown"),
                            QStringLiteral("バックアップと電源切断"), kBackupEndAndPowerOff);
    auto* backup =
        button(QStringLiteral("btn_BACKUP"), QStringLiteral("バックアップ"), kBackupAndEnd);
    auto* end = button(QStringLiteral("btn_終了"), QStringLiteral("終了"), kEnd);
    auto* no = button(QStringLiteral("btn_いいえ"), QStringLiteral("いいえ"), kStay);
    const bool canBackUp = !BackupFolder(ctx_).isEmpty();
    powerOff->setEnabled(canBackUp);
    backup->setEnabled(canBackUp);
    if (!canBackUp) {
        for (QPushButton* each : {powerOff, backup}) {
            each->setToolTip(kNoBackupFolder);
        }
    }

    auto* buttons = new QHBoxLayout;
    for (QPushButton* each : {powerOff, backup, end, no}) {
        buttons->addWidget(each);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addLayout(buttons);

    // Before five the day's work goes on: "終了" is proposed; from five "バックアップ".
    const bool evening =
        ctx_.clock.now().time().toString(QStringLiteral("HH:mm")) >= QStringLiteral("17:00");
    const QList<QPushButton*> order = evening ? QList<QPushButton*>{backup, end, no, powerOff}
                                              : QList<QPushButton*>{end, no, backup, powerOff};
    for (qsizetype i = 0; i + 1 < order.size(); ++i) {
        setTabOrder(order[i], order[i + 1]);
    }
    for (QPushButton* candidate : order) {
        if (candidate->isEnabled()) {
            candidate->setDefault(true);
            candidate->setFocus();
            break;
        }
    }
    ctx_.exitChoice = kStay;
}

qint16 ConfirmExit(AppContext& ctx, const QString& title, QWidget* parent) {
    ExitDialog dialog(ctx, title, parent);
    dialog.exec();
    return ctx.exitChoice;
}

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
    } else if (ctx.exitChoice == kBackupAndEnd) {
        ctx.dialogs.information(QStringLiteral("バックアップを完了しました。"));
    }
}

bool OnExitRequested(AppContext& ctx, MainMenuWindow& window) {
    const qint16 choice = ConfirmExit(ctx, QStringLiteral("ヌモリカ"), &window);
    if (choice == kEnd) {
        ExitProgram(ctx);
        return true;
    }
    if (choice == kBackupAndEnd || choice == kBackupEndAndPowerOff) {
        RunBackup(ctx, window);
        ExitProgram(ctx);
        return true;
    }
    return false;
}
