#include "menu_settings/MenuSettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "context/AppContext.h"
#include "menu/MainMenuWindow.h"
#include "platform/CaptionPanel.h"
#include "platform/FocusEvents.h"
#include "platform/ScreenFit.h"
#include "text/StringHelpers.h"

namespace {
QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    // Enter in a field must not press a button behind the user's back.
    button->setAutoDefault(false);
    return button;
}

QString Letter(int index) {
    return QString(QChar(u'A' + index));
}
}  // namespace

MenuSettingsWindow::MenuSettingsWindow(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx) {
    setObjectName(QStringLiteral("wndマイメニュ設定"));
    setWindowTitle(QStringLiteral("マイメニュ設定"));
    auto* heading = new QLabel(QStringLiteral("マイニュ設定"), this);
    heading->setObjectName(QStringLiteral("wnd_ttl"));
    heading->setFrameShape(QFrame::Panel);
    heading->setFrameShadow(QFrame::Sunken);
    auto* back = Button(QStringLiteral("btn_戻る"), QStringLiteral("戻る"), this);
    auto* reread = Button(QStringLiteral("btn_初期画面"), QStringLiteral("最初から"), this);
    auto* clear = Button(QStringLiteral("btn_画面クリア"), QStringLiteral("画面クリア"), this);
    auto* save = Button(QStringLiteral("btn_登録"), QStringLiteral("登録"), this);
    auto* remove = Button(QStringLiteral("btn_削除"), QStringLiteral("削除"), this);

    auto* background = new QFrame(this);
    background->setObjectName(QStringLiteral("bak_dtla"));
    auto* fields = new QGridLayout(background);
    const auto numberField = [&](const QString& name, const QString& caption, int value, int row) {
        auto* panel = new CaptionPanel(QStringLiteral("itm_ttl_") + name, caption, background);
        auto* field = new QLineEdit(QString::number(value), background);
        field->setObjectName(name);
        field->setReadOnly(true);
        field->setMaxLength(2);
        panel->setBuddy(field);
        fields->addWidget(panel, row, 0);
        fields->addWidget(field, row, 1);
    };
    const MenuEditTarget& target = ctx_.menuEditTarget;
    numberField(QStringLiteral("タイトルNo"), QStringLiteral("タイトルNo"), target.tabPosition + 1,
                0);
    numberField(QStringLiteral("メニュNo"), QStringLiteral("メニュNo"), target.detailPosition + 1,
                1);
    const auto textRow = [&](const QString& name, const QString& caption, int limit, int row) {
        auto* panel = new CaptionPanel(QStringLiteral("itm_ttl_") + name, caption, background);
        QLineEdit* field = addField(name, caption, limit);
        panel->setBuddy(field);
        connect(panel, &CaptionPanel::clicked, field, [field] { field->setFocus(); });
        fields->addWidget(panel, row, 0);
        fields->addWidget(field, row, 1, 1, 3);
        return field;
    };
    title_ = textRow(QStringLiteral("タイトル"), QStringLiteral("タイトル"), kTitleLimit, 2);
    programName_ = textRow(QStringLiteral("プログラム名"), QStringLiteral("プログラム名"),
                           kProgramNameLimit, 3);
    auto* pathCaption = new CaptionPanel(
        QStringLiteral("itm_ttl_filepath"),
        QStringLiteral("プログラムの場所(下の欄をダブルクリックしプログラムを指定してください)"),
        background);
    path_ = addField(QStringLiteral("filepath"), QStringLiteral("プログラムの場所"), 128);
    pathCaption->setBuddy(path_);
    fields->addWidget(pathCaption, 4, 0, 1, 4);
    fields->addWidget(path_, 5, 0, 1, 4);
    description_ = textRow(QStringLiteral("説明"), QStringLiteral("説明"), kDescriptionLimit, 6);

    // The 26 condition rows, A to M on the left and N to Z on the right.
    auto* conditions = new QWidget(background);
    auto* conditionGrid = new QGridLayout(conditions);
    conditionGrid->setContentsMargins(0, 0, 0, 0);
    fields->addWidget(conditions, 7, 0, 1, 4);
    fields->setRowStretch(7, 1);
    conditionGrid->setColumnStretch(1, 1);
    conditionGrid->setColumnStretch(4, 1);
    constexpr int kRowsPerColumn = 13;
    for (int i = 0; i < kConditionCount; ++i) {
        const int row = i % kRowsPerColumn;
        const int column = (i / kRowsPerColumn) * 3;
        auto* number = new QLabel(QStringLiteral("%1.").arg(i + 1), conditions);
        number->setObjectName(QStringLiteral("Lab_項目"));
        number->setProperty("index", i);
        auto* caption = new QLabel(QStringLiteral("条件項目"), conditions);
        caption->setObjectName(QStringLiteral("itm_ttl_条件項目") + Letter(i));
        caption->setMinimumWidth(140);
        QLineEdit* field = addField(QStringLiteral("条件項目値") + Letter(i),
                                    QStringLiteral("条件項目値") + Letter(i), kConditionValueLimit);
        caption->setBuddy(field);
        itemCaptions_[i] = caption;
        values_[i] = field;
        auto* pair = new QHBoxLayout;
        pair->addWidget(number);
        pair->addWidget(caption);
        conditionGrid->addLayout(pair, row, column, 1, 1);
        conditionGrid->addWidget(field, row, column + 1);
    }

    notice_ = new QLabel(this);
    notice_->setObjectName(QStringLiteral("お知らせ"));
    notice_->setFrameShape(QFrame::Panel);
    notice_->setFrameShadow(QFrame::Sunken);

    auto* top = new QHBoxLayout;
    top->addWidget(heading, 1);
    top->addWidget(reread);
    top->addWidget(back);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(clear);
    bottom->addWidget(notice_, 1);
    bottom->addWidget(save);
    bottom->addWidget(remove);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    // The fields scroll between the buttons above and below them, so that the buttons stay on a
    // low screen (600 pixels, or a notebook's at a scale of 2).
    auto* scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(background);
    layout->addWidget(scroll, 1);
    layout->addLayout(bottom);

    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(reread, &QPushButton::clicked, this, [this] {
        ReadRecord(ctx_, record_);
        showRecord();
    });
    connect(clear, &QPushButton::clicked, this, [this] {
        ClearRecord(record_);
        showRecord();
    });
    connect(save, &QPushButton::clicked, this, &MenuSettingsWindow::save);
    connect(remove, &QPushButton::clicked, this, &MenuSettingsWindow::remove);
    for (QLineEdit* typed : {title_, programName_, description_}) {
        const int limit = typed->property("maxBytes").toInt();
        connect(typed, &QLineEdit::textChanged, this, [this, limit](const QString& text) {
            // The main window's notice is hidden behind this window: it is told here too.
            notice_->setText(LengthNoticeText(text, limit));
            LengthNotice(ctx_.notice, text, limit);
        });
    }

    ClearRecord(record_);
    ReadRecord(ctx_, record_);
    showRecord();
    // All 26 rows where the screen has the room, scrolled where it has not.
    resize(QSize(820, 760));
    FitIntoScreen(*this);
}

