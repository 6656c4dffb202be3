#pragma once

#include <QString>

// The slot the settings window edits: kept from one opening to the next.
struct MenuEditTarget {
    QString table;  // the menu table; its detail table is this name followed by "詳細"
    int tabPosition = 0;
    int detailPosition = 0;
};
