#include "install/AccessImport.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <QVariant>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <mdbtools.h>

#include "db/DatabaseFile.h"
#include "db/SqlText.h"
#include "db/SqliteFile.h"
#include "platform/Files.h"

namespace {
constexpr int kRowOffsetMask = 0x1fff;
constexpr int kLongValueHeader = 12;
constexpr qint64 kProgressEvery = 1000;
constexpr double kLastAccessDay = 2958466.0;  // 1 January 10000

struct HandleCloser {
    void operator()(MdbHandle* mdb) const { mdb_close(mdb); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const { mdb_free_tabledef(table); }
};
using Handle = std::unique_ptr<MdbHandle, HandleCloser>;
using Table = std::unique_ptr<MdbTableDef, TableFreer>;

QString Name(const char* text) {
    return QString::fromUtf8(text);
}

// The column types carried, with the type the new file declares; empty for those left out.
QString DeclaredType(int accessType) {
    switch (accessType) {
        case MDB_BOOL:
        case MDB_BYTE:
        case MDB_INT:
        case MDB_LONGINT:
            return QStringLiteral("INTEGER");
        case MDB_FLOAT:
        case MDB_DOUBLE:
            return QStringLiteral("REAL");
        case MDB_MONEY:
        case MDB_NUMERIC:
            return QStringLiteral("NUMERIC");
        case MDB_DATETIME:
        case MDB_TEXT:
        case MDB_MEMO:
        case MDB_REPID:
            return QStringLiteral("TEXT");
        case MDB_BINARY:
        case MDB_OLE:
            return QStringLiteral("BLOB");
        default:
            return {};
    }
}

QString TypeDescription(int accessType) {
    return accessType == MDB_COMPLEX ? QStringLiteral("添付ファイルまたは複数値")
                                     : QStringLiteral("種類 %1").arg(accessType);
}

// A long value (memo or OLE object): in the row, on one page of its own, or in a chain of pages.
std::optional<QByteArray> ReadLongValue(MdbHandle* mdb, const unsigned char* header, int size) {
    if (size < kLongValueHeader) {
        return std::nullopt;
    }
    const quint32 word = qFromLittleEndian<quint32>(header);
    const qint64 length = word & 0x3fffffff;
    if (word & 0x80000000U) {
        if (length > size - kLongValueHeader) {
            return std::nullopt;
        }
        return QByteArray(reinterpret_cast<const char*>(header) + kLongValueHeader, length);
    }
    qint32 pageRow = qFromLittleEndian<qint32>(header + 4);
    const bool chained = (word & 0x40000000U) == 0;
    QByteArray value;
    // A chain never has more links than the value has bytes; a loop in a damaged file ends there.
    for (qint64 links = 0; pageRow != 0 && links <= length; ++links) {
        void* page = nullptr;
        int start = 0;
        size_t rowLength = 0;
        if (mdb_find_pg_row(mdb, pageRow, &page, &start, &rowLength) != 0) {
            return std::nullopt;
        }
        start &= kRowOffsetMask;
        const auto* bytes = static_cast<const unsigned char*>(page) + start;
        if (start + static_cast<qint64>(rowLength) > mdb->fmt->pg_size ||
            (chained && rowLength < 4)) {
            return std::nullopt;
        }
        if (!chained) {
            value.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(rowLength));
            break;
        }
        value.append(reinterpret_cast<const char*>(bytes) + 4,
                     static_cast<qsizetype>(rowLength) - 4);
        pageRow = qFromLittleEndian<qint32>(bytes);
        if (value.size() > length) {
            return std::nullopt;
        }
    }
    if (value.size() < length) {
        return std::nullopt;
    }
    value.truncate(length);
    return value;
}

QString TextOf(MdbHandle* mdb, const char* bytes, qsizetype size) {
    if (size == 0) {
        return QStringLiteral("");
    }
    // Each stored byte (a compressed or a code page's character) or pair becomes at most three.
    std::vector<char> text(static_cast<size_t>(size) * 3 + 8);
    const int length =
        mdb_unicode2ascii(mdb, bytes, static_cast<size_t>(size), text.data(), text.size() - 1);
    return QString::fromUtf8(text.data(), length);
}

struct CarriedColumn {
    MdbColumn* column;
    int index;  // in the row's fields
};

// One value of the current row; nullopt when the row cannot be read.
std::optional<QVariant> FieldValue(MdbHandle* mdb, const CarriedColumn& carried,
                                   const MdbField& field) {
    const MdbColumn& column = *carried.column;
    if (column.col_type == MDB_BOOL) {
        // The null bit holds a Yes/No value; Access's own True is -1.
        return QVariant(qlonglong(field.is_null ? 0 : -1));
    }
    if (field.is_null) {
        return QVariant();
    }
    if (field.start < 0 || field.siz < 0 || field.start + field.siz > mdb->fmt->pg_size) {
        return std::nullopt;
    }
    const auto* bytes = mdb->pg_buf + field.start;
    const auto fixed = [&](int size) { return field.siz >= size; };
    switch (column.col_type) {
        case MDB_BYTE:
            return fixed(1) ? std::optional<QVariant>(qlonglong(bytes[0])) : std::nullopt;
        case MDB_INT:
            return fixed(2) ? std::optional<QVariant>(qlonglong(qFromLittleEndian<qint16>(bytes)))
                            : std::nullopt;
        case MDB_LONGINT:
            return fixed(4) ? std::optional<QVariant>(qlonglong(qFromLittleEndian<qint32>(bytes)))
                            : std::nullopt;
        case MDB_FLOAT:
            return fixed(4) ? std::optional<QVariant>(double(qFromLittleEndian<float>(bytes)))
                            : std::nullopt;
        case MDB_DOUBLE:
            return fixed(8) ? std::optional<QVariant>(qFromLittleEndian<double>(bytes))
                            : std::nullopt;
        case MDB_MONEY:
            return fixed(8) ? std::optional<QVariant>(
                                  AccessCurrencyText(qFromLittleEndian<qint64>(bytes)))
                            : std::nullopt;
        case MDB_DATETIME:
            // Access holds the years 100 to 9999; a day number beyond them is damage.
            if (!fixed(8) || !(std::fabs(qFromLittleEndian<double>(bytes)) < kLastAccessDay)) {
                return std::nullopt;
            }
            return QVariant(AccessDateText(qFromLittleEndian<double>(bytes)));
        case MDB_NUMERIC: {
            if (!fixed(17)) {
                return std::nullopt;
            }
            char* text = mdb_numeric_to_string(mdb, field.start, column.col_scale, column.col_prec);
            const QString value = QString::fromUtf8(text);
            g_free(text);
            return QVariant(value);
        }
        case MDB_REPID: {
            if (!fixed(16)) {
                return std::nullopt;
            }
            char* text = mdb_uuid_to_string(mdb->pg_buf, field.start);
            const QString value = QString::fromLatin1(text);
            g_free(text);
            return QVariant(value);
        }
        case MDB_TEXT:
            return QVariant(TextOf(mdb, reinterpret_cast<const char*>(bytes), field.siz));
        case MDB_BINARY:
            return QVariant(QByteArray(reinterpret_cast<const char*>(bytes), field.siz));
        case MDB_MEMO:
        case MDB_OLE: {
            const auto value = ReadLongValue(mdb, bytes, field.siz);
            if (!value) {
                return std::nullopt;
            }
            if (column.col_type == MDB_OLE) {
                return QVariant(*value);
            }
            return QVariant(TextOf(mdb, value->constData(), value->size()));
        }
        default:
            return std::nullopt;
    }
}

QString CreateStatement(const QString& name, const QList<CarriedColumn>& columns,
                        const QStringList& primaryKey) {
    QStringList definitions;
    for (const CarriedColumn& carried : columns) {
        definitions << SqlIdentifier(Name(carried.column->name)) + QLatin1Char(' ') +
                           DeclaredType(carried.column->col_type);
    }
    if (!primaryKey.isEmpty()) {
        definitions
            << QStringLiteral("PRIMARY KEY (%1)").arg(primaryKey.join(QStringLiteral(", ")));
    }
    return QStringLiteral("CREATE TABLE %1 (%2)")
        .arg(SqlIdentifier(name), definitions.join(QStringLiteral(", ")));
}

// The key columns of an index, by name with their order; empty when one of them is not carried.
QStringList IndexColumns(MdbTableDef* table, const MdbIndex& index,
                         const QList<CarriedColumn>& carried) {
    QStringList columns;
    for (unsigned int key = 0; key < index.num_keys; ++key) {
        const int number = index.key_col_num[key] - 1;
        const bool isCarried = std::any_of(carried.begin(), carried.end(),
                                           [&](const auto& c) { return c.index == number; });
        if (number < 0 || number >= int(table->num_cols) || !isCarried) {
            return {};
        }
        const auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, number));
        columns << SqlIdentifier(Name(column->name)) +
                       (index.key_col_order[key] == MDB_DESC ? QStringLiteral(" DESC") : QString());
    }
    return columns;
}

