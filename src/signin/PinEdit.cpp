#include "signin/PinEdit.h"

#include "signin/StaffSignIn.h"

PinEdit::PinEdit(QWidget* parent) : QLineEdit(parent) {
    setEchoMode(QLineEdit::Password);
    setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText |
                        Qt::ImhNoAutoUppercase);
    setMaxLength(kPinMaxLength);
}
