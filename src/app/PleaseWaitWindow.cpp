#include "app/PleaseWaitWindow.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

PleaseWaitWindow::PleaseWaitWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint) {
    setObjectName(QStringLiteral("msgお待ち"));
    setWindowTitle(QCoreApplication::applicationName());
    auto* text = new QLabel(QStringLiteral("しばらくお待ちください。"), this);
    text->setMargin(24);
    text->setAlignment(Qt::AlignCenter);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    // Wide enough for the title beside the window manager's buttons.
    setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) + 160);
}

void PleaseWaitWindow::show() {
    QWidget::show();
    raise();
    // The copy that follows blocks the event loop: let the window appear first. Paint only: no
    // click may start anything now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Only a shown window knows the frame the window manager gave it.
    if (clearOf_.isValid()) {
        moveClear();
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void PleaseWaitWindow::moveClear() {
    const QScreen* shown = screen();
    const QRect available = shown != nullptr ? shown->availableGeometry() : clearOf_;
    move(PlaceClearOf(frameGeometry().size(), clearOf_, available).topLeft());
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
    clearOf_ = area;
    adjustSize();
    if (!isVisible()) {
        // Before the first showing the frame is not known yet: the usual title bar is allowed for.
        const int titleBar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
        const QScreen* shown = screen();
        const QRect available = shown != nullptr ? shown->availableGeometry() : area;
        move(PlaceClearOf(size() + QSize(0, titleBar), area, available).topLeft());
        return;
    }
    moveClear();
}
