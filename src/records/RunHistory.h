#pragma once

#include <QDateTime>
#include <QString>

struct AppContext;

// The insert of one run-history row; the row keeps note exactly as given.
QString ComposeHistoryStatement(const QDateTime& moment, qint64 counter, const QString& note,
                                const QString& officeCode, const QString& staffCode,
                                const QString& userName);

// Raises the counter and writes one row on the configuration connection; a failure is swallowed.
void WriteHistoryRow(AppContext& ctx, const QString& note);

// "開始 " + the command text: the first row of a run, with the signed-in code stored at that
// moment.
void WriteRunStart(AppContext& ctx);
// "終了", with the signed-in code held in memory.
void WriteRunEnd(AppContext& ctx);
