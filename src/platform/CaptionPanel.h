#pragma once

#include <QLabel>

// The caption panel of an input field (itm_ttl_…): a sunken label that sends the focus to its
// field when clicked, and names the field for screen readers.
class CaptionPanel final : public QLabel {
    Q_OBJECT
public:
    CaptionPanel(const QString& objectName, const QString& caption, QWidget* parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
