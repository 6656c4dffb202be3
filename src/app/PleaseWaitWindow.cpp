#include "app/PleaseWaitWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
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

QRect PlaceClearOf(const QSize& size, const QRect& area, const QRect& screen) {
    constexpr int kGap = 8;
    QRect placed(QPoint(area.center().x() - size.width() / 2, area.top() - kGap - size.height()),
                 size);
    if (placed.top() < screen.top()) {
        placed.moveTop(area.bottom() + kGap);
    }
    placed.moveLeft(qBound(screen.left(), placed.left(), screen.right() - size.width() + 1));
    placed.moveTop(qBound(screen.top(), placed.top(), screen.bottom() - size.height() + 1));
    return placed;
}

void PleaseWaitWindow::placeClearOf(const QRect& area) {
    adjustSize();
    const QScreen* shown = screen();
    const QRect available = shown != nullptr ? shown->availableGeometry() : area;
    // The frame of the window manager comes on top of the contents.
    const QSize framed = size() + QSize(0, frameGeometry().height() - geometry().height());
    move(PlaceClearOf(framed, area, available).topLeft());
}
