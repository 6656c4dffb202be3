#pragma once

#include <QString>

// Statements are composed and logged in the suite's own dialect; just before execution this
// rewrites what the engine cannot read. "SELECT [DISTINCT] TOP n …" becomes "SELECT … LIMIT n".
QString TranslateForEngine(const QString& sql);
