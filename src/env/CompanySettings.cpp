#include "env/CompanySettings.h"

#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "platform/CodeConverter.h"

namespace {
// The office columns whose non-empty values replace the company's.
const char* const kOverriddenFolders[] = {
    "総合振込ファイル",   "基本読込フォルダ",     "帳票イメージフォルダ", "その他読込ファイル",
    "本支店連携フォルダ", "テキスト出力フォルダ", "BACKUPフォルダ"};

// Fills a record from the recordset's row. A row lacking a column is recorded like a failed
// statement and leaves the record as it was.
bool FillRecord(AppContext& ctx, const Recordset& recordset, const QList<ColumnSpec>& columns,
                const QString& sql, ColumnRecord& record) {
    ColumnRecord fresh;
    if (const auto missing = ReadColumns(recordset, columns, fresh)) {
        WriteErrorRecord(ctx, QStringLiteral("列「%1」がありません。").arg(*missing) + sql);
        return false;
    }
    record = fresh;
    return true;
}

void ConvertPin(AppContext& ctx, ColumnRecord& record, const QString& column) {
    if (!record.value(column).isNull()) {
        if (CodeConverter::isTooCostly(record.text(column))) {
            WriteErrorRecord(
                ctx,
                QStringLiteral("「%1」は照合の負荷が大きすぎるため照合しません。").arg(column));
        }
        record.set(column, ctx.codeConverter.convert(record.text(column)));
    }
}

QString OfficeSql(const QString& code) {
    return QStringLiteral("SELECT * FROM M事業所 WHERE コード = ") + SqlQuote(code);
}

// Opens the operating office's row. When the office does not exist, the head office takes its
// place and becomes the operating office. A failing query is no proof that the office is gone,
// so it changes nothing.
bool OpenOperatingOffice(AppContext& ctx, Recordset& recordset) {
    if (OpenBusinessRecordset(ctx, recordset, OfficeSql(ctx.environment.operatingOfficeCode),
                              false)) {
        return true;
    }
    if (!recordset.isOpen()) {
        return false;
    }
    recordset.close();
    const bool found = OpenBusinessRecordset(ctx, recordset, OfficeSql(ZeroString(3)), false);
    SetOperatingOffice(ctx, ZeroString(3));
    return found;
}

bool LoadCompany(AppContext& ctx) {
    const QString sql = QStringLiteral("SELECT * FROM Mユーザ WHERE ID = '0001'");
    Recordset recordset;
    const bool found = OpenBusinessRecordset(ctx, recordset, sql, false) &&
                       FillRecord(ctx, recordset, CompanyColumns(), sql, ctx.company);
    recordset.close();
    if (!found) {
        return false;
    }
    ConvertPin(ctx, ctx.company, QStringLiteral("特権暗証番号"));
    const QString systemPin = QStringLiteral("システム特権暗証番号");
    if (ctx.company.value(systemPin).isNull()) {
        ctx.company.set(systemPin, kDefaultSystemPin);
    } else {
        ConvertPin(ctx, ctx.company, systemPin);
    }
    ctx.pinRequired = ctx.company.number(QStringLiteral("暗証番号有無"));
    return true;
}

void LoadLinkSettings(AppContext& ctx) {
    for (std::size_t slot = 0; slot < ctx.links.records.size(); ++slot) {
        Recordset recordset;
        const QString sql = QStringLiteral("SELECT TOP 1 * FROM M他業務連携 WHERE コード = ") +
                            SqlQuote(QString::fromLatin1(LinkSettings::kSlotCodes[slot]));
        if (OpenBusinessRecordset(ctx, recordset, sql, false)) {
            FillRecord(ctx, recordset, LinkColumns(), sql, ctx.links.records[slot]);
        }
        recordset.close();
    }
}

void LoadOfficeSettings(AppContext& ctx) {
    Recordset recordset;
    const bool found = OpenOperatingOffice(ctx, recordset) &&
                       FillRecord(ctx, recordset, OfficeColumns(),
                                  OfficeSql(ctx.environment.operatingOfficeCode), ctx.office);
    recordset.close();
    // Without the office's row nothing overrides the company: an unreadable office must never
    // switch the sign-in off.
    if (!found) {
        return;
    }
    ConvertPin(ctx, ctx.office, QStringLiteral("特権暗証番号"));
    if (ctx.environment.operatingOfficeCode == ZeroString(3)) {
        return;
    }
    ctx.pinRequired = ctx.office.number(QStringLiteral("暗証番号有無"));
    ctx.company.set(QStringLiteral("更新実行区分"),
                    ctx.office.number(QStringLiteral("更新実行区分")));
    for (const char* folder : kOverriddenFolders) {
        const QString column = QString::fromUtf8(folder);
        if (!ctx.office.text(column).isEmpty()) {
            ctx.company.set(column, ctx.office.text(column));
        }
    }
}

void CountOffices(AppContext& ctx) {
    Recordset recordset;
    ctx.officeCount = 0;
    if (OpenBusinessRecordset(
            ctx, recordset,
            QStringLiteral("SELECT COUNT(*) AS 事業所件数 FROM M事業所 WHERE コード <> '000'"),
            false)) {
        const auto count = recordset.field(QStringLiteral("事業所件数"));
        if (count && !count->isNull()) {
            ctx.officeCount = static_cast<qint16>(qBound(0, count->toInt(), 32767));
        }
    }
    recordset.close();
}
}  // namespace

bool LoadCompanySettings(AppContext& ctx) {
    const bool result = LoadCompany(ctx);
    {
        Recordset recordset;
        OpenOperatingOffice(ctx, recordset);
    }
    LoadLinkSettings(ctx);
    LoadOfficeSettings(ctx);
    CountOffices(ctx);
    return result;
}

void SetOperatingOffice(AppContext& ctx, const QString& code) {
    ctx.environment.operatingOfficeCode = code;
    ExecuteConfigLogged(ctx, QStringLiteral("UPDATE 動作環境定義 SET ") +
                                 QStringLiteral(" 運用事業所コード = ") + SqlQuote(code) +
                                 QStringLiteral(" WHERE 動作環境定義ID = '001'"));
}
