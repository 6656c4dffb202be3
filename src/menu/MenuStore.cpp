#include "menu/MenuStore.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"

namespace {
std::optional<QString> OptionalText(const Recordset& recordset, const QString& column) {
    const auto value = recordset.field(column);
    if (!value || value->isNull()) {
        return std::nullopt;
    }
    return value->toString();
}

QString MenuCondition(const AppContext& ctx, int tabPosition) {
    return QStringLiteral(" WHERE 担当者コード = ") + SqlQuote(MenuStaffCode(ctx)) +
           QStringLiteral(" AND メニュタブ位置 = ") + QString::number(tabPosition);
}
}  // namespace

QString RemoveFirstOccurrence(const QString& text, const QString& word) {
    const qsizetype at = word.isEmpty() ? -1 : text.indexOf(word, 0, Qt::CaseInsensitive);
    if (at < 0) {
        return text;
    }
    return text.left(at) + text.mid(at + word.size());
}

QString StripSuiteWord(const QString& name) {
    return RemoveFirstOccurrence(name, QStringLiteral("ヌモリカ"));
}

QString MenuStaffCode(const AppContext& ctx) {
    return ctx.staff.code.isEmpty() ? ZeroString(5) : ctx.staff.code;
}

QString ConditionValueColumn(int index) {
    return QStringLiteral("条件項目値") + QChar(u'A' + index);
}

QString ConditionNameColumn(int index) {
    return QStringLiteral("条件項目名") + QChar(u'A' + index);
}

MenuTabView ReadMenuTab(AppContext& ctx, const QString& table, int tabPosition) {
    MenuTabView view;
    Recordset recordset;
    if (OpenBusinessRecordset(ctx, recordset,
                              QStringLiteral("SELECT * ") + QStringLiteral(" FROM ") + table +
                                  MenuCondition(ctx, tabPosition),
                              false)) {
        // A title without a name keeps the untitled caption.
        if (const auto title = OptionalText(recordset, QStringLiteral("機能名"))) {
            view.caption = StripSuiteWord(*title);
        }
    }
    recordset.close();

    if (!OpenBusinessRecordset(
            ctx, recordset,
            QStringLiteral("SELECT *") + QStringLiteral(" FROM ") + table + QStringLiteral("詳細") +
                MenuCondition(ctx, tabPosition) +
                QStringLiteral(" AND メニュ詳細位置 < 100 ORDER BY メニュ詳細位置"),
            false)) {
        return view;
    }
    for (; !recordset.atEnd(); recordset.moveNext()) {
        const auto position = recordset.field(QStringLiteral("メニュ詳細位置"));
        const auto name = OptionalText(recordset, QStringLiteral("プログラム名"));
        bool numeric = false;
        const int p = position && !position->isNull() ? position->toInt(&numeric) : -1;
        if (!numeric || p < 0 || p >= kMenuButtons || !name) {
            view.message =
                name.value_or(QString()) + QStringLiteral("メニュ設定が正しくありません");
            break;
        }
        view.buttonCaptions[p] = StripSuiteWord(*name);
        if (const auto description = OptionalText(recordset, QStringLiteral("説明"))) {
            view.descriptions[p] = *description;
        }
        view.filePaths[p] = OptionalText(recordset, QStringLiteral("filepath")).value_or(QString());
        view.enabled[p] = true;
    }
    recordset.close();
    return view;
}

std::optional<MenuEntry> ReadMenuEntry(AppContext& ctx, const QString& table, int tabPosition,
                                       int detailPosition) {
    Recordset recordset;
    if (!OpenBusinessRecordset(ctx, recordset,
                               QStringLiteral("SELECT *") + QStringLiteral(" FROM ") + table +
                                   QStringLiteral("詳細") + MenuCondition(ctx, tabPosition) +
                                   QStringLiteral(" AND メニュ詳細位置 = ") +
                                   QString::number(detailPosition),
                               false)) {
        recordset.close();
        return std::nullopt;
    }
    MenuEntry entry;
    entry.programName = OptionalText(recordset, QStringLiteral("プログラム名"));
    entry.description = OptionalText(recordset, QStringLiteral("説明"));
    entry.filePath = OptionalText(recordset, QStringLiteral("filepath"));
    for (int i = 0; i < kConditionCount; ++i) {
        entry.conditionValues[i] = OptionalText(recordset, ConditionValueColumn(i));
    }
    recordset.close();
    return entry;
}
