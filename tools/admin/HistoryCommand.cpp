#include "HistoryCommand.h"

#include <QDate>
#include <QSqlError>
#include <QSqlQuery>

#include "AdminInstallation.h"
#include "text/StringHelpers.h"

namespace {
constexpr int kFailed = 2;

const QStringList& Columns() {
    static const QStringList columns = {QStringLiteral("実行日付"),
                                        QStringLiteral("プログラムID"),
                                        QStringLiteral("起動担当者コード"),
                                        QStringLiteral("ユーザID"),
                                        QStringLiteral("運用事業所コード"),
                                        QStringLiteral("proccounter"),
                                        QStringLiteral("摘要")};
    return columns;
}

// Widths of the aligned table in half-width columns (a full-width character takes two); the
// note comes last and is not padded.
constexpr int kWidths[] = {15, 20, 8, 12, 6, 12};
// The table's headings, short enough for their columns.
const char* const kHeadings[] = {"実行日付", "プログラムID", "担当者", "ユーザID",
                                 "事業所",   "番号",         "摘要"};

QString Padded(const QString& text, int width) {
    return text + QString(qMax(1, width - ShiftJisLength(text) + 1), QLatin1Char(' '));
}

bool IsDay(const QString& text) {
    return QDate::fromString(text, QStringLiteral("yyyyMMdd")).isValid();
}
}  // namespace

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

int ShowHistory(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const QStringList& rest = call.operands;
    const bool csv = call.has(QStringLiteral("--csv"));
    const bool errors = call.has(QStringLiteral("--errors"));
    QStringList conditions;
    QVariantList values;
    const QList<std::pair<QString, QString>> options = {
        {QStringLiteral("--since"), QStringLiteral("実行日付 >= ?")},
        {QStringLiteral("--until"), QStringLiteral("実行日付 < ?")},
        {QStringLiteral("--program"), QStringLiteral("プログラムID = ?")},
        {QStringLiteral("--staff"), QStringLiteral("起動担当者コード = ?")},
        {QStringLiteral("--user"), QStringLiteral("ユーザID = ?")},
    };
    for (const auto& [option, condition] : options) {
        if (!call.has(option)) {
            continue;
        }
        QString value = call.value(option);
        const bool day = option == QLatin1String("--since") || option == QLatin1String("--until");
        if (day && !IsDay(value)) {
            err << QStringLiteral(
                       "%1 の「%2」は日付 (yyyymmdd) ではありません。"
                       "詳しくは numorika-admin history --help")
                       .arg(option, value)
                << '\n';
            return kFailed;
        }
        // The last day counts whole: up to the start of the next.
        if (option == QLatin1String("--until")) {
            value = QDate::fromString(value, QStringLiteral("yyyyMMdd"))
                        .addDays(1)
                        .toString(QStringLiteral("yyyyMMdd"));
        }
        conditions << condition;
        values << value;
    }
    if (errors) {
        conditions << QStringLiteral("摘要 LIKE 'エラー %'");
    }
    // Read-only: the programs of the suite go on writing while the rows are read.
    const ReadOnlyFile config(SharedConfigurationFile(rest[0]));
    if (!config.opened()) {
        err << QStringLiteral("設定ファイルを開けません: ") << SharedConfigurationFile(rest[0])
            << '\n';
        return kFailed;
    }
    QSqlQuery query(config.database());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT %1 FROM プログラム稼動履歴%2 ORDER BY 実行日付, rowid")
                      .arg(Columns().join(QStringLiteral(", ")),
                           conditions.isEmpty() ? QString()
                                                : QStringLiteral(" WHERE ") +
                                                      conditions.join(QStringLiteral(" AND "))));
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        err << QStringLiteral("プログラム稼動履歴を読めません: ") << query.lastError().text()
            << '\n';
        return kFailed;
    }
    if (csv) {
        out << Columns().join(QLatin1Char(',')) << "\r\n";
    } else {
        for (int i = 0; i + 1 < Columns().size(); ++i) {
            out << Padded(QString::fromUtf8(kHeadings[i]), kWidths[i]);
        }
        out << QString::fromUtf8(kHeadings[Columns().size() - 1]) << '\n';
    }
    while (query.next()) {
        QStringList fields;
        for (int i = 0; i < Columns().size(); ++i) {
            fields << query.value(i).toString();
        }
        if (csv) {
            QStringList quoted;
            for (const QString& field : fields) {
                quoted << CsvField(field);
            }
            out << quoted.join(QLatin1Char(',')) << "\r\n";
            continue;
        }
        for (int i = 0; i + 1 < fields.size(); ++i) {
            out << Padded(fields[i], kWidths[i]);
        }
        // A note keeps to its line in the table.
        QString note = fields.last();
        note.replace(QLatin1Char('\r'), QLatin1Char(' '))
            .replace(QLatin1Char('\n'), QLatin1Char(' '));
        out << note << '\n';
    }
    return 0;
}
