#pragma once

#include <QDialog>

#include "signin/StaffSignIn.h"

class CaptionPanel;
class PinEdit;
class QLineEdit;
class QPushButton;
struct AppContext;

// msg暗証番号確認: the member of staff is found by login ID or staff code and proves it with a PIN.
class SignInDialog final : public QDialog {
    Q_OBJECT
public:
    explicit SignInDialog(AppContext& ctx, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void codeEntered();
    void confirm();

    AppContext& ctx_;
    SignInFields fields_;
    PinEdit* pin_;
    QLineEdit* name_;
    QLineEdit* code_;
    QPushButton* ok_;
};

// Shows the sign-in modally; true when a PIN was accepted.
bool ShowSignIn(AppContext& ctx, QWidget* parent = nullptr);
