#pragma once

#include <QMargins>
#include <QRect>

class QWidget;

// What the window manager puts around a window (title bar and borders): the frame once the
// window is shown, a generous estimate before.
QMargins FrameMargins(const QWidget& window);

// Keeps a top-level window, frame included, within the available area of a screen (without the
// panels and docks): at a scale of 2 a notebook screen is only 683×384 pixels of the windows'
// own. The window shrinks where it is larger, never below its minimum; one that fits is left as
// it is.
void FitIntoScreen(QWidget& window, const QRect& available);
// The same on the screen the window is on.
void FitIntoScreen(QWidget& window);
