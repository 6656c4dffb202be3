#pragma once

#include <QStringList>
#include <QVariant>

#include "TestInstallation.h"

// One detail row of a menu. A value of QVariant() is stored as Null.
struct MenuRow {
    QString staff = QStringLiteral("00012");
    int tab = 0;
    QVariant position = 0;
    QVariant name{};
    QVariant file{};
    QVariantList values{};  // 条件項目値A …
    QVariant description{};
};

void AddMenuRow(const TestInstallation& install, const MenuRow& row);
void AddMenuTitle(const TestInstallation& install, const QString& staff, int tab,
                  const QVariant& title);
// A catalogue row: program ID and item names A …; QVariant() is Null.
void AddCatalogue(const TestInstallation& install, const QString& table, const QString& programId,
                  const QVariantList& itemNames);
