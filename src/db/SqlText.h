#pragma once

#include <QString>

// Single quotes doubled, then trailing blanks dropped; the caller writes the surrounding quotes.
QString EscapeSqlText(const QString& text);

// A text of n "0" characters; empty for n <= 0.
QString ZeroString(int n);

// A value placed between quotes in a statement: single quotes doubled and nothing else changed,
// so that the stored value is exactly the value given.
QString SqlQuote(const QString& value);

// A table or column name between double quotes (doubled inside), taken exactly as written.
QString SqlIdentifier(const QString& name);
