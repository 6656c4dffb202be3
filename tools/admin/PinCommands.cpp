#include "PinCommands.h"

#include <QSqlError>
#include <QSqlQuery>
#include <variant>

#include "AdminInstallation.h"
#include "db/DbAccess.h"
#include "db/SqlText.h"
#include "platform/CodeConverter.h"
#include "signin/StaffSignIn.h"

#ifdef Q_OS_UNIX
#include <termios.h>
#include <unistd.h>
#endif

namespace {
constexpr int kNothing = 1;
constexpr int kFailed = 2;

bool InputIsTerminal() {
#ifdef Q_OS_UNIX
    return ::isatty(STDIN_FILENO) != 0;
#else
    return false;
#endif
}

// One line of standard input; on a terminal the typing is not shown.
QString ReadSecretLine(QTextStream& in, QTextStream& err, const QString& prompt) {
#ifdef Q_OS_UNIX
    termios saved{};
    const bool terminal = InputIsTerminal() && ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (terminal) {
        err << prompt << Qt::flush;
        termios hidden = saved;
        hidden.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &hidden);
    }
    const QString line = in.readLine();
    if (terminal) {
        ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        err << '\n' << Qt::flush;
    }
    return line;
#else
    err << prompt << Qt::flush;
    return in.readLine();
#endif
}

// The PIN to store, checked as the entry field checks it; nullopt (with the reason told) when it
// is refused.
std::optional<QString> ReadNewPin(QTextStream& in, QTextStream& err) {
    const QString pin = ReadSecretLine(in, err, QStringLiteral("暗証番号: "));
    if (!IsPinLongEnough(pin)) {
        err << QStringLiteral("暗証番号は4文字以上にしてください。") << '\n';
        return std::nullopt;
    }
    if (pin.size() > kPinMaxLength) {
        err << QStringLiteral("暗証番号は%1文字以内にしてください。").arg(kPinMaxLength) << '\n';
        return std::nullopt;
    }
    // Typed unseen, a PIN is asked twice: a slip of the finger would lock its owner out.
    if (InputIsTerminal() && ReadSecretLine(in, err, QStringLiteral("暗証番号 (確認): ")) != pin) {
        err << QStringLiteral("暗証番号が一致しません。設定していません。") << '\n';
        return std::nullopt;
    }
    if (pin.size() < 6) {
        err << QStringLiteral(
                   "注意: %1文字の暗証番号は推測されやすくなります。6文字以上を"
                   "お勧めします。")
                   .arg(pin.size())
            << '\n';
    }
    return pin;
}

// A stored PIN column and the key of its rows.
struct PinColumn {
    QString table;
    QString key;
    QString column;
};

const QList<PinColumn>& PinColumns() {
    static const QList<PinColumn> columns = {
        {QStringLiteral("M担当者"), QStringLiteral("コード"), QStringLiteral("暗証番号")},
        {QStringLiteral("Mユーザ"), QStringLiteral("ID"), QStringLiteral("特権暗証番号")},
        {QStringLiteral("Mユーザ"), QStringLiteral("ID"), QStringLiteral("システム特権暗証番号")},
        {QStringLiteral("M事業所"), QStringLiteral("コード"), QStringLiteral("特権暗証番号")},
    };
    return columns;
}

// Rewrites the older stored PINs of one column; answers how many, or the error.
std::variant<int, QString> UpgradeColumn(QSqlDatabase& db, const PinColumn& pin) {
    QList<std::pair<QVariant, QString>> older;
    {
        QSqlQuery rows(db);
        if (!rows.exec(QStringLiteral("SELECT %1, %2 FROM %3 WHERE %2 LIKE 'NMK1$%'")
                           .arg(pin.key, pin.column, pin.table))) {
            return QStringLiteral("読めません: ") + rows.lastError().text();
        }
        while (rows.next()) {
            if (CodeConverter::isOlderForm(rows.value(1).toString())) {
                older.append({rows.value(0), rows.value(1).toString()});
            }
        }
    }
    int rewritten = 0;
    const CodeConverter converter;
    QSqlQuery update(db);
    update.prepare(QStringLiteral("UPDATE %1 SET %2 = ? WHERE %3 = ? AND %2 = ?")
                       .arg(pin.table, pin.column, pin.key));
    for (const auto& [key, stored] : older) {
        const QString plain = converter.convert(stored);
        // An altered text of the older form matched nothing before and matches nothing after.
        const QString hashed = plain.isEmpty() ? QString() : CodeConverter::encode(plain);
        if (plain.isEmpty() || hashed.isEmpty()) {
            continue;
        }
        update.addBindValue(hashed);
        update.addBindValue(key);
        update.addBindValue(stored);
        if (!update.exec()) {
            return QStringLiteral("書き換えられません: ") + update.lastError().text();
        }
        rewritten += update.numRowsAffected();
    }
    return rewritten;
}
}  // namespace

int EncodePin(QTextStream& in, QTextStream& out, QTextStream& err) {
    const auto pin = ReadNewPin(in, err);
    if (!pin) {
        return kFailed;
    }
    const QString stored = CodeConverter::encode(*pin);
    if (stored.isEmpty()) {
        err << QStringLiteral("暗証番号の保存形式を作成できません。") << '\n';
        return kFailed;
    }
    out << stored << '\n';
    return 0;
}

int SetPin(const QStringList& arguments, QTextStream& in, QTextStream& out, QTextStream& err) {
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
    const QString& staff = arguments[1];
    const auto pin = ReadNewPin(in, err);
    const QString stored = pin ? CodeConverter::encode(*pin) : QString();
    if (stored.isEmpty()) {
        return kFailed;
    }
    QSqlQuery update(ctx.business.database());
    update.prepare(QStringLiteral("UPDATE M担当者 SET 暗証番号 = ? WHERE コード = ?"));
    update.addBindValue(stored);
    update.addBindValue(staff);
    if (!update.exec()) {
        err << QStringLiteral("暗証番号を設定できません: ") << update.lastError().text() << '\n';
        return kFailed;
    }
    if (update.numRowsAffected() != 1) {
        err << QStringLiteral("担当者「%1」が有りません。").arg(staff) << '\n';
        return kNothing;
    }
    out << QStringLiteral("担当者「%1」の暗証番号を設定しました。").arg(staff) << '\n';
    return 0;
}

int UpgradePins(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
    QSqlDatabase db = ctx.business.database();
    // All or nothing: a file would otherwise hold some PINs of each form after a failure.
    WriteTogether writes(ctx.business);
    if (!writes.begun()) {
        err << QStringLiteral("トランザクションを始められません: ")
            << writes.begun().error().description << '\n';
        return kFailed;
    }
    int rewritten = 0;
    for (const PinColumn& column : PinColumns()) {
        const auto result = UpgradeColumn(db, column);
        if (const QString* error = std::get_if<QString>(&result)) {
            err << column.table << '.' << column.column << ": " << *error << '\n';
            err << QStringLiteral("暗証番号は書き換えていません。") << '\n';
            return kFailed;
        }
        rewritten += std::get<int>(result);
    }
    if (const auto committed = writes.commit(); !committed) {
        err << QStringLiteral("書き換えを確定できません: ") << committed.error().description
            << '\n';
        return kFailed;
    }
    out << QStringLiteral("%1 件の暗証番号を新しい保存形式に書き換えました。").arg(rewritten)
        << '\n';
    return 0;
}
