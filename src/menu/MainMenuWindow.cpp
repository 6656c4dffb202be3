#include "menu/MainMenuWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "env/WindowTitle.h"
#include "menu/Launch.h"
#include "platform/ProcessInfo.h"
#include "platform/ScreenFit.h"
#include "signin/OfficeDialogs.h"
#include "signin/OperatingOffice.h"
#include "text/NumberText.h"

namespace {
// The base panel's design size, in twips.
constexpr int kBaseWidthTwips = 11520;
constexpr int kBaseHeightTwips = 8160;
constexpr int kTwipsPerInch = 1440;
const QString kSettingsKeyTip = QStringLiteral("\nF2 キーでこのボタンを設定します。");

QLabel* Panel(const QString& name, const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMargin(4);
    return label;
}

QChar TabLetter(int tab) {
    return QChar(u'a' + tab);
}

// The tab of a program button, from the letter that ends its name.
int TabOf(const QPushButton* button) {
    return button->objectName().back().unicode() - u'a';
}
}  // namespace

MainMenuWindow::MainMenuWindow(AppContext& ctx, QWidget* parent)
    : QWidget(parent), ctx_(ctx), base_(new QFrame(this)) {
    setObjectName(QStringLiteral("menヌモリカマイメニュ"));
    setWindowTitle(kProgramId);
    base_->setObjectName(QStringLiteral("menubase"));
    base_->setFrameShape(QFrame::StyledPanel);
    title_ = Panel(QStringLiteral("prg_ttl"), QStringLiteral("マイメニュ"), base_);
    QFont titleFont = title_->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title_->setFont(titleFont);
    manual_ = Panel(QStringLiteral("manualpanel"), QStringLiteral("Manual"), base_);
    manual_->setAlignment(Qt::AlignCenter);
    manual_->setCursor(Qt::PointingHandCursor);
    manual_->setAccessibleName(QStringLiteral("Manual"));
    exit_ = new QPushButton(QStringLiteral("終了"), base_);
    exit_->setObjectName(QStringLiteral("btn_終了"));
    notice_ = Panel(QStringLiteral("お知らせ"), QString(), base_);
    notice_->setAccessibleName(QStringLiteral("お知らせ"));

    tabs_ = new QTabWidget(base_);
    tabs_->setObjectName(QStringLiteral("tab_menu"));
    for (int tab = 0; tab < kMenuTabs; ++tab) {
        auto* page = new QFrame;
        page->setObjectName(QStringLiteral("bak_menu"));
        page->setProperty("index", tab);
        page->installEventFilter(this);
        auto* grid = new QGridLayout(page);
        const QChar letter = TabLetter(tab);
        for (int i = 0; i < kMenuButtons; ++i) {
            auto* number = new QLabel(QStringLiteral("%1.").arg(i + 1), page);
            number->setObjectName(QStringLiteral("lab_menu") + letter);
            number->setProperty("index", i);
            auto* button = new QPushButton(page);
            button->setObjectName(QStringLiteral("btn_menu") + letter);
            button->setProperty("index", i);
            button->setMinimumWidth(220);
            auto* description = new QLabel(page);
            description->setObjectName(QStringLiteral("lab_menu") + letter +
                                       QStringLiteral("説明"));
            description->setProperty("index", i);
            description->installEventFilter(this);
            // An empty installation gives no other hint how its menu is filled.
            description->setToolTip(QStringLiteral("ダブルクリックでこのボタンを設定します。"));
            grid->addWidget(number, i, 0);
            grid->addWidget(button, i, 1);
            grid->addWidget(description, i, 2);
            buttons_[tab][i] = button;
            descriptions_[tab][i] = description;
            connect(button, &QPushButton::clicked, this,
                    [this, i] { LaunchMenuEntry(ctx_, tabs_->currentIndex(), i, kMenuTable); });
        }
        grid->setColumnStretch(2, 1);
        // The eight rows scroll where the screen is too low for them (a scale of 2).
        auto* scroll = new QScrollArea;
        scroll->setWidgetResizable(true);
        scroll->setFrameShape(QFrame::NoFrame);
        scroll->setWidget(page);
        tabs_->addTab(scroll, QStringLiteral("未設定タイトル"));
    }

    auto* header = new QHBoxLayout;
    header->addWidget(title_, 1);
    header->addWidget(manual_);
    header->addWidget(exit_);
    auto* layout = new QVBoxLayout(base_);
    layout->addLayout(header);
    layout->addWidget(tabs_, 1);
    layout->addWidget(notice_);

    title_->installEventFilter(this);
    manual_->installEventFilter(this);
    base_->installEventFilter(this);
    installEventFilter(this);
    useKeyboard();
    connect(exit_, &QPushButton::clicked, this, &MainMenuWindow::exitRequested);
    connect(tabs_, &QTabWidget::currentChanged, this, &MainMenuWindow::tabChanged);
    connect(this, &MainMenuWindow::officeRequested, this, [this] {
        if (ShowOfficeDialog(ctx_, this)) {
            title_->setText(ComposeWindowTitle(ctx_));
        }
    });

    designSize_ =
        QSize(twips(kBaseWidthTwips, Qt::Horizontal), twips(kBaseHeightTwips, Qt::Vertical));
    base_->resize(designSize_);
    resize(designSize_);
    // Never smaller than what the panel needs, so that nothing of it is cut off; smaller than its
    // design where the screen is (a fixed size would also take the window manager's maximize
    // away, which the menu keeps).
    setMinimumSize(base_->minimumSizeHint());
    FitIntoScreen(*this);
}

