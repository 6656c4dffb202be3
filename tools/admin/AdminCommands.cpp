#include "AdminCommands.h"

#include "AccessCommands.h"
#include "AdminInstallation.h"
#include "CheckCommand.h"
#include "HistoryCommand.h"
#include "MenuCommands.h"
#include "PinCommands.h"

#include <QDir>

#include "backup/Backup.h"
#include "backup/BackupRules.h"
#include "backup/BackupSchedule.h"
#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "env/CompanySettings.h"
#include "env/InstallPaths.h"
#include "env/LoadEnvironment.h"
#include "install/Installation.h"
#include "menu/Launch.h"
#include "platform/CodeConverter.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"
#include "signin/StaffSignIn.h"

namespace {
constexpr int kNothing = 1;
constexpr int kFailed = 2;

QString Usage() {
    return QStringLiteral(
        "使い方:\n"
        "  numorika-admin init BASE [--demo] [--per-user] [--server \"host=… dbname=… user=…\"]\n"
        "      BASE に共有インストール (prgbin, conf, data, report, manual) を作成し、\n"
        "      メニューと動作環境設定をインストールします。--demo でデモの会社・担当者・メニュー\n"
        "      とデモプログラムも入れます。--per-user はユーザ別インストール (区分 1) にし、\n"
        "      report に帳票データベース (repdb, repfrmdb) を置きます。--server "
        "は業務データベースを\n"
        "      PostgreSQL に作成し、データベース定義を種別 S にします\n"
        "  numorika-admin pin encode\n"
        "      標準入力から読んだ暗証番号の保存形式 (M担当者.暗証番号 などに設定する値) を\n"
        "      表示します (端末では入力を表示しません)\n"
        "  numorika-admin pin set BASE STAFF\n"
        "      標準入力から読んだ暗証番号を担当者 STAFF の暗証番号にします\n"
        "  numorika-admin pin upgrade BASE\n"
        "      古い保存形式の暗証番号 (M担当者, Mユーザ, M事業所) を新しい形式に書き換えます\n"
        "  numorika-admin command BASE STAFF TAB BUTTON\n"
        "      担当者 STAFF のタブ TAB (0-2)、ボタン BUTTON (0-7) "
        "が今起動するコマンドを表示します\n"
        "  numorika-admin menu show BASE STAFF\n"
        "      担当者 STAFF の3つのタブと24のボタン、ボタンごとに今起動するコマンドを表示します\n"
        "  numorika-admin menu export BASE STAFF [FILE]\n"
        "      担当者 STAFF のメニュー (ヌモリカマイメニュ, ヌモリカマイメニュ詳細) を JSON で"
        "書き出します\n"
        "  numorika-admin menu import BASE STAFF FILE [--replace]\n"
        "      JSON のメニューを担当者 STAFF のメニューとして書き込みます "
        "(一つのトランザクション)\n"
        "  numorika-admin menu copy BASE FROM TO... [--replace]\n"
        "      担当者 FROM のメニューを TO の担当者に写します\n"
        "  numorika-admin history BASE [--since yyyymmdd] [--until yyyymmdd] [--program ID]\n"
        "                        [--staff CODE] [--user NAME] [--errors] [--csv]\n"
        "      プログラム稼動履歴の行を古い順に表 (または CSV) で表示します (読み取りのみ)\n"
        "  numorika-admin check BASE\n"
        "      メニューが起動時に見るもの (設定ファイル、業務データベース、会社、運用事業所、\n"
        "      カタログ、バックアップフォルダ) を一行ずつ確かめます (終了状態 0: 起動できる)\n"
        "  numorika-admin desktop-entry BASE\n"
        "      インストールのデスクトップエントリ (メニューとアイコン) を現在のユーザに登録します\n"
        "  numorika-admin backup BASE [--folder DIR] [--scheduled]\n"
        "      業務データを BACKUPフォルダ (または DIR) の曜日フォルダにバックアップし、\n"
        "      テーブルごとにファイル・元の件数・バックアップの件数を表示します\n"
        "      (終了状態 0: 完了, 1: 対象データなし, 2: エラーまたは件数の不一致)。\n"
        "      --scheduled は動作環境定義の曜日 (月曜バックアップ…) と開始時刻に合う日だけ、\n"
        "      その日まだバックアップしていなければ実行します\n"
        "  numorika-admin condition BASE NAME VALUE\n"
        "      条件項目 NAME の値 VALUE がコマンドに渡す文字列を表示します\n"
        "  numorika-admin import-access SOURCE TARGET [--jet3-charset CP932]\n"
        "      Access のファイル (.mdb, .accdb) の表をすべて新しいデータベース TARGET に移し、\n"
        "      表ごとに読んだ行数・書いた行数・照合を表示します\n"
        "  numorika-admin migrate OLD NEW [--map-path WINDOWS_PREFIX=LINUX_PREFIX]… "
        "[--jet3-charset CP932]\n"
        "      Windows から写した以前のインストール OLD から新しいインストール NEW を作ります\n");
}

int Init(const QStringList& arguments, const QString& programFolder, QTextStream& out,
         QTextStream& err) {
    const bool demo = arguments.contains(QStringLiteral("--demo"));
    const bool perUser = arguments.contains(QStringLiteral("--per-user"));
    QStringList rest = arguments;
    rest.removeAll(QStringLiteral("--demo"));
    rest.removeAll(QStringLiteral("--per-user"));
    QString server;
    if (const qsizetype at = rest.indexOf(QStringLiteral("--server")); at >= 0) {
        server = rest.value(at + 1);
        rest.remove(at, qMin<qsizetype>(2, rest.size() - at));
        if (server.isEmpty()) {
            err << Usage();
            return kFailed;
        }
    }
    if (rest.size() != 1) {
        err << Usage();
        return kFailed;
    }
    const QString base = rest[0];
    // Every installation gets a system privileged PIN of its own; the demo's is documented.
    const QString systemPin = demo ? kDemoSystemPin : NewSystemPin();
    if (const auto error =
            CreateInstallation(base, {demo, CurrentUserName(), perUser, server, systemPin})) {
        err << *error << '\n';
        return kFailed;
    }
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    if (const auto error =
            InstallPrograms(programFolder, JoinPath(root, QStringLiteral("prgbin")), demo)) {
        err << QStringLiteral("プログラムをインストールできません: ") << *error << '\n';
        return kFailed;
    }
    if (!WriteDesktopEntry(root)) {
        err << QStringLiteral("デスクトップエントリを作成できません: ") << root << '\n';
    }
    out << QStringLiteral("インストールを作成しました: ") << root << '\n';
    out << QStringLiteral("システム特権暗証番号: ") << systemPin << '\n'
        << QStringLiteral(
               "運用事業所を本社 (000) に切り替えるときに使います。表示はこの一度"
               "だけです。控えを鍵の掛かる場所に保管してください。")
        << '\n';
    return 0;
}

std::optional<int> Position(const QString& text, int count) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= 0 && value < count ? std::optional<int>(value) : std::nullopt;
}

