#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// How a column is stored and read.
enum class ColumnType {
    Text,      // read as text
    Int16,     // read as text and brought to the nearest 16-bit integer
    Currency,  // fixed point with four decimals
};

struct ColumnSpec {
    QString name;
    ColumnType type;
};

// The columns of the business masters, in table order, as the system reads them.
const QList<ColumnSpec>& CompanyColumns();  // Mユーザ
const QList<ColumnSpec>& OfficeColumns();   // M事業所
const QList<ColumnSpec>& LinkColumns();     // M他業務連携
const QList<ColumnSpec>& StaffColumns();    // M担当者

// A column name as the business tables declare it ("ID"), from the name a server folded to lower
// case ("id"); a name the tables do not declare is answered as given.
QString DeclaredColumnName(const QString& folded);

// The four program catalogues of the configuration database, in the order they are searched.
QStringList CatalogueTables();

// The CREATE statements of every table the system reads or writes, with the keys it relies on.
// Installations and test fixtures are both built from these.
QStringList ConfigurationSchema();
QStringList BusinessSchema();

// An index of the configuration file by name. The menu adds those a file lacks when it opens it
// (files made before the index existed) and drops the retired ones they replace.
struct IndexSpec {
    QString name;
    QString statement;
};
QList<IndexSpec> ConfigurationIndexes();
