#include "signin/OfficeDialogs.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include "context/AppContext.h"
#include "db/SqlText.h"
#include "platform/CaptionPanel.h"
#include "platform/FocusEvents.h"
#include "signin/OperatingOffice.h"
#include "signin/PinEdit.h"
#include "signin/StaffSignIn.h"
#include "text/StringHelpers.h"

namespace {
QPushButton* Button(const QString& name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    return button;
}
}  // namespace

PrivilegedPinDialog::PrivilegedPinDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), pin_(new PinEdit(this)) {
    setObjectName(QStringLiteral("msg特権暗証番号確認"));
    setWindowTitle(QStringLiteral("ヌモリカ/特権暗証番号確認"));
    pin_->setObjectName(QStringLiteral("暗証番号"));
    pin_->setAccessibleName(QStringLiteral("システム特権暗証番号"));
    auto* caption = new CaptionPanel(QStringLiteral("itm_ttl_暗証番号"),
                                     QStringLiteral("システム特権暗証番号"), this);
    caption->setBuddy(pin_);
    auto* ok = Button(QStringLiteral("btn_OK"), QStringLiteral("OK"), this);
    auto* cancel = Button(QStringLiteral("btn_キャンセル"), QStringLiteral("キャンセル"), this);
    ok->setDefault(true);
    cancel->setAutoDefault(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(pin_, 0, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 1, 0, 1, 2);
    setMinimumWidth(360);
    connect(caption, &CaptionPanel::clicked, pin_, [this] { pin_->setFocus(); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ok, &QPushButton::clicked, this, [this] {
        if (CheckEnteredPin(ctx_.dialogs, pin_->text(),
                            {ctx_.company.text(QStringLiteral("システム特権暗証番号"))}) ==
            PinCheck::Accepted) {
            accept();
            return;
        }
        pin_->setFocus();
        pin_->selectAll();
    });
    pin_->setFocus();
}

bool AskPrivilegedPin(AppContext& ctx, QWidget* parent) {
    PrivilegedPinDialog dialog(ctx, parent);
    return dialog.exec() == QDialog::Accepted;
}

OfficeDialog::OfficeDialog(AppContext& ctx, QWidget* parent)
    : QDialog(parent), ctx_(ctx), name_(new QLineEdit(this)), code_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("msg運用事業所設定"));
    setWindowTitle(QStringLiteral("ヌモリカ/運用事業所設定"));
    name_->setObjectName(QStringLiteral("事業所名"));
    name_->setReadOnly(true);
    name_->setFocusPolicy(Qt::ClickFocus);
    code_->setObjectName(QStringLiteral("事業所コード"));
    auto* nameCaption =
        new CaptionPanel(QStringLiteral("itm_ttl_事業所名"), QStringLiteral("事業所名"), this);
    auto* codeCaption = new CaptionPanel(QStringLiteral("itm_ttl_事業所コード"),
                                         QStringLiteral("事業所コード"), this);
    nameCaption->setBuddy(name_);
    codeCaption->setBuddy(code_);
    name_->setAccessibleName(QStringLiteral("事業所名"));
    code_->setAccessibleName(QStringLiteral("事業所コード"));
    auto* back = Button(QStringLiteral("btn_戻る"), QStringLiteral("戻る"), this);
    set_ = Button(QStringLiteral("btn_設定"), QStringLiteral("設定"), this);
    back->setAutoDefault(false);
    // Enter on 設定 sets the office; in the code field Enter only looks the code up.
    set_->setAutoDefault(true);
    // Nothing is chosen before the first look-up.
    set_->setEnabled(false);
    auto* grid = new QGridLayout(this);
    grid->addWidget(codeCaption, 0, 0);
    grid->addWidget(code_, 0, 1);
    grid->addWidget(nameCaption, 1, 0);
    grid->addWidget(name_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(set_);
    buttons->addWidget(back);
    grid->addLayout(buttons, 2, 0, 1, 2);
    setMinimumWidth(360);
    setTabOrder(code_, set_);
    setTabOrder(set_, back);

    for (CaptionPanel* caption : {nameCaption, codeCaption}) {
        connect(caption, &CaptionPanel::clicked, code_, [this] { code_->setFocus(); });
    }
    connect(back, &QPushButton::clicked, this, &QDialog::reject);
    connect(set_, &QPushButton::clicked, this, &OfficeDialog::setOffice);
    code_->installEventFilter(this);
    name_->installEventFilter(this);
    code_->setFocus();
}

bool OfficeDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == name_ && event->type() == QEvent::FocusIn) {
        code_->setFocus();
    } else if (watched == code_ && event->type() == QEvent::FocusOut) {
        if (MovesWithinTheWindow(event) && !leavingAfterEnter_) {
            codeEntered();
        }
    } else if (watched == code_ && event->type() == QEvent::KeyPress &&
               (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter)) {
        // Enter looks the code up; a found office waits on 設定, so a second Enter sets it.
        codeEntered();
        if (set_->isEnabled()) {
            // This move is part of the same lookup: it asks nothing a second time.
            const QScopedValueRollback leaving(leavingAfterEnter_, true);
            set_->setFocus();
        } else {
            code_->selectAll();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void OfficeDialog::codeEntered() {
    const QString code = FormatToPattern(code_->text(), QStringLiteral("000"));
    // The head office stands for all offices: choosing it takes the system privileged PIN.
    if (code == ZeroString(3) && !AskPrivilegedPin(ctx_, this)) {
        set_->setEnabled(false);
        return;
    }
    const auto office = LookupOffice(ctx_, code);
    if (office) {
        code_->setText(office->code);
        name_->setText(office->name);
    }
    set_->setEnabled(office.has_value());
}

void OfficeDialog::setOffice() {
    if (!ctx_.dialogs.question(QStringLiteral("運用事業所を設定します。"))) {
        return;
    }
    ChangeOperatingOffice(ctx_, FormatToPattern(code_->text(), QStringLiteral("000")));
    accept();
}

bool ShowOfficeDialog(AppContext& ctx, QWidget* parent) {
    OfficeDialog dialog(ctx, parent);
    return dialog.exec() == QDialog::Accepted;
}
