#pragma once

#include <QString>
#include <optional>

struct AppContext;

struct OfficeEntry {
    QString code;
    QString name;
};

// The office of a code, as the office dialog shows it; nullopt when there is none.
std::optional<OfficeEntry> LookupOffice(AppContext& ctx, const QString& code);

// Whether the signed-in person may choose the operating office from the main window's base panel.
bool MayChooseOffice(const AppContext& ctx);

// Makes code the operating office, stores it and loads the settings that follow from it.
void ChangeOperatingOffice(AppContext& ctx, const QString& code);
