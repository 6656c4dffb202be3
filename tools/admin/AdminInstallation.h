#pragma once

#include <QSqlDatabase>
#include <QTextStream>
#include <optional>

#include "context/AppContext.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/RegistryStore.h"
#include "platform/Shell.h"

// Boxes of the menu's code reach the administrator's terminal; nothing is ever started.
class ConsoleDialogs final : public Dialogs {
public:
    explicit ConsoleDialogs(QTextStream& err) : err_(err) {}
    void information(const QString& text) override;
    bool question(const QString& text) override;
    std::optional<QString> openFile(const QStringList&, const QString&) override;

private:
    QTextStream& err_;
};

class NoShell final : public Shell {
public:
    bool startProgram(const QString&, const QString&) override { return false; }
    bool openDocument(const QString&, const QString&) override { return false; }
    bool powerOff() override { return false; }
};

// A read-only look into a database file: nothing of it changes, whoever else has it open.
class ReadOnlyFile {
public:
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    bool opened() const { return opened_; }
    QSqlDatabase database() const;
    // The first value of a query; empty when it fails or finds nothing.
    QString value(const QString& sql) const;

private:
    QString name_;
    bool opened_ = false;
};

// The shared configuration file of an installation: BASE/conf/usrcnfg.accdb (or .mdb).
QString SharedConfigurationFile(const QString& base);

// The backup folder (--folder DIR or the company's BACKUPフォルダ) as a whole path; when it is
// blanks only, err is told how to give one and nothing is answered.
std::optional<QString> BackupRoot(const QString& folder, QTextStream& err);

// The installation's environment, company and office, as the menu started from BASE/prgbin
// would load them, without writing the menu's start and end rows.
class AdminInstallation {
public:
    AdminInstallation(const QString& base, QTextStream& err);
    // Opens both databases and loads the company; tells err why not.
    bool load(QTextStream& err);
    AppContext& context() { return ctx_; }

private:
    ConsoleDialogs dialogs_;
    NoShell shell_;
    SystemClock clock_;
    FileRegistryStore registry_;
    AppContext ctx_;
};
