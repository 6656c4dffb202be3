#pragma once

#include <QDialog>

#include "backup/ExitChoice.h"

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

// Shows the exit dialog; answers the choice (kStay when it was closed otherwise).
qint16 ConfirmExit(AppContext& ctx, const QString& title, QWidget* parent = nullptr);

class MainMenuWindow;

// The main window's exit button and close box. False when the window stays open.
bool OnExitRequested(AppContext& ctx, MainMenuWindow& window);

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
inline const QString kBackupBusy =
    QStringLiteral("別の端末が同じフォルダにバックアップ中のため、バックアップしませんでした。");

// Optimises the configuration, backs up into the weekday folder, copies the photo and document
// folders, and tells the outcome. The please-wait window and the notice show the progress.
void RunBackup(AppContext& ctx, MainMenuWindow& window);
