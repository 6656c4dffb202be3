#include <QTest>

#include "db/ConnectionString.h"
#include "env/InstallPaths.h"

namespace {
DatabaseDefinition Definition(const QString& kind) {
    DatabaseDefinition d;
    d.kind = kind;
    d.providerName = QStringLiteral("PROV");
    d.userId = QStringLiteral("uid");
    d.password = QStringLiteral("pw");
    d.dataSourceName = QStringLiteral("/x/data/gnrdb.accdb");
    d.serverName = QStringLiteral("srv");
    d.databaseName = QStringLiteral("gnr");
    d.driverName = QStringLiteral("DRV");
    d.connectionText = QStringLiteral("DBQ=/x/data/gnrdb.accdb");
    return d;
}
}  // namespace

class TestConnectionStrings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void configuration_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("semicolon");
        QTest::addColumn<QString>("expected");
        QTest::newRow("accdb, shared copy") << int(DatabaseFileKind::Accdb) << false
                                            << "Provider=Microsoft.ACE.OLEDB.12.0;User "
                                               "ID=;Password=;Data Source=/b/conf/usrcnfg.accdb";
        QTest::newRow("mdb, user copy") << int(DatabaseFileKind::Mdb) << true
                                        << "Provider=Microsoft.Jet.OLEDB.4.0;User "
                                           "ID=;Password=;Data Source=/b/conf/usrcnfg.mdb;";
    }
    void configuration() {
        QFETCH(int, kind);
        QFETCH(bool, semicolon);
        QFETCH(QString, expected);
        const QString ending = DatabaseFileKind(kind) == DatabaseFileKind::Accdb
                                   ? QStringLiteral(".accdb")
                                   : QStringLiteral(".mdb");
        QCOMPARE(ComposeConfigConnectionString(DatabaseFileKind(kind), "/b/conf/usrcnfg" + ending,
                                               semicolon),
                 expected);
    }

    void business_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file")
            << "A"
            << "Provider=PROV;User ID=uid;Password=pw;Data Source=/x/data/gnrdb.accdb;";
        QTest::newRow("other provider")
            << "O"
            << "Provider=PROV;User ID=uid;Password=pw;Data Source=/x/data/gnrdb.accdb;";
        QTest::newRow("server")
            << "S"
            << "Provider=PROV;User ID=uid;Password=pw;Data Source=srv;Initial Catalog=gnr;";
        QTest::newRow("kind compared exactly") << "a"
                                               << "";
        QTest::newRow("unknown kind") << "X"
                                      << "";
    }
    void business() {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        QCOMPARE(ComposeBusinessConnectionString(Definition(kind)), expected);
    }

    void directOpen_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("connect");
        QTest::newRow("file: connection text less four characters") << "A"
                                                                    << "/x/data/gnrdb.accdb"
                                                                    << "";
        QTest::newRow("server") << "S"
                                << ""
                                << "ODBC;Driver={DRV};UID=uid;PWD=pw;Server=srv;Database=gnr;";
        QTest::newRow("other")
            << "O"
            << ""
            << "ODBC;Driver={DRV};UID=uid;PWD=pw;DBQ=/x/data/gnrdb.accdb;Database=gnr;";
    }
    void directOpen() {
        QFETCH(QString, kind);
        QFETCH(QString, name);
        QFETCH(QString, connect);
        const DaoOpenArguments arguments = ComposeDaoOpenArguments(Definition(kind));
        QCOMPARE(arguments.name, name);
        QCOMPARE(arguments.connect, connect);
    }

    void parsesWhatItComposes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("provider");
        QTest::addColumn<QString>("dataSource");
        QTest::newRow("configuration") << "Provider=Microsoft.ACE.OLEDB.12.0;User "
                                          "ID=;Password=;Data Source=/b/conf/usrcnfg.accdb"
                                       << "Microsoft.ACE.OLEDB.12.0"
                                       << "/b/conf/usrcnfg.accdb";
        QTest::newRow("path holding a semicolon")
            << "Provider=Microsoft.Jet.OLEDB.4.0;User ID=;Password=;Data Source=/b;c/usrcnfg.mdb;"
            << "Microsoft.Jet.OLEDB.4.0"
            << "/b;c/usrcnfg.mdb";
        QTest::newRow("path holding two semicolons in a row")
            << "Provider=P;Data Source=/b;;c/usrcnfg.mdb;"
            << "P"
            << "/b;;c/usrcnfg.mdb";
        QTest::newRow("keys in any case") << "provider=X;DATA SOURCE=/d.accdb"
                                          << "X"
                                          << "/d.accdb";
        QTest::newRow("blanks kept in values") << "Provider=P;Data Source=/my files/d.accdb;"
                                               << "P"
                                               << "/my files/d.accdb";
    }
    void parsesWhatItComposes() {
        QFETCH(QString, text);
        QFETCH(QString, provider);
        QFETCH(QString, dataSource);
        const auto fields = ParseConnectionString(text);
        QCOMPARE(fields.value(QStringLiteral("provider")), provider);
        QCOMPARE(fields.value(QStringLiteral("data source")), dataSource);
    }

    void fileProviders_data() {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<bool>("file");
        QTest::newRow("ACE") << "Microsoft.ACE.OLEDB.12.0" << true;
        QTest::newRow("ACE 16") << "Microsoft.ACE.OLEDB.16.0" << true;
        QTest::newRow("Jet") << "Microsoft.Jet.OLEDB.4.0" << true;
        QTest::newRow("lower case") << "microsoft.jet.oledb.4.0" << true;
        QTest::newRow("server") << "SQLOLEDB" << false;
        QTest::newRow("empty") << "" << false;
    }
    void fileProviders() {
        QFETCH(QString, provider);
        QFETCH(bool, file);
        QCOMPARE(IsFileProvider(provider), file);
    }
};

QTEST_GUILESS_MAIN(TestConnectionStrings)
#include "tst_connection_strings.moc"
