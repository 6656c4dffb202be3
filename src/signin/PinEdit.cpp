#include "signin/PinEdit.h"

#include <QInputMethodEvent>

#include "signin/StaffSignIn.h"

PinEdit::PinEdit(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText |
                        Qt::ImhNoAutoUppercase);
    // The Japanese input method stays off here, so that its full-width digits never reach a PIN.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setMaxLength(kPinMaxLength);
}

QVariant PinEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
    if (query == Qt::ImEnabled) {
        return false;
    }
    return QLineEdit::inputMethodQuery(query);
}

void PinEdit::inputMethodEvent(QInputMethodEvent* event) {
    // An input method that sends text all the same composes nothing here: what it commits is
    // taken in half-width form, so that "１２３４" is the PIN 1234.
    const QString committed = event->commitString().normalized(QString::NormalizationForm_KC);
    if (!committed.isEmpty()) {
        insert(committed);
    }
    event->accept();
}