void MainMenuWindow::useKeyboard() {
    const auto shortcut = [this](const QKeySequence& keys, auto act) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, act);
    };
    // 1 to 8 start the buttons of the tab shown, Ctrl+1 to 3 show a tab.
    for (int i = 0; i < kMenuButtons; ++i) {
        shortcut(QKeySequence(Qt::Key_1 + i), [this, i] {
            QPushButton* button = buttons_[tabs_->currentIndex()][i];
            if (button->isEnabled()) {
                button->click();
            }
        });
    }
    for (int tab = 0; tab < kMenuTabs; ++tab) {
        shortcut(QKeySequence(Qt::CTRL | (Qt::Key_1 + tab)),
                 [this, tab] { tabs_->setCurrentIndex(tab); });
    }
    shortcut(QKeySequence::NextChild,
             [this] { tabs_->setCurrentIndex((tabs_->currentIndex() + 1) % kMenuTabs); });
    shortcut(QKeySequence::PreviousChild, [this] {
        tabs_->setCurrentIndex((tabs_->currentIndex() + kMenuTabs - 1) % kMenuTabs);
    });
    shortcut(QKeySequence::HelpContents, [this] { OpenManual(ctx_); });
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O), [this] { askForOffice(); });
    shortcut(QKeySequence(Qt::Key_F2), [this] { editFocusedSlot(); });
    // The manual panel is reached with Tab and pressed with Space or Enter, and shows its focus.
    manual_->setFocusPolicy(Qt::StrongFocus);
    manual_->setStyleSheet(
        QStringLiteral("QLabel#manualpanel:focus { border: 2px solid palette(highlight); }"));
    for (const auto& tab : buttons_) {
        for (QPushButton* button : tab) {
            button->installEventFilter(this);
        }
    }
}

int MainMenuWindow::twips(int value, Qt::Orientation orientation) const {
    const QScreen* shown = screen();
    const qreal dpi = shown == nullptr                ? 96.0
                      : orientation == Qt::Horizontal ? shown->logicalDotsPerInchX()
                                                      : shown->logicalDotsPerInchY();
    return qRound(value * dpi / kTwipsPerInch);
}

MainMenuWindow::MenuViews MainMenuWindow::readMenu() {
    MenuViews views;
    for (int tab = 0; tab < kMenuTabs; ++tab) {
        views[tab] = ReadMenuTab(ctx_, kMenuTable, tab);
    }
    return views;
}

void MainMenuWindow::load() {
    // The three tabs are read in one go and shown afterwards, so that a message waits for the
    // user with no lock held on the business file.
    MenuViews views;
    {
        const ReadTogether reads(ctx_.business);
        views = readMenu();
    }
    load(views);
}

void MainMenuWindow::load(const MenuViews& views) {
    setWindowTitle(windowTitle() + QStringLiteral("（") +
                   ctx_.company.text(QStringLiteral("名称")) + QStringLiteral("）"));
    tabs_->setCurrentIndex(0);
    suppressTabChange_ = true;
    title_->setText(ComposeWindowTitle(ctx_));
    for (int tab = 0; tab < kMenuTabs; ++tab) {
        showMenuTab(tab, views[tab]);
    }
}

void MainMenuWindow::buildMenuTab(const QString& table, int tabPosition) {
    showMenuTab(tabPosition, ReadMenuTab(ctx_, table, tabPosition));
}

void MainMenuWindow::showMenuTab(int tabPosition, const MenuTabView& view) {
    tabs_->setCurrentIndex(tabPosition);
    tabs_->setTabText(tabPosition, QStringLiteral("未設定タイトル"));
    for (int i = 0; i < kMenuButtons; ++i) {
        buttons_[tabPosition][i]->setText(QStringLiteral("未設定"));
        buttons_[tabPosition][i]->setEnabled(false);
        descriptions_[tabPosition][i]->clear();
    }
    tabs_->setTabText(tabPosition, view.caption);
    tabs_->setCurrentIndex(0);
    for (int i = 0; i < kMenuButtons; ++i) {
        QPushButton* button = buttons_[tabPosition][i];
        button->setText(view.buttonCaptions[i]);
        button->setEnabled(view.enabled[i]);
        button->setToolTip(TrimBlanks(view.filePaths[i]));
        if (button->isEnabled()) {
            // Beside the program it starts, how the button is edited from the keyboard.
            button->setToolTip(button->toolTip() + kSettingsKeyTip);
        }
        descriptions_[tabPosition][i]->setText(view.descriptions[i]);
    }
    if (!view.message.isEmpty()) {
        ctx_.dialogs.information(view.message);
    }
}