struct TableImport {
    QString name;
    QList<CarriedColumn> columns;
    QStringList primaryKey;
    QStringList indexStatements;
};

class Importer {
public:
    Importer(MdbHandle* mdb, SqliteFile& db, const AccessImportProgress& progress,
             AccessImportResult& result)
        : mdb_(mdb), db_(db), progress_(progress), result_(result) {}

    std::optional<QString> importTable(MdbCatalogEntry* entry) {
        const QString name = Name(entry->object_name);
        const Table table(mdb_read_table(entry));
        if (table) {
            mdb_read_columns(table.get());
            mdb_read_indices(table.get());
        }
        // The reader answers nothing useful from reading the indexes: the lists tell.
        if (!table || !table->columns || table->columns->len != table->num_cols ||
            (table->num_idxs > 0 && (!table->indices || table->indices->len < table->num_idxs))) {
            return QStringLiteral("表「%1」の定義を読めません。").arg(name);
        }
        TableImport import{name, {}, {}, {}};
        for (unsigned int i = 0; i < table->num_cols; ++i) {
            auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, i));
            if (DeclaredType(column->col_type).isEmpty()) {
                result_.leftOut << QStringLiteral(
                                       "表「%1」の列「%2」(%3) は移せないため除きました。")
                                       .arg(name, Name(column->name),
                                            TypeDescription(column->col_type));
                continue;
            }
            import.columns.append({column, int(i)});
        }
        if (import.columns.isEmpty()) {
            result_.leftOut << QStringLiteral("表「%1」には移せる列が有りません。").arg(name);
            return std::nullopt;
        }
        for (unsigned int i = 0; i < table->num_idxs; ++i) {
            const auto* index = static_cast<MdbIndex*>(g_ptr_array_index(table->indices, i));
            // Type 2 stands for the other side of a relationship, not an index of this table.
            if (index->index_type == 2) {
                continue;
            }
            const QStringList columns = IndexColumns(table.get(), *index, import.columns);
            if (columns.isEmpty()) {
                result_.leftOut << QStringLiteral(
                                       "表「%1」のインデックス「%2」は列が移せないため"
                                       "除きました。")
                                       .arg(name, Name(index->name));
                continue;
            }
            if (index->index_type == 1) {
                import.primaryKey = columns;
                continue;
            }
            import.indexStatements
                << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                       .arg(index->flags & MDB_IDX_UNIQUE ? QStringLiteral("UNIQUE ") : QString(),
                            SqlIdentifier(name + QLatin1Char('_') + Name(index->name)),
                            SqlIdentifier(name), columns.join(QStringLiteral(", ")));
        }
        return copyRows(table.get(), import);
    }

