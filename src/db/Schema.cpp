#include "db/Schema.h"

QStringList ConfigurationSchema() {
    return {
        QStringLiteral("CREATE TABLE データベース定義 ("
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
            "日曜バックアップ INTEGER, バックアップ開始時刻 TEXT, バックアップフォルダ TEXT, "
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
        // Serves the request look-up at every start: equal columns first, the time range last.
        QStringLiteral("CREATE INDEX プログラム連携情報_受信 ON プログラム連携情報 "
                       "(受信プログラムID, 連携区分, 起動連携情報, 発信日時)"),
    };
}

QStringList BusinessSchema() {
    return {};
}
