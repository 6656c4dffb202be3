#include "platform/ScreenFit.h"

#include <QScreen>
#include <QWidget>

QMargins FrameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect inside = window.geometry();
    if (window.isVisible() && frame != inside) {
        return {inside.left() - frame.left(), inside.top() - frame.top(),
                frame.right() - inside.right(), frame.bottom() - inside.bottom()};
    }
    // A title bar of 32 pixels and borders of 4, in the windows' own pixels.
    return {4, 32, 4, 4};
}

void FitIntoScreen(QWidget& window, const QRect& available) {
    // A window not sized yet takes its size hint when shown: that is what has to fit.
    const QSize room = available.size().shrunkBy(FrameMargins(window));
    const QSize wanted = window.testAttribute(Qt::WA_Resized) ? window.size() : window.sizeHint();
    if (wanted != wanted.boundedTo(room)) {
        window.resize(wanted.boundedTo(room));
    }
}

void FitIntoScreen(QWidget& window) {
    if (const QScreen* shown = window.screen(); shown != nullptr) {
        FitIntoScreen(window, shown->availableGeometry());
    }
}