private:
    std::optional<QString> copyRows(MdbTableDef* table, const TableImport& import) {
        if (!db_.execute(CreateStatement(import.name, import.columns, import.primaryKey))) {
            return writeFailure();
        }
        QStringList marks;
        for (qsizetype i = 0; i < import.columns.size(); ++i) {
            marks << QStringLiteral("?");
        }
        auto insert =
            db_.prepare(QStringLiteral("INSERT INTO %1 VALUES (%2)")
                            .arg(SqlIdentifier(import.name), marks.join(QLatin1Char(','))));
        if (!insert) {
            return writeFailure();
        }
        std::vector<MdbField> fields(MDB_MAX_COLS);
        qint64 rows = 0;
        mdb_rewind_table(table);
        while (mdb_fetch_row(table)) {
            int start = 0;
            size_t length = 0;
            if (mdb_find_row(mdb_, int(table->cur_row) - 1, &start, &length) != 0 ||
                mdb_crack_row(table, start & kRowOffsetMask, length, fields.data()) <
                    int(table->num_cols)) {
                return rowFailure(import.name, rows + 1);
            }
            for (qsizetype i = 0; i < import.columns.size(); ++i) {
                const CarriedColumn& carried = import.columns[i];
                const auto value = FieldValue(mdb_, carried, fields[size_t(carried.index)]);
                if (!value) {
                    return rowFailure(import.name, rows + 1);
                }
                insert->bind(int(i), *value);
            }
            if (!insert->run()) {
                return writeFailure();
            }
            if (++rows % kProgressEvery == 0 && progress_) {
                progress_(import.name, rows);
            }
        }
        // Rows the table's own count holds that no page gave are pages lost from the file.
        if (rows != qint64(table->num_rows)) {
            return QStringLiteral(
                       "表「%1」の行を読めません (表の記録では %2 行、読めたのは %3 行)。")
                .arg(import.name)
                .arg(table->num_rows)
                .arg(rows);
        }
        for (const QString& statement : import.indexStatements) {
            if (!db_.execute(statement)) {
                return writeFailure();
            }
        }
        if (progress_) {
            progress_(import.name, rows);
        }
        result_.tables.append({import.name, rows, 0});
        return std::nullopt;
    }

    static QString rowFailure(const QString& table, qint64 row) {
        return QStringLiteral("表「%1」の %2 行目を読めません。").arg(table).arg(row);
    }

    QString writeFailure() const {
        return QStringLiteral("新しいファイルに書き込めません: %1").arg(db_.error());
    }

    MdbHandle* mdb_;
    SqliteFile& db_;
    const AccessImportProgress& progress_;
    AccessImportResult& result_;
};

