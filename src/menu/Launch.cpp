#include "menu/Launch.h"

#include <QDir>

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/Schema.h"
#include "db/SqlText.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"
#include "text/WidthConversion.h"

bool IsPlainStartProgram(const QString& name) {
    static const QStringList words = {
        QStringLiteral("管理表"),       QStringLiteral("一覧表"),
        QStringLiteral("元帳"),         QStringLiteral("台帳"),
        QStringLiteral("状"),           QStringLiteral("印刷"),
        QStringLiteral("伝票"),         QStringLiteral("書"),
        QStringLiteral("証"),           QStringLiteral("カード"),
        QStringLiteral("住所録"),       QStringLiteral("ラベル"),
        QStringLiteral("封筒"),         QStringLiteral("再集計"),
        QStringLiteral("再計算"),       QStringLiteral("改定等"),
        QStringLiteral("設定"),         QStringLiteral("復旧"),
        QStringLiteral("テキスト入力"), QStringLiteral("テキスト取込"),
        QStringLiteral("テキスト出力"), QStringLiteral("ﾃｷｽﾄ出力"),
        QStringLiteral("ﾃｷｽﾄ取込"),
    };
    for (const QString& word : words) {
        if (name.contains(word)) {
            return true;
        }
    }
    return false;
}

bool HasConditionValues(const MenuEntry& entry) {
    for (int i = 0; i < 3; ++i) {
        const auto& value = entry.conditionValues[i];
        if (!value || !TrimBlanks(*value).isEmpty()) {
            return true;
        }
    }
    return false;
}

std::optional<CatalogueEntry> FindCatalogueEntry(AppContext& ctx, const QString& commandText) {
    if (commandText.isEmpty()) {
        return std::nullopt;
    }
    const qsizetype start = commandText.lastIndexOf(QDir::separator()) + 1;
    const qsizetype length = commandText.size() - start - 5;
    if (length <= 0) {
        return std::nullopt;
    }
    return LookupCatalogue(ctx, commandText.mid(start, length));
}

std::optional<CatalogueEntry> LookupCatalogue(AppContext& ctx, const QString& programId) {
    for (const QString& table : CatalogueTables()) {
        Recordset recordset;
        if (OpenConfigRecordset(ctx, recordset,
                                QStringLiteral("SELECT *") + QStringLiteral(" FROM ") + table +
                                    QStringLiteral(" WHERE プログラムID = ") +
                                    SqlQuote(programId))) {
            CatalogueEntry entry{table, {}};
            for (int i = 0; i < kConditionCount; ++i) {
                QString name;
                if (CopyUnlessNull(recordset, ConditionNameColumn(i), name)) {
                    entry.itemNames[i] = name;
                }
            }
            return entry;
        }
    }
    return std::nullopt;
}

ConditionSettings ConditionSettingsOf(const AppContext& ctx) {
    ConditionSettings settings;
    settings.today = ctx.clock.now().date();
    settings.officeCode = ctx.environment.operatingOfficeCode;
    settings.calendar.closingMonth = ctx.company.number(QStringLiteral("決算月"));
    settings.calendar.closingDay = ctx.company.number(QStringLiteral("決算日"));
    return settings;
}

std::optional<LaunchCommand> ComposeLaunch(AppContext& ctx, const QString& table, int tabPosition,
                                           int detailPosition) {
    const auto entry = ReadMenuEntry(ctx, table, tabPosition, detailPosition);
    if (!entry || !entry->filePath || !entry->programName) {
        return std::nullopt;
    }
    LaunchCommand command;
    command.programName = *entry->programName;
    command.path = TrimBlanks(*entry->filePath);
    command.commandText = command.path;
    const QString& untrimmed = *entry->filePath;
    command.isProgram = untrimmed.size() >= 4 &&
                        untrimmed.lastIndexOf(QStringLiteral(".exe"), -1, Qt::CaseInsensitive) ==
                            untrimmed.size() - 4;
    if (IsPlainStartProgram(command.programName) || !HasConditionValues(*entry)) {
        return command;
    }
    command.commandText += QLatin1Char(' ');
    const auto catalogue = FindCatalogueEntry(ctx, command.commandText);
    if (!catalogue) {
        return command;
    }
    const ConditionSettings settings = ConditionSettingsOf(ctx);
    for (int i = 0; i < kConditionCount; ++i) {
        const auto& name = catalogue->itemNames[i];
        const auto& value = entry->conditionValues[i];
        if (!name || !value) {
            break;
        }
        command.commandText += DefaultConditionValue(*name, *value, settings);
    }
    return command;
}

void LaunchMenuEntry(AppContext& ctx, int tabPosition, int detailPosition, const QString& table) {
    const auto command = ComposeLaunch(ctx, table, tabPosition, detailPosition);
    if (!command) {
        return;
    }
    if (!command->isProgram) {
        // Trailing blanks are no part of a file name: a document without conditions still opens.
        QString document = command->commandText;
        while (document.endsWith(QLatin1Char(' '))) {
            document.chop(1);
        }
        OpenDocument(ctx, document);
        return;
    }
    if (!ctx.shell.startProgram(command->path, command->argumentText())) {
        ctx.dialogs.information(command->programName + QStringLiteral("プログラムが有りません"));
    }
}

void OpenDocument(AppContext& ctx, const QString& path) {
    const qsizetype separator = path.lastIndexOf(QDir::separator());
    ctx.shell.openDocument(path, separator < 0 ? QString() : path.left(separator));
}

void OpenManual(AppContext& ctx) {
    OpenDocument(
        ctx, JoinPath(ctx.paths.manualFolder, ToFullWidth(kProgramId) + QStringLiteral(".doc")));
}
