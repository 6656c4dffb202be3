#pragma once

#include <QString>

// The number at the start of a text (leading blanks skipped, optional sign, digits, optional
// decimal part); 0 when the text does not start with one.
double LeadingNumber(const QString& text);

// A stored number read as text and brought to the nearest 16-bit integer: halves go to the even
// neighbour, values beyond the 16-bit range stop at its ends.
qint16 ToInt16(const QString& text);
