#pragma once

#include <QString>
#include <QVariant>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// A database file written straight through the engine's own interface, without a driver plugin:
// for a tool that only builds one file, where finding and loading the plugin would take longer
// than the writing itself.
class SqliteFile {
public:
    // Opens the file at path, creating it when missing; isOpen() and error() tell how it went.
    explicit SqliteFile(const QString& path);
    ~SqliteFile();
    SqliteFile(const SqliteFile&) = delete;
    SqliteFile& operator=(const SqliteFile&) = delete;

    bool isOpen() const { return db_ != nullptr; }
    // The engine's message of the last failure.
    QString error() const { return error_; }
    bool execute(const QString& sql);
    // The first value of the first row, as an integer.
    std::optional<qint64> integer(const QString& sql);

    // One statement prepared once and run for row after row.
    class Statement {
    public:
        ~Statement();
        Statement(const Statement&) = delete;
        Statement& operator=(const Statement&) = delete;
        Statement(Statement&& other) noexcept;
        Statement& operator=(Statement&&) = delete;

        // Texts as UTF-8, byte arrays as blobs, integers and reals as such; a null QVariant NULL.
        void bind(int position, const QVariant& value);
        // Runs it with the values bound, which are cleared for the next row.
        bool run();

    private:
        friend class SqliteFile;
        Statement(SqliteFile& file, sqlite3_stmt* statement) : file_(file), stmt_(statement) {}
        SqliteFile& file_;
        sqlite3_stmt* stmt_;
    };
    // nullopt when the statement does not compile; error() tells why.
    std::optional<Statement> prepare(const QString& sql);

private:
    bool failed();
    sqlite3* db_ = nullptr;
    QString error_;
};
