#include "db/Schema.h"

namespace {
QList<ColumnSpec> Columns(ColumnType type, std::initializer_list<const char*> names) {
    QList<ColumnSpec> columns;
    for (const char* name : names) {
        columns.append({QString::fromUtf8(name), type});
    }
    return columns;
}

QString SqlType(ColumnType type) {
    switch (type) {
        case ColumnType::Int16:
            return QStringLiteral("INTEGER");
        case ColumnType::Currency:
            return QStringLiteral("NUMERIC");
        case ColumnType::Text:
            break;
    }
    return QStringLiteral("TEXT");
}

// The first column is the key when key is true.
QString CreateTable(const QString& table, const QList<ColumnSpec>& columns, bool key) {
    QStringList parts;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        parts << columns[i].name + QLatin1Char(' ') + SqlType(columns[i].type) +
                     (key && i == 0 ? QStringLiteral(" NOT NULL PRIMARY KEY") : QString());
    }
    return QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (") +
           parts.join(QStringLiteral(", ")) + QLatin1Char(')');
}
}  // namespace

const QList<ColumnSpec>& CompanyColumns() {
    static const QList<ColumnSpec> columns =
        Columns(ColumnType::Text, {"ID", "名称", "郵便番号", "住所A", "住所B", "住所C", "代表者名",
                                   "電話", "FAX", "HOMEPAGE", "EMAIL", "会社ロゴfile", "社印file",
                                   "銀行口座A", "銀行口座B", "銀行口座C", "銀行口座D"}) +
        Columns(ColumnType::Int16,
                {"決算月", "決算日", "締日区分", "締日", "決済方法", "決済月", "決済日"}) +
        Columns(ColumnType::Currency, {"現金決済金額"}) +
        Columns(ColumnType::Int16,
                {"手形サイト", "売上金額丸め方法", "仕入金額丸め方法", "在庫評価方法",
                 "売上単価少数以下桁数", "売上数量少数以下桁数", "仕入単価少数以下桁数",
                 "仕入数量少数以下桁数", "在庫単価少数以下桁数", "在庫数量少数以下桁数",
                 "重量少数以下桁数", "得意先単価自動更新区分", "納品先単価自動更新区分",
                 "仕入先単価自動更新区分"}) +
        Columns(ColumnType::Text,
                {"写真フォルダ", "ドキュメントフォルダ", "総合振込ファイル", "基本読込フォルダ",
                 "帳票イメージフォルダ", "その他読込ファイル", "本支店連携フォルダ",
                 "テキスト出力フォルダ", "BACKUPフォルダ"}) +
        Columns(ColumnType::Int16, {"明細保存月数", "統計保存年数", "整理実施可能日自",
                                    "整理実施可能日至", "整理実施可能時刻"}) +
        Columns(ColumnType::Text, {"明細整理実行日", "統計整理実行日"}) +
        Columns(ColumnType::Int16, {"伝票番号管理区分", "暗証番号有無"}) +
        Columns(ColumnType::Text, {"特権暗証番号"}) + Columns(ColumnType::Int16, {"更新実行区分"}) +
        Columns(ColumnType::Text, {"システム特権暗証番号", "登録日付", "更新日付"});
    return columns;
}

const QList<ColumnSpec>& OfficeColumns() {
    static const QList<ColumnSpec> columns = Columns(ColumnType::Text, {"コード",
                                                                        "名称",
                                                                        "郵便番号",
                                                                        "住所A",
                                                                        "住所B",
                                                                        "住所C",
                                                                        "代表者名",
                                                                        "電話",
                                                                        "FAX",
                                                                        "登録番号",
                                                                        "HOMEPAGE",
                                                                        "EMAIL",
                                                                        "銀行口座A",
                                                                        "銀行口座B",
                                                                        "銀行口座C",
                                                                        "銀行口座D",
                                                                        "地区コード",
                                                                        "総合振込ファイル",
                                                                        "基本読込フォルダ",
                                                                        "帳票イメージフォルダ",
                                                                        "その他読込ファイル",
                                                                        "本支店連携フォルダ",
                                                                        "テキスト出力フォルダ",
                                                                        "BACKUPフォルダ"}) +
                                             Columns(ColumnType::Int16, {"暗証番号有無"}) +
                                             Columns(ColumnType::Text, {"特権暗証番号"}) +
                                             Columns(ColumnType::Int16, {"更新実行区分"});
    return columns;
}

