#pragma once

#include <QWidget>
#include <array>

#include "menu/MenuStore.h"
#include "platform/NoticePanel.h"

class QFrame;
class QLabel;
class QPushButton;
class QTabWidget;
struct AppContext;

// The main menu window menヌモリカマイメニュ: three tabs of eight program buttons.
class MainMenuWindow final : public QWidget, public NoticePanel {
    Q_OBJECT
public:
    explicit MainMenuWindow(AppContext& ctx, QWidget* parent = nullptr);

    using MenuViews = std::array<MenuTabView, kMenuTabs>;

    // The three tabs as the menu table holds them; the caller holds the read transaction.
    MenuViews readMenu();
    // Appends the company to the caption, composes the title and builds the three tabs, read in
    // one read transaction of their own or given as read.
    void load();
    void load(const MenuViews& views);
    // Resets one tab and fills it from the menu table.
    void buildMenuTab(const QString& table, int tabPosition);
    // Puts a tab's rows on it as the tab build does, and tells its message afterwards.
    void showMenuTab(int tabPosition, const MenuTabView& view);
    void focusFirstButton();
    void layoutNormal();
    void layoutMaximized();

    QLabel* noticePanel() const { return notice_; }
    QLabel* titlePanel() const { return title_; }
    QFrame* basePanel() const { return base_; }
    QTabWidget* tabs() const { return tabs_; }
    QPushButton* exitButton() const { return exit_; }
    QPushButton* menuButton(int tab, int index) const { return buttons_[tab][index]; }
    QLabel* descriptionLabel(int tab, int index) const { return descriptions_[tab][index]; }
    void setNotice(const QString& text) override;

Q_SIGNALS:
    // The exit button or the window's close box.
    void exitRequested();
    // A description was double-clicked: the slot's settings are to be edited, then the tab
    // rebuilt (ConnectMenuSettings does both).
    void settingsRequested(int tab, int index);
    // The base panel was double-clicked, or Ctrl+Shift+O pressed, by someone who may choose the
    // operating office.
    void officeRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void tabChanged();
    // The office gestures: officeRequested for someone who may choose the operating office.
    void askForOffice();
    // F2: the settings of the focused program button, or a choice of the tab's slots.
    void editFocusedSlot();
    // The small menu of a program button (context-menu key, Shift+F10, right click).
    void offerSettings(QPushButton* button);
    // Number keys for the buttons, Ctrl+number and Ctrl+Tab for the tabs, F1 for the manual,
    // F2 for the settings, Ctrl+Shift+O for the operating office.
    void useKeyboard();
    int twips(int value, Qt::Orientation orientation) const;

    AppContext& ctx_;
    QFrame* base_;
    QLabel* title_;
    QLabel* manual_;
    QTabWidget* tabs_;
    QLabel* notice_;
    QPushButton* exit_;
    std::array<std::array<QPushButton*, kMenuButtons>, kMenuTabs> buttons_{};
    std::array<std::array<QLabel*, kMenuButtons>, kMenuTabs> descriptions_{};
    bool suppressTabChange_ = false;
    // The base panel's design size, which a low screen makes smaller.
    QSize designSize_;
};
