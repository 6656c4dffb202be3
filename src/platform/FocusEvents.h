#pragma once

#include <QFocusEvent>

// Whether a focus change stays within the window: leaving a field for another window (a message
// box) or a popup is not leaving it for another field.
inline bool MovesWithinTheWindow(const QEvent* event) {
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}