const QList<ColumnSpec>& LinkColumns() {
    static const QList<ColumnSpec> columns =
        Columns(ColumnType::Text, {"コード", "業務名"}) +
        Columns(ColumnType::Int16, {"連携有無区分"}) +
        Columns(ColumnType::Text, {"連携DB", "連携DBMW", "連携データソース名", "連携ドライバ名",
                                   "連携接続文字列", "連携データベース名", "連携サーバー名",
                                   "連携ユーザーID", "連携パスワード", "連携アプリフォルダ"}) +
        Columns(ColumnType::Int16, {"顧客更新有無区分", "得意先更新有無区分", "納品先更新有無区分",
                                    "仕入先更新有無区分", "メーカ更新有無区分",
                                    "対応先更新有無区分", "商品更新有無区分", "社員更新有無区分"});
    return columns;
}

const QList<ColumnSpec>& StaffColumns() {
    // Status, class and access level are numeric texts: the look-ups compare them as text.
    static const QList<ColumnSpec> columns = Columns(ColumnType::Text, {"コード",
                                                                        "氏名",
                                                                        "暗証番号",
                                                                        "ログインID",
                                                                        "在籍区分",
                                                                        "退社日付",
                                                                        "事業所コード",
                                                                        "部門コード",
                                                                        "セクションコード",
                                                                        "役職コード",
                                                                        "社員区分",
                                                                        "アクセス権限",
                                                                        "処理分類0操作許可",
                                                                        "処理分類1操作許可",
                                                                        "処理分類2操作許可",
                                                                        "処理分類3操作許可",
                                                                        "処理分類4操作許可",
                                                                        "処理分類5操作許可",
                                                                        "処理分類6操作許可",
                                                                        "処理分類7操作許可",
                                                                        "処理分類8操作許可",
                                                                        "処理分類9操作許可",
                                                                        "操作許可",
                                                                        "入力許可",
                                                                        "修正許可",
                                                                        "削除許可",
                                                                        "印刷許可",
                                                                        "プレビュ許可",
                                                                        "テキスト出力許可",
                                                                        "イメージ出力許可"});
    return columns;
}

QString DeclaredColumnName(const QString& folded) {
    for (const auto* columns :
         {&CompanyColumns(), &OfficeColumns(), &LinkColumns(), &StaffColumns()}) {
        for (const ColumnSpec& column : *columns) {
            if (column.name.toLower() == folded) {
                return column.name;
            }
        }
    }
    return folded;
}

QStringList CatalogueTables() {
    return {QStringLiteral("ヌモリカ"), QStringLiteral("ヌモリカデータ管理"),
            QStringLiteral("ヌモリカ補助機能"), QStringLiteral("ヌモリカサービスメニュ")};
}

namespace {
// Columns named by a prefix and the letters A to Z.
QString LetterColumns(const QString& prefix) {
    QStringList columns;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        columns << prefix + QLatin1Char(letter) + QStringLiteral(" TEXT");
    }
    return columns.join(QStringLiteral(", "));
}

QStringList CatalogueSchema() {
    QStringList statements;
    for (const QString& table : CatalogueTables()) {
        statements << QStringLiteral("CREATE TABLE %1 (プログラムID TEXT NOT NULL PRIMARY KEY, %2)")
                          .arg(table, LetterColumns(QStringLiteral("条件項目名")));
    }
    return statements;
}
}  // namespace

