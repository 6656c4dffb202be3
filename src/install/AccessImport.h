#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

// How an Access file is read.
struct AccessImportOptions {
    // The code page of the texts of a Jet 3 file (Access 97), such as "CP932"; empty keeps the
    // reader's own assumption. Later formats hold their texts in Unicode and ignore it.
    QString jet3Charset;
};

// One table brought over: the rows read from the Access file and the rows the new file holds.
struct AccessTableReport {
    QString table;
    qint64 rowsRead = 0;
    qint64 rowsWritten = 0;
    bool whole() const { return rowsRead == rowsWritten; }
};

struct AccessImportResult {
    // Why nothing was written: one line naming what could not be read or written.
    std::optional<QString> refusal;
    QList<AccessTableReport> tables;
    // Columns and tables that could not be carried, one line each.
    QStringList leftOut;
    bool complete() const;
};

// Called after each batch of rows and at the end of every table.
using AccessImportProgress = std::function<void(const QString& table, qint64 rowsRead)>;

// Reads every user table of an Access file (Jet 3, Jet 4 or ACE) and writes a new database file
// of the suite at target: the columns in their order with their names, the values exactly, the
// primary keys and indexes. The file is built under a temporary name and renamed into place only
// when every table's rows were counted back in it; an existing target is never touched, and a
// refusal leaves nothing behind.
AccessImportResult ImportAccessFile(const QString& source, const QString& target,
                                    const AccessImportOptions& options,
                                    const AccessImportProgress& progress = {});

// The text of an Access date: days since 30 December 1899, the fraction the time of that day
// (also for days before it). "YYYY-MM-DD HH:MM:SS".
QString AccessDateText(double days);

// The text of an Access currency value, held in ten-thousandths: every place kept.
QString AccessCurrencyText(qint64 tenThousandths);