// Why a file cannot be read as an Access file before the reader is given it; nullopt when it may.
std::optional<QString> CheckSource(const QString& source) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) {
        return QStringLiteral("「%1」を読めません: %2").arg(source, file.errorString());
    }
    if (!IsAccessDatabaseFile(source)) {
        return QStringLiteral("「%1」は Access のデータベースファイルではありません。").arg(source);
    }
    file.seek(0x14);
    const QByteArray version = file.read(1);
    // A Jet 3 file is made of pages of 2 KB, later ones of 4 KB; a file cut short ends inside one.
    const qint64 pageSize = !version.isEmpty() && version[0] == 0 ? 2048 : 4096;
    if (file.size() < 2 * pageSize || file.size() % pageSize != 0) {
        return QStringLiteral("「%1」は途中で切れています (%2 バイト)。")
            .arg(source)
            .arg(file.size());
    }
    return std::nullopt;
}

std::optional<QString> ImportTables(MdbHandle* mdb, SqliteFile& db, const QString& target,
                                    const AccessImportProgress& progress,
                                    AccessImportResult& result) {
    // The staged file is private until the rename: a crash leaves only a file to throw away.
    for (const QString& statement :
         QStringList{QStringLiteral("PRAGMA journal_mode = OFF"),
                     QStringLiteral("PRAGMA synchronous = OFF"), QStringLiteral("BEGIN")} +
             DatabaseInfoSchema(DatabaseFileFormat(target), kJapaneseLocale)) {
        if (!db.execute(statement)) {
            return QStringLiteral("新しいファイルに書き込めません: %1").arg(db.error());
        }
    }
    // Every Access file lists its own catalogue table: a list without it was not read whole.
    if (!mdb_read_catalog(mdb, MDB_ANY) ||
        !mdb_get_catalogentry_by_name(mdb, QByteArrayLiteral("MSysObjects").constData())) {
        return QStringLiteral("オブジェクトの一覧を読めません。");
    }
    Importer importer(mdb, db, progress, result);
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        const QString name = Name(entry->object_name);
        if (entry->object_type == MDB_LINKED_TABLE) {
            result.leftOut << QStringLiteral(
                                  "リンクテーブル「%1」は元のファイルに有るため除きました。")
                                  .arg(name);
            continue;
        }
        if (entry->object_type != MDB_TABLE || !mdb_is_user_table(entry) ||
            name.startsWith(QStringLiteral("MSys"), Qt::CaseInsensitive)) {
            continue;
        }
        if (auto failure = importer.importTable(entry)) {
            return failure;
        }
    }
    if (!db.execute(QStringLiteral("COMMIT"))) {
        return QStringLiteral("新しいファイルに書き込めません: %1").arg(db.error());
    }
    // The report counts what the file holds, not what was sent to it.
    for (AccessTableReport& table : result.tables) {
        const auto rows =
            db.integer(QStringLiteral("SELECT COUNT(*) FROM %1").arg(SqlIdentifier(table.table)));
        if (!rows) {
            return QStringLiteral("新しいファイルを読めません: %1").arg(db.error());
        }
        table.rowsWritten = *rows;
    }
    return std::nullopt;
}

