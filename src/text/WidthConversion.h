#pragma once

#include <QString>

// Half-width digits, letters, symbols and katakana turned full-width; a half-width katakana
// followed by its voiced or semi-voiced mark becomes one composed letter. Used for the file name
// of the manual document.
QString ToFullWidth(const QString& text);