QLineEdit* MenuSettingsWindow::addField(const QString& name, const QString& caption, int limit) {
    auto* field = new QLineEdit(this);
    field->setObjectName(name);
    field->setAccessibleName(caption);
    // The limit counts Shift-JIS bytes and is applied when the field is left; a stored text longer
    // than it is shown whole.
    field->setProperty("maxBytes", limit);
    field->installEventFilter(this);
    return field;
}

void MenuSettingsWindow::showRecord() {
    title_->setText(record_.title);
    programName_->setText(record_.programName);
    path_->setText(record_.filePath);
    description_->setText(record_.description);
    for (int i = 0; i < kConditionCount; ++i) {
        itemCaptions_[i]->setText(record_.itemNames[i]);
        values_[i]->setText(record_.values[i]);
    }
}

bool MenuSettingsWindow::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field != nullptr && event->type() == QEvent::FocusOut && MovesWithinTheWindow(event)) {
        fieldLeft(field);
    } else if (field == path_ && event->type() == QEvent::MouseButtonDblClick) {
        chooseProgramFile();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void MenuSettingsWindow::fieldLeft(QLineEdit* field) {
    if (field == path_) {
        pathLeft();
        return;
    }
    const int limit = field->property("maxBytes").toInt();
    QString* target = nullptr;
    if (field == title_) {
        target = &record_.title;
    } else if (field == programName_) {
        target = &record_.programName;
    } else if (field == description_) {
        target = &record_.description;
    } else {
        for (int i = 0; i < kConditionCount; ++i) {
            if (field == values_[i]) {
                target = &record_.values[i];
            }
        }
    }
    if (target == nullptr) {
        return;
    }
    CheckText(field->text(), limit, *target);
    showRecord();
}

void MenuSettingsWindow::pathLeft() {
    switch (CheckFilePath(path_->text(), record_)) {
        case FilePathCheck::Accepted:
            showRecord();
            notice_->clear();
            break;
        case FilePathCheck::Refused:
            showRecord();
            notice_->setText(kUnclearProgram);
            break;
        default:
            notice_->clear();
            break;
    }
}

void MenuSettingsWindow::chooseProgramFile() {
    const QString applicationFolder = QDir::currentPath();
    const auto chosen = ctx_.dialogs.openFile(ProgramFileFilters(), path_->text());
    if (chosen) {
        path_->setText(*chosen);
        CheckFilePath(*chosen, record_);
        LookupItemNames(ctx_, record_.programName, record_);
        showRecord();
    }
    QDir::setCurrent(applicationFolder);
}

void MenuSettingsWindow::commitFocusedField() {
    if (auto* field = qobject_cast<QLineEdit*>(focusWidget())) {
        fieldLeft(field);
    }
}

void MenuSettingsWindow::save() {
    commitFocusedField();
    if (!ctx_.dialogs.question(QStringLiteral("登録しますか?"))) {
        return;
    }
    SaveRecord(ctx_, record_);
    accept();
}

void MenuSettingsWindow::remove() {
    commitFocusedField();
    if (!ctx_.dialogs.question(QStringLiteral("削除しますか?"))) {
        return;
    }
    DeleteRecord(ctx_, record_);
    accept();
}

void OpenMenuSettings(AppContext& ctx, const QString& table, int tabPosition, int detailPosition,
                      QWidget* parent) {
    ctx.menuEditTarget = {table, tabPosition, detailPosition};
    MenuSettingsWindow window(ctx, parent);
    window.exec();
}

void ConnectMenuSettings(AppContext& ctx, MainMenuWindow& window) {
    QObject::connect(
        &window, &MainMenuWindow::settingsRequested, &window, [&ctx, &window](int tab, int index) {
            const QPointer<QWidget> focused = QApplication::focusWidget();
            OpenMenuSettings(ctx, kMenuTable, tab, index, &window);
            window.buildMenuTab(kMenuTable, tab);
            // The rebuild takes the focus from the button edited with F2; it gets it back where
            // it is still shown.
            if (focused != nullptr && focused->isEnabled() && focused->isVisibleTo(&window)) {
                focused->setFocus();
            }
        });
}
