#include "AdminCommands.h"

#include "AccessCommands.h"
#include "AdminCli.h"
#include "AdminInstallation.h"
#include "CheckCommand.h"
#include "HistoryCommand.h"
#include "MenuCommands.h"
#include "PinCommands.h"
#include "RestoreCommands.h"

#include <QDir>
#include <QFileInfo>

#include "backup/Backup.h"
#include "backup/BackupRules.h"
#include "backup/BackupSchedule.h"
#include "context/AppContext.h"
#include "db/DbAccess.h"
#include "env/CompanySettings.h"
#include "env/InstallPaths.h"
#include "env/LoadEnvironment.h"
#include "install/Installation.h"
#include "install/SharedInstallation.h"
#include "menu/Launch.h"
#include "platform/CodeConverter.h"
#include "platform/Files.h"
#include "platform/ProcessInfo.h"
#include "signin/StaffSignIn.h"

namespace {
constexpr int kNothing = 1;
constexpr int kFailed = 2;

// Where init finds the programs it installs: beside the tool in a build, in the package's own
// folder once installed.
QString ProgramSource(const QString& programFolder) {
    if (QFileInfo::exists(JoinPath(programFolder, MenuExecutableName()))) {
        return programFolder;
    }
    return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(NUMORIKA_PROGRAM_DIR)));
}

