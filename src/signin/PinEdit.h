#pragma once

#include <QLineEdit>

// The PIN entry field: the typed text is hidden and kept away from input-method prediction.
class PinEdit final : public QLineEdit {
    Q_OBJECT
public:
    explicit PinEdit(QWidget* parent = nullptr);

    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

protected:
    void inputMethodEvent(QInputMethodEvent* event) override;
};
