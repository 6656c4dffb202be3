#pragma once

#include <QString>

struct AppContext;

// The base title of a program of the suite: "マイメニュー" for this one.
QString BaseTitle(const QString& programId);

// The main window's title line: the menu, the operating office and who is signed in.
QString ComposeWindowTitle(const AppContext& ctx);
