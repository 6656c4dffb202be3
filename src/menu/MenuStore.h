#pragma once

#include <QString>
#include <array>
#include <optional>

struct AppContext;

// The menu table of the main menu; its detail table is the same name followed by "詳細".
inline const QString kMenuTable = QStringLiteral("ヌモリカマイメニュ");
inline constexpr int kMenuTabs = 3;
inline constexpr int kMenuButtons = 8;
inline constexpr int kConditionCount = 26;

// The text without the first occurrence of word (letter case ignored); unchanged without one.
QString RemoveFirstOccurrence(const QString& text, const QString& word);
// The name without its first "ヌモリカ".
QString StripSuiteWord(const QString& name);

// The staff code of the menu statements: the signed-in code, or "00000" when nobody is signed in.
QString MenuStaffCode(const AppContext& ctx);

// One tab as the main window shows it.
struct MenuTabView {
    QString caption = QStringLiteral("未設定タイトル");
    std::array<QString, kMenuButtons> buttonCaptions;
    std::array<bool, kMenuButtons> enabled{};
    std::array<QString, kMenuButtons> descriptions;
    std::array<QString, kMenuButtons> filePaths;
    // Told once the tab shows what could be read (a detail row that cannot be shown).
    QString message;
    MenuTabView() { buttonCaptions.fill(QStringLiteral("未設定")); }
};

// Reads one tab's title and buttons. A detail row that cannot be shown (a position outside the
// buttons or no program name) is reported and ends the tab; the rows before it stay.
MenuTabView ReadMenuTab(AppContext& ctx, const QString& table, int tabPosition);

// One detail row: what a button starts.
struct MenuEntry {
    std::optional<QString> programName;
    std::optional<QString> description;
    std::optional<QString> filePath;
    std::array<std::optional<QString>, kConditionCount> conditionValues;
};

// The detail row of a slot; nullopt when there is none.
std::optional<MenuEntry> ReadMenuEntry(AppContext& ctx, const QString& table, int tabPosition,
                                       int detailPosition);

// A condition column: 条件項目値A … 条件項目値Z, 条件項目名A … 条件項目名Z.
QString ConditionValueColumn(int index);
QString ConditionNameColumn(int index);
