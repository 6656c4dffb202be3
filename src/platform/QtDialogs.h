#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/Dialogs.h"

// Message boxes without icon, titled with the application's name, and the open-file dialog.
class QtDialogs final : public Dialogs {
public:
    void setParentWindow(QWidget* parent) { parent_ = parent; }
    void information(const QString& text) override;
    bool question(const QString& text) override;
    std::optional<QString> openFile(const QStringList& filters,
                                    const QString& initialName) override;

private:
    QPointer<QWidget> parent_;
};

// The system's texts break lines with a lone carriage return; Qt breaks them with a line feed.
QString DisplayText(const QString& text);
