#pragma once

#include <QDialog>

#include "context/ExitChoice.h"

class QPushButton;
struct AppContext;

// msg終了確認: end, back up first, or back up and switch the workstation off.
class ExitDialog final : public QDialog {
    Q_OBJECT
public:
    ExitDialog(AppContext& ctx, const QString& title, QWidget* parent = nullptr);

private:
    AppContext& ctx_;
};

// Shows the exit dialog; answers the choice (Stay when it was closed otherwise).
ExitChoice ConfirmExit(AppContext& ctx, const QString& title, QWidget* parent = nullptr);

// Why the backup buttons cannot be chosen.
inline const QString kNoBackupFolder = QStringLiteral(
    "バックアップフォルダが設定されていません (会社または事業所の BACKUPフォルダ)。");

// What the user reads when the backup could not be made whole; the previous files are kept.
inline const QString kBackupSourceFailed = QStringLiteral(
    "業務データベースを開けないため、バックアップできませんでした。\n"
    "前回のバックアップはそのまま残っています。");
inline const QString kBackupPartlyFailed = QStringLiteral(
    "バックアップできなかったデータが有ります。\n"
    "前回のバックアップが有るファイルは、そのまま残しています。");
inline const QString kBackupFoldersFailed = QStringLiteral(
    "データはバックアップしましたが、写真フォルダまたはドキュメントフォルダを\n"
    "すべてはコピーできませんでした。");
inline const QString kBackupBusy =
    QStringLiteral("別の端末が同じフォルダにバックアップ中のため、バックアップしませんでした。");