std::optional<QString> ImportInto(const QString& source, const QString& staged,
                                  const QString& target, const AccessImportOptions& options,
                                  const AccessImportProgress& progress,
                                  AccessImportResult& result) {
    const Handle mdb(mdb_open(QFile::encodeName(source).constData(), MDB_NOFLAGS));
    if (!mdb) {
        return QStringLiteral("「%1」を Access のファイルとして開けません。").arg(source);
    }
    if (IS_JET3(mdb.get()) && !options.jet3Charset.isEmpty()) {
        const iconv_t converter = iconv_open("UTF-8", options.jet3Charset.toLatin1().constData());
        if (converter == reinterpret_cast<iconv_t>(-1)) {
            return QStringLiteral("文字コード「%1」は使えません。").arg(options.jet3Charset);
        }
        iconv_close(mdb->iconv_in);
        mdb->iconv_in = converter;
    }
    SqliteFile db(staged);
    return db.isOpen() ? ImportTables(mdb.get(), db, target, progress, result)
                       : QStringLiteral("「%1」を作成できません: %2").arg(staged, db.error());
}

// The reader trusts the file it is given: a damaged one can make it read past the end or fail
// outright, and it says so only on its error stream. It therefore runs in a child process whose
// error stream is kept, and whose report comes back line by line: "P" progress, "L" a part left
// out, "T" a table, "R" a refusal, "E" the end.
QByteArray Line(char kind, const QStringList& fields) {
    QStringList flat;
    for (QString field : fields) {
        flat << field.replace(QLatin1Char('\t'), QLatin1Char(' '))
                    .replace(QLatin1Char('\n'), QLatin1Char(' '));
    }
    return QByteArray(1, kind) + '\t' + flat.join(QLatin1Char('\t')).toUtf8() + '\n';
}

void WriteAll(int fd, const QByteArray& bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written <= 0) {
            return;
        }
        done += written;
    }
}

[[noreturn]] void RunChild(int report, int log, const QString& source, const QString& staged,
                           const QString& target, const AccessImportOptions& options) {
    ::dup2(log, STDERR_FILENO);
    AccessImportResult result;
    const auto progress = [report](const QString& table, qint64 rows) {
        WriteAll(report, Line('P', {QString::number(rows), table}));
    };
    result.refusal = ImportInto(source, staged, target, options, progress, result);
    QByteArray lines;
    for (const QString& line : result.leftOut) {
        lines += Line('L', {line});
    }
    for (const AccessTableReport& table : result.tables) {
        lines += Line('T', {QString::number(table.rowsRead), QString::number(table.rowsWritten),
                            table.table});
    }
    if (result.refusal) {
        lines += Line('R', {*result.refusal});
    }
    WriteAll(report, lines + Line('E', {}));
    ::_exit(0);
}

// The first complaint of the reader about the file, if any.
std::optional<QString> ReaderComplaint(int log) {
    ::lseek(log, 0, SEEK_SET);
    QFile file;
    if (!file.open(log, QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).remove(QLatin1Char('\n'));
        const QString lower = line.toLower();
        if (lower.contains(QStringLiteral("eof")) || lower.contains(QStringLiteral("fail")) ||
            lower.contains(QStringLiteral("error")) ||
            lower.contains(QStringLiteral("unrecognized"))) {
            return line;
        }
    }
    return std::nullopt;
}