void MainMenuWindow::focusFirstButton() {
    QPushButton* first = buttons_[tabs_->currentIndex()][0];
    if (first->isEnabled()) {
        first->setFocus();
    }
}

void MainMenuWindow::tabChanged() {
    if (suppressTabChange_) {
        suppressTabChange_ = false;
        return;
    }
    focusFirstButton();
}

void MainMenuWindow::layoutNormal() {
    // Centred in the screen's free area with its title bar, which a window as high as the
    // whole screen would push off it.
    // Placed by its own area (setGeometry), not by its frame (move): before the window manager
    // has framed the window Qt takes the two for one, and the title bar went off the top.
    if (const QScreen* shown = screen(); shown != nullptr && windowState() == Qt::WindowNoState) {
        const QRect area = shown->availableGeometry();
        const QMargins frame = FrameMargins(*this);
        const QSize outer = size().grownBy(frame);
        const QPoint corner(area.x() + qMax(0, (area.width() - outer.width()) / 2),
                            area.y() + qMax(0, (area.height() - outer.height()) / 2));
        setGeometry(QRect(corner + QPoint(frame.left(), frame.top()), size()));
    }
    base_->setGeometry(QRect(QPoint(0, 0), designSize_.boundedTo(size())));
}

void MainMenuWindow::layoutMaximized() {
    const QScreen* shown = screen();
    if (shown == nullptr) {
        return;
    }
    const QRect area = shown->geometry();
    base_->resize(designSize_.boundedTo(size()));
    const int left = (area.width() - base_->width()) / 2 + twips(5, Qt::Horizontal);
    const int top = (area.height() - base_->height()) / 2 - twips(120, Qt::Vertical);
    // On a screen hardly larger than the panel the corrections would push its top off it.
    base_->move(qBound(0, left, width() - base_->width()),
                qBound(0, top, height() - base_->height()));
}

void MainMenuWindow::askForOffice() {
    if (MayChooseOffice(ctx_)) {
        Q_EMIT officeRequested();
    }
}

void MainMenuWindow::editFocusedSlot() {
    // F2 edits the focused program button, as a double-click on its description does.
    auto* focused = qobject_cast<QPushButton*>(QApplication::focusWidget());
    const int tab = tabs_->currentIndex();
    if (focused != nullptr && focused->parent() == buttons_[tab][0]->parent()) {
        Q_EMIT settingsRequested(tab, focused->property("index").toInt());
        return;
    }
    // An unset button takes no focus: the slots of the tab shown are offered to choose from.
    auto* menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (int i = 0; i < kMenuButtons; ++i) {
        menu->addAction(QStringLiteral("%1. %2").arg(i + 1).arg(buttons_[tab][i]->text()), this,
                        [this, tab, i] { Q_EMIT settingsRequested(tab, i); });
    }
    menu->popup(tabs_->mapToGlobal(QPoint(0, 0)));
}

void MainMenuWindow::offerSettings(QPushButton* button) {
    auto* menu = new QMenu(button);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const int tab = TabOf(button);
    const int index = button->property("index").toInt();
    menu->addAction(QStringLiteral("設定…"), this,
                    [this, tab, index] { Q_EMIT settingsRequested(tab, index); });
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
}

void MainMenuWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMaximized()) {
        layoutMaximized();
    } else if (!isMinimized()) {
        layoutNormal();
    }
}

bool MainMenuWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        const auto modifiers = static_cast<QKeyEvent*>(event)->modifiers();
        // Enter starts the focused program as a click does; on the manual panel Space does too.
        // Shift+F10 offers its menu.
        if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr) {
            if (enter) {
                button->click();
                return true;
            }
            if (key == Qt::Key_Menu || (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier)) {
                offerSettings(button);
                return true;
            }
        }
        if (watched == manual_ && (enter || key == Qt::Key_Space)) {
            OpenManual(ctx_);
            return true;
        }
    } else if (event->type() == QEvent::ContextMenu) {
        // The context-menu key or a right click on a program button.
        if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr) {
            offerSettings(button);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        if (watched == title_) {
            focusFirstButton();
            return true;
        }
        if (watched == manual_) {
            OpenManual(ctx_);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        // The window, the base panel and the tab pages are the base panel wherever no control
        // covers them; a double-click that a control let through is no double-click on it.
        if (watched == base_ || watched == this ||
            watched->objectName() == QStringLiteral("bak_menu")) {
            const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
            if (static_cast<QWidget*>(watched)->childAt(at) == nullptr) {
                askForOffice();
            }
            return true;
        }
        if (watched->objectName().startsWith(QStringLiteral("lab_menu"))) {
            const int tab = watched->objectName().at(8).unicode() - u'a';
            Q_EMIT settingsRequested(tab, watched->property("index").toInt());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void MainMenuWindow::closeEvent(QCloseEvent* event) {
    // The exit procedure decides whether the program ends; the window closes only with it.
    event->ignore();
    Q_EMIT exitRequested();
}

void MainMenuWindow::setNotice(const QString& text) {
    notice_->setText(text);
}
