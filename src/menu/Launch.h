#pragma once

#include <QString>
#include <array>
#include <optional>

#include "menu/ConditionDefaults.h"
#include "menu/MenuStore.h"

struct AppContext;

// True when the program name holds one of the words of programs that take no conditions
// (一覧表, 伝票, 設定 …): those start with their path alone.
bool IsPlainStartProgram(const QString& name);

// False only when 条件項目値A to C are all stored and blank.
bool HasConditionValues(const MenuEntry& entry);

// The condition item names of a program's catalogue row; Null names are nullopt.
struct CatalogueEntry {
    QString table;
    std::array<std::optional<QString>, kConditionCount> itemNames;
};

// Looks a program ID up in the four catalogues, first hit wins; a Null item name stays nullopt.
std::optional<CatalogueEntry> LookupCatalogue(AppContext& ctx, const QString& programId);

// Looks the program of a command text up in the four catalogues, first hit wins. The command
// text ends in the blank that precedes the conditions, so the program ID is the file name without
// its four-character extension.
std::optional<CatalogueEntry> FindCatalogueEntry(AppContext& ctx, const QString& commandText);

// What a click on a button starts.
struct LaunchCommand {
    QString programName;
    QString path;            // the trimmed file path
    QString commandText;     // the path, or the path, one blank and the condition texts
    bool isProgram = false;  // the file path ends in ".exe": started, not opened
    QString argumentText() const { return commandText.mid(path.size() + 1); }
};

// The settings the condition defaults read: today, the operating office, the fiscal year end.
ConditionSettings ConditionSettingsOf(const AppContext& ctx);

// Composes the launch of a slot at this moment. nullopt when the slot has no detail row, or
// its file path or program name is Null (such a row is skipped without a message).
std::optional<LaunchCommand> ComposeLaunch(AppContext& ctx, const QString& table, int tabPosition,
                                           int detailPosition);

// A click on a menu button: starts the program or opens the document.
void LaunchMenuEntry(AppContext& ctx, int tabPosition, int detailPosition, const QString& table);

// Opens a file with its default application, in the folder that holds it.
void OpenDocument(AppContext& ctx, const QString& path);

// Opens the menu's manual: manual folder / full-width program ID + ".doc".
void OpenManual(AppContext& ctx);
