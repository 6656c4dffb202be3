#pragma once

#include <QString>
#include <array>

#include "menu/MenuStore.h"

struct AppContext;

// What the settings window holds of one slot.
struct MenuSettingsRecord {
    bool newRow = false;  // the last read found no detail row: saving inserts it
    QString filePath;
    QString title;
    QString programName;
    QString description;
    std::array<QString, kConditionCount> itemNames;
    std::array<QString, kConditionCount> values;
};

// The byte limits of the fields.
inline constexpr int kTitleLimit = 20;
inline constexpr int kProgramNameLimit = 24;
inline constexpr int kDescriptionLimit = 60;
inline constexpr int kConditionValueLimit = 125;

// Empties every text; the new-row flag stays.
void ClearRecord(MenuSettingsRecord& record);
// Reads the title and detail row of the edit target over what the record holds: Null and absent
// columns leave their fields. Looks the program's item names up when a path is stored.
void ReadRecord(AppContext& ctx, MenuSettingsRecord& record);
// The item names of a program from the first catalogue that knows it; a Null name leaves its
// field.
void LookupItemNames(AppContext& ctx, const QString& programId, MenuSettingsRecord& record);

// Writes the record: the title (insert, or update when the tab has one) and the detail row.
void SaveRecord(AppContext& ctx, const MenuSettingsRecord& record);
// Removes the slot's detail row; the tab's title stays.
void DeleteRecord(AppContext& ctx, const MenuSettingsRecord& record);

// The check of a text field leaving the focus: a changed text goes into the record, cut to the
// field's byte limit.
void CheckText(const QString& text, int limit, QString& field);

// The check of the program path.
enum class FilePathCheck { Unchanged = 1, Accepted = -1, Refused = 0 };
FilePathCheck CheckFilePath(const QString& text, MenuSettingsRecord& record);

// The notice for a refused path.
inline const QString kUnclearProgram = QStringLiteral("プログラムを明確に指定してください。");

// The filters of the program file dialog, one entry per filter.
QStringList ProgramFileFilters();
