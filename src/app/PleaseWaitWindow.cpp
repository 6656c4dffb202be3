#include "app/PleaseWaitWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

PleaseWaitWindow::PleaseWaitWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("msgお待ち"));
    setWindowTitle(QCoreApplication::applicationName());
    auto* text = new QLabel(QStringLiteral("しばらくお待ちください。"), this);
    text->setMargin(24);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
}

void PleaseWaitWindow::show() {
    QWidget::show();
    raise();
    // The copy that follows blocks the event loop: let the window appear first.
    QCoreApplication::processEvents();
}

void PleaseWaitWindow::hide() {
    QWidget::hide();
}
