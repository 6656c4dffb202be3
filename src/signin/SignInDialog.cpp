#include "signin/SignInDialog.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "context/AppContext.h"
#include "platform/CaptionPanel.h"
#include "platform/FocusEvents.h"
#include "signin/PinEdit.h"
#include "text/StringHelpers.h"

SignInDialog::SignInDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent),
      ctx_(ctx),
      pin_(new PinEdit(this)),
      name_(new QLineEdit(this)),
      code_(new QLineEdit(this)),
      ok_(new QPushButton(QStringLiteral("OK"), this)) {
    setObjectName(QStringLiteral("msg暗証番号確認"));
    setWindowTitle(QStringLiteral("ヌモリカマイメニュ/暗証確認"));
    pin_->setObjectName(QStringLiteral("暗証番号"));
    name_->setObjectName(QStringLiteral("担当者名"));
    name_->setReadOnly(true);
    code_->setObjectName(QStringLiteral("担当者コード"));
    ok_->setObjectName(QStringLiteral("btn_OK"));
    ok_->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("キャンセル"), this);
    cancel->setObjectName(QStringLiteral("btn_キャンセル"));
    cancel->setAutoDefault(false);

    auto* nameCaption =
        new CaptionPanel(QStringLiteral("itm_ttl_担当者名"), QStringLiteral("担当者氏名"), this);
    auto* pinCaption =
        new CaptionPanel(QStringLiteral("itm_ttl_暗証番号"), QStringLiteral("暗証番号"), this);
    // Alt+C reaches the code field, which Tab passes by when the login found the person: another
    // person at the same desk signs in without a mouse.
    auto* codeCaption = new CaptionPanel(QStringLiteral("itm_ttl_担当者コード"),
                                         QStringLiteral("コード(&C)"), this);
    codeCaption->setBuddy(code_);
    nameCaption->setBuddy(name_);
    pinCaption->setBuddy(pin_);
    code_->setAccessibleName(QStringLiteral("コード"));
    name_->setAccessibleName(QStringLiteral("担当者氏名"));
    pin_->setAccessibleName(QStringLiteral("暗証番号"));

    auto* grid = new QGridLayout(this);
    grid->addWidget(codeCaption, 0, 0);
    grid->addWidget(code_, 0, 1);
    grid->addWidget(nameCaption, 1, 0);
    grid->addWidget(name_, 1, 1);
    grid->addWidget(pinCaption, 2, 0);
    grid->addWidget(pin_, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(360);

    // Tab in the PIN field lands in the name field, which sends the focus back: Tab never takes
    // the focus away from a PIN half typed.
    setTabOrder(pin_, name_);
    setTabOrder(name_, code_);
    setTabOrder(code_, ok_);
    setTabOrder(ok_, cancel);

    connect(codeCaption, &CaptionPanel::clicked, code_, [this] { code_->setFocus(); });
    connect(pinCaption, &CaptionPanel::clicked, pin_, [this] { pin_->setFocus(); });
    connect(nameCaption, &CaptionPanel::clicked, pin_, [this] { pin_->setFocus(); });
    connect(ok_, &QPushButton::clicked, this, &SignInDialog::confirm);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    for (QWidget* field : {static_cast<QWidget*>(pin_), static_cast<QWidget*>(name_),
                           static_cast<QWidget*>(code_)}) {
        field->installEventFilter(this);
    }

    ctx_.staff.code.clear();
    if (LookupStaffByLoginId(ctx_, ctx_.paths.userName, fields_)) {
        code_->setText(fields_.code);
        name_->setText(fields_.name);
        // Found by the login: typing starts in the PIN field and Tab no longer stops at the code.
        code_->setFocusPolicy(Qt::ClickFocus);
    }
    pin_->setFocus();
}

bool SignInDialog::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == pin_ && code_->text().isEmpty()) {
            code_->setFocus();
        } else if (watched == name_) {
            pin_->setFocus();
        }
    } else if (event->type() == QEvent::FocusOut && watched == code_ &&
               MovesWithinTheWindow(event)) {
        codeEntered();
    } else if (event->type() == QEvent::KeyPress && watched == code_) {
        // A code typed is looked up and the PIN comes next; Enter presses OK only when a PIN is
        // there to check.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if ((key->key() == Qt::Key_Tab && key->modifiers() == Qt::NoModifier) ||
            (enter && pin_->text().isEmpty())) {
            pin_->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SignInDialog::codeEntered() {
    fields_.code = FormatToPattern(code_->text(), QStringLiteral("00000"));
    LookupStaffByCode(ctx_, fields_.code, fields_);
    code_->setText(fields_.code);
    name_->setText(fields_.name);
}

void SignInDialog::confirm() {
    // Enter on the default button does not take the focus from the code field first.
    if (code_->hasFocus()) {
        codeEntered();
    }
    fields_.code = code_->text();
    if (ConfirmPin(ctx_, fields_, pin_->text()) == PinCheck::Accepted) {
        accept();
        return;
    }
    pin_->setFocus();
    pin_->selectAll();
}

bool ShowSignIn(AppContext& ctx, QWidget* parent) {
    SignInDialog dialog(ctx, parent);
    dialog.setWindowTitle(QStringLiteral("ヌモリカマイメニュ/暗証確認"));
    return dialog.exec() == QDialog::Accepted;
}
