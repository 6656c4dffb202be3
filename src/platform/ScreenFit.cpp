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
    window.resize(window.size().boundedTo(available.size() - FrameAllowance(window)));
}

void FitIntoScreen(QWidget& window) {
    if (const QScreen* shown = window.screen(); shown != nullptr) {
        FitIntoScreen(window, shown->availableGeometry());
    }
}