AccessImportResult ReadInChild(const QString& source, const QString& staged, const QString& target,
                               const AccessImportOptions& options,
                               const AccessImportProgress& progress) {
    AccessImportResult result;
    int pipeEnds[2];
    const int log = ::memfd_create("access-import-log", MFD_CLOEXEC);
    if (log < 0 || ::pipe2(pipeEnds, O_CLOEXEC) != 0) {
        result.refusal = QStringLiteral("読み取りを始められません: %1").arg(qt_error_string(errno));
        return result;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        RunChild(pipeEnds[1], log, source, staged, target, options);
    }
    ::close(pipeEnds[1]);
    bool ended = false;
    QFile report;
    if (child > 0 && report.open(pipeEnds[0], QIODevice::ReadOnly)) {
        while (true) {
            const QByteArray raw = report.readLine();
            if (raw.isEmpty()) {
                break;
            }
            const QStringList fields = QString::fromUtf8(raw.chopped(1)).split(QLatin1Char('\t'));
            const QString kind = fields.value(0);
            if (kind == QLatin1String("P") && progress) {
                progress(fields.value(2), fields.value(1).toLongLong());
            } else if (kind == QLatin1String("L")) {
                result.leftOut << fields.value(1);
            } else if (kind == QLatin1String("T")) {
                result.tables.append(
                    {fields.value(3), fields.value(1).toLongLong(), fields.value(2).toLongLong()});
            } else if (kind == QLatin1String("R")) {
                result.refusal = fields.value(1);
            } else if (kind == QLatin1String("E")) {
                ended = true;
            }
        }
        report.close();
    }
    ::close(pipeEnds[0]);
    int status = 0;
    const bool exited = child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
                        WEXITSTATUS(status) == 0;
    const auto complaint = ReaderComplaint(log);
    ::close(log);
    if (!exited || !ended) {
        result.refusal =
            QStringLiteral("「%1」を読めません: ファイルが壊れています%2。")
                .arg(source, complaint ? QStringLiteral(" (%1)").arg(*complaint) : QString());
    } else if (!result.refusal && complaint) {
        result.refusal = QStringLiteral("「%1」を読めません: %2").arg(source, *complaint);
    }
    return result;
}
}  // namespace

bool AccessImportResult::complete() const {
    return !refusal && std::all_of(tables.begin(), tables.end(),
                                   [](const AccessTableReport& table) { return table.whole(); });
}

QString AccessDateText(double days) {
    const double whole = std::trunc(days);
    qint64 seconds = std::llround(std::fabs(days - whole) * 86400.0);
    qint64 day = qint64(whole);
    if (seconds >= 86400) {
        seconds -= 86400;
        ++day;
    }
    const QDate date = QDate(1899, 12, 30).addDays(day);
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString AccessCurrencyText(qint64 tenThousandths) {
    const quint64 magnitude =
        tenThousandths < 0 ? quint64(0) - quint64(tenThousandths) : quint64(tenThousandths);
    return QStringLiteral("%1%2.%3")
        .arg(tenThousandths < 0 ? QStringLiteral("-") : QString())
        .arg(magnitude / 10000)
        .arg(magnitude % 10000, 4, 10, QLatin1Char('0'));
}

AccessImportResult ImportAccessFile(const QString& source, const QString& target,
                                    const AccessImportOptions& options,
                                    const AccessImportProgress& progress) {
    AccessImportResult result;
    const QFileInfo targetInfo(target);
    if (targetInfo.exists() || targetInfo.isSymLink()) {
        result.refusal = QStringLiteral("「%1」は既に有ります。上書きしません。").arg(target);
        return result;
    }
    if (auto refusal = CheckSource(source)) {
        result.refusal = refusal;
        return result;
    }
    // Made by the database engine itself, the file gets the modes every database file gets.
    const QString staged = QStringLiteral("%1.%2.part")
                               .arg(target, QUuid::createUuid().toString(QUuid::Id128).left(12));
    result = ReadInChild(source, staged, target, options, progress);
    bool renamed = false;
    if (!result.refusal && result.complete()) {
        renamed = SyncToDisk(staged) && QFile::rename(staged, target);
        if (!renamed) {
            result.refusal = QStringLiteral("「%1」を作成できません。").arg(target);
        } else {
            SyncToDisk(targetInfo.absolutePath());
        }
    }
    if (!renamed) {
        QFile::remove(staged);
    }
    if (result.refusal) {
        result.tables.clear();
    }
    return result;
}