int Init(const AdminCall& call, const QString& programFolder, QTextStream& out, QTextStream& err) {
    const bool demo = call.has(QStringLiteral("--demo"));
    const bool perUser = call.has(QStringLiteral("--per-user"));
    const QString server = call.value(QStringLiteral("--server"));
    const QString group = call.value(QStringLiteral("--group"));
    const QString base = call.operands[0];
    const QString programs = ProgramSource(programFolder);
    if (!group.isEmpty() && !GroupExists(group)) {
        err << QStringLiteral("グループ「%1」が有りません。").arg(group) << '\n';
        return kFailed;
    }
    if (!QFileInfo::exists(JoinPath(programs, MenuExecutableName()))) {
        err << QStringLiteral("インストールするメニューが有りません: ")
            << JoinPath(programs, MenuExecutableName()) << '\n';
        return kFailed;
    }
    // Every installation gets a system privileged PIN of its own; the demo's is documented.
    const QString systemPin = demo ? kDemoSystemPin : NewSystemPin();
    if (const auto error =
            CreateInstallation(base, {demo, CurrentUserName(), perUser, server, systemPin})) {
        err << *error << '\n';
        return kFailed;
    }
    const QString root = QDir::toNativeSeparators(QDir(base).absolutePath());
    if (const auto error =
            InstallPrograms(programs, JoinPath(root, QStringLiteral("prgbin")), demo)) {
        err << QStringLiteral("プログラムをインストールできません: ") << *error << '\n';
        return kFailed;
    }
    if (!WriteDesktopEntry(root)) {
        err << QStringLiteral("デスクトップエントリを作成できません: ") << root << '\n';
    }
    if (!group.isEmpty()) {
        if (const ShareResult shared = ShareInstallation(root, group); shared.error) {
            err << *shared.error << '\n';
            return kFailed;
        }
    }
    out << QStringLiteral("インストールを作成しました: ") << root << '\n';
    if (!group.isEmpty()) {
        out << QStringLiteral("グループ「%1」の担当者で共有します。").arg(group) << '\n';
    }
    out << QStringLiteral("システム特権暗証番号: ") << systemPin << '\n'
        << QStringLiteral(
               "運用事業所を本社 (000) に切り替えるときに使います。表示はこの一度だけです。\n"
               "控えを鍵の掛かる場所に保管してください。")
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
        err << QStringLiteral(
                   "TAB は 0-2、BUTTON は 0-7 で指定してください。"
                   "詳しくは numorika-admin command --help")
            << '\n';
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

constexpr int kMostBackupWorkers = 8;

int Backup(const AdminCall& call, QTextStream& out, QTextStream& err) {
    const bool scheduled = call.has(QStringLiteral("--scheduled"));
    QString folder = call.value(QStringLiteral("--folder"));
    AdminInstallation installation(call.operands[0], err);
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
    const auto root = BackupRoot(folder, err);
    if (!root) {
        return kFailed;
    }
    StderrNotice notice(err);
    ctx.notice = &notice;
    const QString weekday = WeekdayFolder(*root, ctx.clock.now().date());
    BackupLimits limits;
    if (call.has(QStringLiteral("--workers"))) {
        const auto workers =
            Position(call.value(QStringLiteral("--workers")), kMostBackupWorkers + 1);
        limits.workers = workers.value_or(0);
        if (limits.workers < 1) {
            err << QStringLiteral("--workers には 1 から %1 までの数を指定してください。")
                       .arg(kMostBackupWorkers)
                << '\n';
            return kFailed;
        }
    }
    const BackupResult result = BackupDatabases(ctx, weekday, limits);
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
    const QStringList folders = result.copied ? CopyUserFolders(ctx, weekday) : QStringList();
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
    for (const QString& failed : folders) {
        err << QStringLiteral("フォルダ「%1」をすべてはコピーできませんでした。").arg(failed)
            << '\n';
    }
    if (!result.copied && result.failedGroups.isEmpty()) {
        err << QStringLiteral("対象データが有りません。") << '\n';
        return kNothing;
    }
    if (!whole || !folders.isEmpty()) {
        err << QStringLiteral("バックアップは完全ではありません: ") << weekday << '\n';
        return kFailed;
    }
    out << QStringLiteral("バックアップを完了しました: ") << weekday << '\n';
    return 0;
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

int Share(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const ShareResult result = ShareInstallation(arguments[0], arguments[1]);
    for (const QString& change : result.changes) {
        out << change << '\n';
    }
    if (result.error) {
        err << *result.error << '\n';
        return kFailed;
    }
    if (result.changes.isEmpty()) {
        out << QStringLiteral("変更は有りません。既にグループ「%1」で共有しています。")
                   .arg(arguments[1])
            << '\n';
    }
    return 0;
}

int DesktopEntry(const QString& base, QTextStream& out, QTextStream& err) {
    const auto installed = InstallDesktopEntry(base);
    if (!installed) {
        err << QStringLiteral("デスクトップエントリをインストールできません: ") << base << '\n';
        return kFailed;
    }
    out << QStringLiteral("デスクトップエントリをインストールしました: ") << *installed << '\n';
    return 0;
}

// One row per subcommand: its words, operands, options, the lines the help shows (at most 74
// columns each) and what runs it.
QList<AdminSubcommand> Table() {
    const auto plain = [](auto run) {
        return [run](const AdminCall& call, AdminStreams& io) {
            return run(call.operands, io.out, io.err);
        };
    };
    const auto withCall = [](auto run) {
        return [run](const AdminCall& call, AdminStreams& io) { return run(call, io.out, io.err); };
    };
    const AdminOption replace{QStringLiteral("--replace"), {}};
    const AdminOption force{QStringLiteral("--force"), {}};
    const AdminOption backupFolder{QStringLiteral("--folder"), QStringLiteral("DIR")};
    return {
        {QStringLiteral("init"),
         {QStringLiteral("BASE")},
         {{QStringLiteral("--demo"), {}},
          {QStringLiteral("--per-user"), {}},
          {QStringLiteral("--server"), QStringLiteral("CONNECTION")},
          {QStringLiteral("--group"), QStringLiteral("GROUP")}},
         QStringLiteral("BASE に共有インストール (prgbin, conf, data, report, manual) を作成し、\n"
                        "メニューと動作環境設定をインストールします。\n"
                        "--demo: デモの会社・担当者・メニューとデモプログラムも入れます。\n"
                        "--per-user: ユーザ別インストール (区分 1) にし、report に帳票データ\n"
                        "  ベース (repdb, repfrmdb) を置きます。\n"
                        "--server: 業務データベースを PostgreSQL に作成します (CONNECTION は\n"
                        "  \"host=… dbname=… user=…\")。データベース定義は種別 S になります。\n"
                        "--group: グループ GROUP の担当者で共有するインストールにします\n"
                        "  (share と同じ権限)。"),
         [](const AdminCall& call, AdminStreams& io) {
             return Init(call, io.programFolder, io.out, io.err);
         }},
        {QStringLiteral("share"),
         {QStringLiteral("BASE"), QStringLiteral("GROUP")},
         {},
         QStringLiteral("インストールをグループ GROUP の担当者で共有できるようにします。\n"
                        "フォルダはグループの物で set-group-ID 付き 2770、ファイルは 0660、\n"
                        "prgbin のプログラムは 0755。変えたものを一行ずつ表示します。"),
         plain(Share)},
        {QStringLiteral("pin encode"),
         {},
         {},
         QStringLiteral("標準入力から読んだ暗証番号の保存形式 (M担当者.暗証番号 などに設定する\n"
                        "値) を表示します。端末では入力を表示せず、確認のため二度尋ねます。"),
         [](const AdminCall&, AdminStreams& io) { return EncodePin(io.in, io.out, io.err); }},
        {QStringLiteral("pin set"),
         {QStringLiteral("BASE"), QStringLiteral("STAFF")},
         {},
         QStringLiteral("標準入力から読んだ暗証番号を担当者 STAFF の暗証番号にします。\n"
                        "端末では入力を表示せず、二度尋ねて一致しなければ設定しません。"),
         [](const AdminCall& call, AdminStreams& io) {
             return SetPin(call.operands, io.in, io.out, io.err);
         }},
        {QStringLiteral("pin upgrade"),
         {QStringLiteral("BASE")},
         {},
         QStringLiteral("古い保存形式の暗証番号 (M担当者, Mユーザ, M事業所) を新しい形式に\n"
                        "書き換えます (一つのトランザクション)。"),
         plain(UpgradePins)},
        {QStringLiteral("command"),
         {QStringLiteral("BASE"), QStringLiteral("STAFF"), QStringLiteral("TAB"),
          QStringLiteral("BUTTON")},
         {},
         QStringLiteral("担当者 STAFF のタブ TAB (0-2)、ボタン BUTTON (0-7) が今起動する\n"
                        "コマンドを表示します (終了状態 1: ボタンに設定が無い)。"),
         plain(Command)},
        {QStringLiteral("menu show"),
         {QStringLiteral("BASE"), QStringLiteral("STAFF")},
         {},
         QStringLiteral("担当者 STAFF の3つのタブと24のボタン、ボタンごとに今起動する\n"
                        "コマンドを表示します (終了状態 1: M担当者 に無い担当者)。"),
         plain(ShowMenu)},
        {QStringLiteral("menu export"),
         {QStringLiteral("BASE"), QStringLiteral("STAFF"), QStringLiteral("[FILE]")},
         {},
         QStringLiteral("担当者 STAFF のメニュー (ヌモリカマイメニュ, ヌモリカマイメニュ詳細) を\n"
                        "JSON で FILE (無ければ標準出力) に書き出します。"),
         plain(ExportMenu)},
        {QStringLiteral("menu import"),
         {QStringLiteral("BASE"), QStringLiteral("STAFF"), QStringLiteral("FILE")},
         {replace, force},
         QStringLiteral("JSON のメニューを担当者 STAFF のメニューとして書き込みます\n"
                        "(一つのトランザクション)。ファイルは 10 MB まで、行の担当者コードは\n"
                        "STAFF、位置はタブ 0-2・ボタン 0-99、文字列は列の長さまで。\n"
                        "--replace: 既に有るメニューを置き換えます。\n"
                        "--force: M担当者 に無い担当者にも書き込みます。"),
         withCall(ImportMenu)},
        {QStringLiteral("menu copy"),
         {QStringLiteral("BASE"), QStringLiteral("FROM"), QStringLiteral("TO...")},
         {replace, force},
         QStringLiteral("担当者 FROM のメニューを TO の担当者に写します。\n"
                        "--replace: 既に有るメニューを置き換えます。\n"
                        "--force: M担当者 に無い担当者にも写します。"),
         withCall(CopyMenu)},
        {QStringLiteral("history"),
         {QStringLiteral("BASE")},
         {{QStringLiteral("--since"), QStringLiteral("yyyymmdd")},
          {QStringLiteral("--until"), QStringLiteral("yyyymmdd")},
          {QStringLiteral("--program"), QStringLiteral("ID")},
          {QStringLiteral("--staff"), QStringLiteral("CODE")},
          {QStringLiteral("--user"), QStringLiteral("NAME")},
          {QStringLiteral("--errors"), {}},
          {QStringLiteral("--csv"), {}}},
         QStringLiteral("プログラム稼動履歴の行を古い順に表 (--csv: CSV) で表示します。\n"
                        "設定ファイルは読み取りだけで開きます。--until はその日を含みます。\n"
                        "--errors: エラーの行だけを表示します。"),
         withCall(ShowHistory)},
        {QStringLiteral("check"),
         {QStringLiteral("BASE")},
         {},
         QStringLiteral("メニューが起動時に見るもの (設定ファイル、業務データベース、会社、\n"
                        "運用事業所、カタログ、バックアップフォルダ) を一行ずつ確かめます\n"
                        "(終了状態 0: 起動できる, 1: 起動できない)。ファイルは変えません。\n"
                        "共有インストールでは、グループの担当者が書き込めないものを示します。"),
         [](const AdminCall& call, AdminStreams& io) {
             return CheckInstallation(call.operands, io.out);
         }},
        {QStringLiteral("desktop-entry"),
         {QStringLiteral("BASE")},
         {},
         QStringLiteral("インストールのデスクトップエントリ (メニューとアイコン) を\n"
                        "現在のユーザに登録します。"),
         [](const AdminCall& call, AdminStreams& io) {
             return DesktopEntry(call.operands[0], io.out, io.err);
         }},
        {QStringLiteral("backup"),
         {QStringLiteral("BASE")},
         {backupFolder,
          {QStringLiteral("--scheduled"), {}},
          {QStringLiteral("--workers"), QStringLiteral("N")}},
         QStringLiteral(
             "業務データを BACKUPフォルダ (または DIR) の曜日フォルダにバックアップし、\n"
             "テーブルごとにファイル・元の件数・バックアップの件数を表示します\n"
             "(終了状態 0: 完了, 1: 対象データなし, 2: エラーまたは件数の不一致)。\n"
             "--scheduled: 動作環境定義の曜日 (月曜バックアップ…) と開始時刻に合う\n"
             "  日だけ、その日まだバックアップしていなければ実行します。\n"
             "--workers N: データベースファイルを同時に読む数 (既定 2、1 は順に読む)。"),
         withCall(Backup)},
        {QStringLiteral("backup verify"),
         {QStringLiteral("BASE"), QStringLiteral("[WEEKDAY]")},
         {backupFolder},
         QStringLiteral("曜日フォルダ WEEKDAY (Monday…Sunday、無ければ七つとも) のバックアップを\n"
                        "確かめます: ファイルごとに整合性、テーブルごとに件数とチェックサムを\n"
                        "マニフェストと照合します (終了状態 0: 完全, 2: 不一致・破損・欠落)。"),
         withCall(VerifyBackupCommand)},
        {QStringLiteral("restore"),
         {QStringLiteral("BASE"), QStringLiteral("WEEKDAY")},
         {backupFolder,
          {QStringLiteral("--into"), QStringLiteral("FILE")},
          {QStringLiteral("--tables"), QStringLiteral("T1,T2")},
          {QStringLiteral("--server"), QStringLiteral("CONNECTION")}},
         QStringLiteral("曜日フォルダ WEEKDAY のバックアップを新しいファイル FILE (有れば拒否) に\n"
                        "復元し、マニフェストと照合します (終了状態 0: 一致, 2: 拒否・不一致)。\n"
                        "--tables: そのテーブルだけを復元します。\n"
                        "--server: 空の PostgreSQL データベースに復元します。\n"
                        "業務データベースには書き込みません。"),
         withCall(RestoreCommand)},
        {QStringLiteral("condition"),
         {QStringLiteral("BASE"), QStringLiteral("NAME"), QStringLiteral("VALUE")},
         {},
         QStringLiteral("条件項目 NAME の値 VALUE がコマンドに渡す文字列を表示します。"),
         plain(Condition)},
        {QStringLiteral("import-access"),
         {QStringLiteral("SOURCE"), QStringLiteral("TARGET")},
         {{QStringLiteral("--jet3-charset"), QStringLiteral("CODEPAGE")}},
         QStringLiteral("Access のファイル (.mdb, .accdb) の表をすべて新しいデータベース\n"
                        "TARGET に移し、表ごとに読んだ行数・書いた行数・照合を表示します\n"
                        "(終了状態 0: 一致, 2: 拒否・失敗または不一致)。\n"
                        "--jet3-charset: Access 97 のファイルの文字コード (例 CP932)。"),
         [](const AdminCall& call, AdminStreams& io) {
             return ImportAccess(call, io.out, io.err);
         }},
        {QStringLiteral("migrate"),
         {QStringLiteral("OLD"), QStringLiteral("NEW")},
         {{QStringLiteral("--map-path"), QStringLiteral("WINDOWS_PREFIX=LINUX_PREFIX")},
          {QStringLiteral("--jet3-charset"), QStringLiteral("CODEPAGE")}},
         QStringLiteral("Windows から写した以前のインストール OLD から新しいインストール\n"
                        "NEW を作ります。--map-path は何度でも指定でき、パスの前の部分を\n"
                        "置き換えます。最後に check NEW の結果を表示します。"),
         [](const AdminCall& call, AdminStreams& io) {
             return Migrate(call, io.programFolder, io.out, io.err);
         }},
    };
}
}  // namespace

const QList<AdminSubcommand>& AdminSubcommands() {
    static const QList<AdminSubcommand> table = Table();
    return table;
}

int RunAdminCommand(const QStringList& arguments, const QString& programFolder, QTextStream& in,
                    QTextStream& out, QTextStream& err) {
    AdminStreams io{programFolder, in, out, err};
    return RunSubcommands(AdminSubcommands(), arguments, io);
}
