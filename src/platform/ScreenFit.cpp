#include "platform/ScreenFit.h"

#include <QScreen>
#include <QWidget>

QSize FrameAllowance(const QWidget& window) {
    const QSize frame = window.frameGeometry().size() - window.size();
    if (window.isVisible() && !frame.isEmpty()) {
        return frame;
    }
    // A title bar of 32 pixels and borders of 4, in the windows' own pixels.
    return {8, 36};
}

void FitIntoScreen(QWidget& window, const QRect& available) {
    // A window not sized yet takes its size hint when shown: that is what has to fit.
    const QSize room = available.size() - FrameAllowance(window);
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