int Command(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const auto tab = Position(arguments[2], kMenuTabs);
    const auto button = Position(arguments[3], kMenuButtons);
    if (!tab || !button) {
        err << Usage();
        return kFailed;
    }
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
    ctx.staff.code = arguments[1];
    const auto command = ComposeLaunch(ctx, kMenuTable, *tab, *button);
    if (!command) {
        err << QStringLiteral("このボタンには起動する設定が有りません。") << '\n';
        return kNothing;
    }
    out << command->commandText << '\n';
    return 0;
}

// Progress of a headless backup goes to the terminal.
class StderrNotice final : public NoticePanel {
public:
    explicit StderrNotice(QTextStream& err) : err_(err) {}
    void setNotice(const QString& text) override { err_ << text << Qt::endl; }

private:
    QTextStream& err_;
};

int Backup(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    QStringList rest = arguments;
    const bool scheduled = rest.removeAll(QStringLiteral("--scheduled")) > 0;
    QString folder;
    if (const qsizetype at = rest.indexOf(QStringLiteral("--folder")); at >= 0) {
        folder = rest.value(at + 1);
        rest.remove(at, qMin<qsizetype>(2, rest.size() - at));
        if (folder.isEmpty()) {
            err << Usage();
            return kFailed;
        }
    }
    if (rest.size() != 1) {
        err << Usage();
        return kFailed;
    }
    AdminInstallation installation(rest[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    AppContext& ctx = installation.context();
    // A scheduled run goes ahead only on the days and from the time the environment names.
    if (scheduled) {
        if (const auto waits = ScheduledBackupWaits(ctx.environment, ctx.clock.now())) {
            out << *waits << QStringLiteral(" バックアップしません。") << '\n';
            return 0;
        }
    }
    if (folder.isEmpty()) {
        folder = ctx.company.text(QStringLiteral("BACKUPフォルダ"));
    }
    if (folder.trimmed().isEmpty()) {
        err << QStringLiteral(
                   "バックアップフォルダが設定されていません (--folder DIR で指定できます)。")
            << '\n';
        return kFailed;
    }
    StderrNotice notice(err);
    ctx.notice = &notice;
    const QString weekday = WeekdayFolder(QDir::toNativeSeparators(QDir(folder).absolutePath()),
                                          ctx.clock.now().date());
    const BackupResult result = BackupDatabases(ctx, weekday);
    if (result.sourceFailed) {
        err << QStringLiteral(
                   "業務データベースを開けないため、バックアップしませんでした。"
                   "前回のバックアップはそのまま残っています。")
            << '\n';
        return kFailed;
    }
    if (result.busy) {
        err << QStringLiteral(
                   "別の端末が同じフォルダにバックアップ中のため、バックアップしませんでした。")
            << '\n';
        return kFailed;
    }
    if (result.copied) {
        CopyUserFolders(ctx, weekday);
    }
    // The administrator's proof that the backup is whole: each table, where it went, and the
    // rows of the source against the rows that arrived.
    bool whole = result.complete();
    out << QStringLiteral("ファイル\tテーブル\t元の件数\tバックアップの件数\t照合") << '\n';
    for (const BackupTableReport& table : result.tables) {
        whole = whole && table.whole();
        out << table.files.join(QLatin1Char(',')) << '\t' << table.table << '\t' << table.sourceRows
            << '\t' << table.fileRows << '\t'
            << (table.whole() ? QStringLiteral("一致") : QStringLiteral("不一致")) << '\n';
    }
    for (const QString& group : result.failedGroups) {
        err << QStringLiteral("「%1」はバックアップできませんでした。前回のファイルを残しました。")
                   .arg(group + QStringLiteral(".mdb"))
            << '\n';
    }
    if (!result.copied) {
        err << QStringLiteral("対象データが有りません。") << '\n';
        return result.failedGroups.isEmpty() ? kNothing : kFailed;
    }
    out << QStringLiteral("バックアップを完了しました: ") << weekday << '\n';
    return whole ? 0 : kFailed;
}

int Condition(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    AdminInstallation installation(arguments[0], err);
    if (!installation.load(err)) {
        return kFailed;
    }
    out << DefaultConditionValue(arguments[1], arguments[2],
                                 ConditionSettingsOf(installation.context()))
        << '\n';
    return 0;
}
}  // namespace

int RunAdminCommand(const QStringList& arguments, const QString& programFolder, QTextStream& in,
                    QTextStream& out, QTextStream& err) {
    const QString verb = arguments.value(0);
    const QStringList rest = arguments.mid(1);
    if (verb == QLatin1String("init")) {
        return Init(rest, programFolder, out, err);
    }
    if (verb == QLatin1String("pin") && rest == QStringList{QStringLiteral("encode")}) {
        return EncodePin(in, out, err);
    }
    if (verb == QLatin1String("pin") && rest.size() == 3 && rest[0] == QLatin1String("set")) {
        return SetPin(rest.mid(1), in, out, err);
    }
    if (verb == QLatin1String("pin") && rest.size() == 2 && rest[0] == QLatin1String("upgrade")) {
        return UpgradePins(rest.mid(1), out, err);
    }
    if (verb == QLatin1String("command") && rest.size() == 4) {
        return Command(rest, out, err);
    }
    if (verb == QLatin1String("menu") && rest.size() == 3 && rest[0] == QLatin1String("show")) {
        return ShowMenu(rest.mid(1), out, err);
    }
    if (verb == QLatin1String("menu") && (rest.size() == 3 || rest.size() == 4) &&
        rest[0] == QLatin1String("export")) {
        return ExportMenu(rest.mid(1), out, err);
    }
    if (verb == QLatin1String("menu") && rest.value(0) == QLatin1String("import")) {
        return ImportMenu(rest.mid(1), out, err);
    }
    if (verb == QLatin1String("menu") && rest.value(0) == QLatin1String("copy")) {
        return CopyMenu(rest.mid(1), out, err);
    }
    if (verb == QLatin1String("history")) {
        return ShowHistory(rest, out, err);
    }
    if (verb == QLatin1String("check")) {
        return CheckInstallation(rest, out, err);
    }
    if (verb == QLatin1String("desktop-entry") && rest.size() == 1) {
        const auto installed = InstallDesktopEntry(rest[0]);
        if (!installed) {
            err << QStringLiteral("デスクトップエントリをインストールできません。") << '\n';
            return kFailed;
        }
        out << QStringLiteral("デスクトップエントリをインストールしました: ") << *installed << '\n';
        return 0;
    }
    if (verb == QLatin1String("backup")) {
        return Backup(rest, out, err);
    }
    if (verb == QLatin1String("migrate")) {
        return Migrate(rest, programFolder, out, err);
    }
    if (verb == QLatin1String("import-access")) {
        return ImportAccess(rest, out, err);
    }
    if (verb == QLatin1String("condition") && rest.size() == 3) {
        return Condition(rest, out, err);
    }
    err << Usage();
    return kFailed;
}
