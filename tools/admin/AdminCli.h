#pragma once

#include <QHash>
#include <QList>
#include <QStringList>
#include <QTextStream>
#include <functional>

// The command-line habits of numorika-admin, kept apart from what the subcommands do: each
// subcommand is one row of a table (its words, operands, options and the lines that describe
// it), and the help, the usage errors, the man page and the shell completion are all read from
// that table.

// The exit status of a usage error (and of a refusal or failure of a subcommand).
constexpr int kUsageError = 2;

// A command line parsed against a subcommand's row.
struct AdminCall {
    QStringList operands;
    QHash<QString, QString> options;  // a switch maps to an empty text
    QStringList given;  // the options as given, in order and with their values: some repeat
    bool has(const QString& option) const { return options.contains(option); }
    QString value(const QString& option) const { return options.value(option); }
    // Every value of an option that may be given more than once, in the order given.
    QStringList values(const QString& option) const {
        QStringList found;
        for (qsizetype i = 0; i + 1 < given.size(); ++i) {
            if (given[i] == option) {
                found << given[++i];
            }
        }
        return found;
    }
};

struct AdminStreams {
    QString programFolder;
    QTextStream& in;
    QTextStream& out;
    QTextStream& err;
};

struct AdminOption {
    QString name;       // "--folder"
    QString valueName;  // "DIR"; empty for a switch
};

struct AdminSubcommand {
    QString name;  // "menu import": one word, or a group and a word
    // "BASE", "[FILE]" (may be left out), "TO..." (one or more). BASE, FILE and DIR name a
    // folder or a file: never empty, never starting with '-'.
    QStringList operands;
    QList<AdminOption> options;
    QString description;  // lines of at most 74 columns
    std::function<int(const AdminCall&, AdminStreams&)> run;
};

// The version of the package the tool belongs to.
QString AdminVersion();

// Runs a command line against the table: --help and -h (of the tool, a group or a subcommand)
// on standard output, --version, one line on a usage error, then the subcommand.
int RunSubcommands(const QList<AdminSubcommand>& table, const QStringList& arguments,
                   AdminStreams& io);

// The usage of the tool as a whole, and of one subcommand.
QString ToolUsage(const QList<AdminSubcommand>& table);
QString SubcommandUsage(const AdminSubcommand& subcommand);

// The manual page numorika-admin(1) and the bash completion, from the same table.
QString ManualPage(const QList<AdminSubcommand>& table);
QString BashCompletion(const QList<AdminSubcommand>& table);
