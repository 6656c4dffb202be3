#include "backup/ExitDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "backup/Backup.h"
#include "backup/BackupRules.h"
#include "context/AppContext.h"

ExitDialog::ExitDialog(AppContext& ctx, const QString& title, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("msg終了確認"));
    setWindowTitle(title);
    auto* message = new QLabel(QStringLiteral("バックアップをし終了しますか？"), this);
    message->setObjectName(QStringLiteral("lab_msg"));
    message->setAlignment(Qt::AlignCenter);
    message->setMargin(12);
    const auto button = [this](const QString& name, const QString& caption, ExitChoice choice) {
        auto* created = new QPushButton(caption, this);
        created->setObjectName(name);
        created->setAutoDefault(true);
        connect(created, &QPushButton::clicked, this, [this, choice] {
            ctx_.exitChoice = choice;
            accept();
        });
        return created;
    };
    auto* powerOff =
        button(QStringLiteral("btn_BackupShutdown"), QStringLiteral("バックアップと電源切断"),
               ExitChoice::BackupEndAndPowerOff);
    auto* backup = button(QStringLiteral("btn_BACKUP"), QStringLiteral("バックアップ"),
                          ExitChoice::BackupAndEnd);
    auto* end = button(QStringLiteral("btn_終了"), QStringLiteral("終了"), ExitChoice::End);
    auto* no = button(QStringLiteral("btn_いいえ"), QStringLiteral("いいえ"), ExitChoice::Stay);
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
    ctx_.exitChoice = ExitChoice::Stay;
}

ExitChoice ConfirmExit(AppContext& ctx, const QString& title, QWidget* parent) {
    ExitDialog dialog(ctx, title, parent);
    dialog.exec();
    return ctx.exitChoice;
}
