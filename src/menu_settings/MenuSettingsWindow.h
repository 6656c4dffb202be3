#pragma once

#include <QDialog>
#include <array>

#include "menu_settings/MenuSettings.h"

class MainMenuWindow;
class QLabel;
class QLineEdit;
struct AppContext;

// wndマイメニュ設定: edits one button of the signed-in person's menu.
class MenuSettingsWindow final : public QDialog {
    Q_OBJECT
public:
    explicit MenuSettingsWindow(AppContext& ctx, QWidget* parent = nullptr);

    const MenuSettingsRecord& record() const { return record_; }
    void showRecord();
    // The program file dialog of the path field.
    void chooseProgramFile();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* addField(const QString& name, const QString& caption, int limit);
    void fieldLeft(QLineEdit* field);
    void pathLeft();
    // A button pressed from the keyboard does not take the focus: the field's check runs first.
    void commitFocusedField();
    void save();
    void remove();

    AppContext& ctx_;
    MenuSettingsRecord record_;
    QLineEdit* title_;
    QLineEdit* programName_;
    QLineEdit* path_;
    QLineEdit* description_;
    std::array<QLabel*, kConditionCount> itemCaptions_{};
    std::array<QLineEdit*, kConditionCount> values_{};
    QLabel* notice_;
};

// Opens the settings window for a slot, modally; returns when it has closed.
void OpenMenuSettings(AppContext& ctx, const QString& table, int tabPosition, int detailPosition,
                      QWidget* parent = nullptr);

// Lets a description of the main window open the settings of its slot; the tab is rebuilt when
// the window has closed.
void ConnectMenuSettings(AppContext& ctx, MainMenuWindow& window);
