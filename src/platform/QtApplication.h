#pragma once

#include <QString>

// Makes the running QApplication a program of the suite: its name (the title of its message
// boxes, and nothing appended to window titles), Qt's own texts in Japanese whatever the user's
// locale, a Japanese face first, and the suite's window icon.
void PrepareApplication(const QString& name);