QStringList ConfigurationSchema() {
    return CatalogueSchema() +
           QStringList{
               QStringLiteral(
                   "CREATE TABLE データベース定義 ("
                   "情報種類 TEXT NOT NULL PRIMARY KEY, db TEXT, dbmw TEXT, ドライバ名 TEXT, "
                   "データベース名 TEXT, サーバー名 TEXT, 接続文字列 TEXT, ユーザーID TEXT, "
                   "パスワード TEXT, プロバイダ名 TEXT, データソース名 TEXT)"),
               QStringLiteral(
                   "CREATE TABLE 動作環境定義 ("
                   "動作環境定義ID TEXT NOT NULL PRIMARY KEY, 運用事業所コード TEXT, "
                   "インストール区分 INTEGER, CL更新実行区分 INTEGER, バックアップ日付 TEXT, "
                   "運用条件切替日付 TEXT, バックアップ方法 INTEGER, バックアップ日指定 INTEGER, "
                   "月曜バックアップ INTEGER, 火曜バックアップ INTEGER, 水曜バックアップ INTEGER, "
                   "木曜バックアップ INTEGER, 金曜バックアップ INTEGER, 土曜バックアップ INTEGER, "
                   "日曜バックアップ INTEGER, バックアップ開始時刻 TEXT, バックアップフォルダ "
                   "TEXT, "
                   "起動担当者コード TEXT)"),
               // Rows of different runs may share a counter: the table has no key.
               QStringLiteral("CREATE TABLE プログラム稼動履歴 ("
                              "実行日付 TEXT, プログラムID TEXT, proccounter TEXT, 摘要 TEXT, "
                              "運用事業所コード TEXT, 起動担当者コード TEXT, ユーザID TEXT)"),
               QStringLiteral(
                   "CREATE TABLE プログラム連携情報 ("
                   "発信日時 TEXT, 発信プログラムID TEXT, 受信プログラムID TEXT, 受信期限 TEXT, "
                   "連携区分 TEXT, 起動連携情報 TEXT, 終了連携情報 TEXT, 運用事業所コード TEXT, "
                   "起動担当者コード TEXT, ユーザID TEXT)"),
           } +
           [] {
               QStringList statements;
               for (const IndexSpec& index : ConfigurationIndexes()) {
                   statements << index.statement;
               }
               return statements;
           }();
}

QList<IndexSpec> ConfigurationIndexes() {
    // Serves both the request look-up at every start (the time range covers the last minute) and
    // the delete of the request taken over (all three equal); the start link information is
    // compared in the index.
    return {{QStringLiteral("プログラム連携情報_受信日時"),
             QStringLiteral("CREATE INDEX プログラム連携情報_受信日時 ON プログラム連携情報 "
                            "(受信プログラムID, 連携区分, 発信日時, 起動連携情報)")},
            // The administrator reads the run history by day, in the order it was written.
            {QStringLiteral("プログラム稼動履歴_実行日付"),
             QStringLiteral("CREATE INDEX プログラム稼動履歴_実行日付 ON プログラム稼動履歴 "
                            "(実行日付)")}};
}

QStringList BusinessSchema() {
    return {
        CreateTable(QStringLiteral("Mユーザ"), CompanyColumns(), true),
        CreateTable(QStringLiteral("M事業所"), OfficeColumns(), true),
        // The settings take the first row of a code: a code may stand in several rows.
        CreateTable(QStringLiteral("M他業務連携"), LinkColumns(), false),
        QStringLiteral("CREATE INDEX M他業務連携_コード ON M他業務連携 (コード)"),
        CreateTable(QStringLiteral("M担当者"), StaffColumns(), true),
        // Serves the automatic sign-in by the user name.
        QStringLiteral("CREATE INDEX M担当者_ログインID ON M担当者 (ログインID)"),
        // A second title for the same tab must fail: saving relies on it to update instead.
        QStringLiteral("CREATE TABLE ヌモリカマイメニュ (担当者コード TEXT NOT NULL, "
                       "メニュタブ位置 INTEGER NOT NULL, 機能名 TEXT, "
                       "PRIMARY KEY (担当者コード, メニュタブ位置))"),
        QStringLiteral("CREATE TABLE ヌモリカマイメニュ詳細 (担当者コード TEXT NOT NULL, "
                       "メニュタブ位置 INTEGER NOT NULL, メニュ詳細位置 INTEGER NOT NULL, "
                       "プログラム名 TEXT, 説明 TEXT, filepath TEXT, ") +
            LetterColumns(QStringLiteral("条件項目値")) +
            QStringLiteral(", PRIMARY KEY (担当者コード, メニュタブ位置, メニュ詳細位置))"),
    };
}
