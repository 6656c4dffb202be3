#pragma once

#include <QDialog>

class PinEdit;
class QLineEdit;
class QPushButton;
struct AppContext;

// msg特権暗証番号確認: asks for the system privileged PIN.
class PrivilegedPinDialog final : public QDialog {
    Q_OBJECT
public:
    explicit PrivilegedPinDialog(AppContext& ctx, QWidget* parent = nullptr);

private:
    AppContext& ctx_;
    PinEdit* pin_;
};

// True when the system privileged PIN was given.
bool AskPrivilegedPin(AppContext& ctx, QWidget* parent = nullptr);

// msg運用事業所設定: chooses the workstation's operating office.
class OfficeDialog final : public QDialog {
    Q_OBJECT
public:
    explicit OfficeDialog(AppContext& ctx, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void codeEntered();
    void setOffice();

    AppContext& ctx_;
    QLineEdit* name_;
    QLineEdit* code_;
    QPushButton* set_;
    bool leavingAfterEnter_ = false;  // the focus leaves because Enter has just looked it up
};

// Shows the office dialog; true when the operating office was changed.
bool ShowOfficeDialog(AppContext& ctx, QWidget* parent = nullptr);
