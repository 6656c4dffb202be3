#include "install/DemoData.h"

#include <QDir>

#include "db/SqlText.h"
#include "env/InstallPaths.h"
#include "menu/MenuStore.h"
#include "platform/CodeConverter.h"
#include "platform/Files.h"

namespace {
struct DemoProgram {
    const char* file;       // in prgbin
    const char* table;      // catalogue
    QStringList itemNames;  // 条件項目名A …
};

QList<DemoProgram> Programs() {
    return {
        {"売上入力.exe",
         "ヌモリカ",
         {"事業所コード", "開始得意先コード", "終了得意先コード", "開始日付", "終了日付"}},
        {"売上一覧表.exe",
         "ヌモリカ",
         {"開始日付", "終了日付", "開始得意先コード", "終了得意先コード"}},
        {"得意先別売上集計.exe",
         "ヌモリカ",
         {"開始年月", "終了年月", "開始得意先コード", "終了得意先コード", "売上区分開始",
          "売上区分終了"}},
        {"受注入力.exe",
         "ヌモリカ",
         {"事業所コード", "開始営業受注No", "終了営業受注No", "受注日付"}},
        {"商品マスタ保守.exe",
         "ヌモリカデータ管理",
         {"開始商品分類コード", "終了商品分類コード", "開始商品コード", "終了商品コード",
          "表示区分"}},
        {"得意先マスタ保守.exe",
         "ヌモリカデータ管理",
         {"開始得意先コード", "終了得意先コード", "表示順"}},
        {"年度別実績.exe", "ヌモリカ補助機能", {"開始年度", "終了年度", "printmode"}},
        {"データ点検.exe", "ヌモリカサービスメニュ", {"事業所コード", "checksw"}},
    };
}

// One button: program file (or document), program name, description, condition values A ….
struct DemoButton {
    int tab;
    int position;
    QString file;
    QString name;
    QString description;
    QStringList values;
};

QList<DemoButton> Buttons(const QString& programs, const QString& manual) {
    const auto program = [&programs](const char* file) {
        return JoinPath(programs, QString::fromUtf8(file));
    };
    return {
        {0,
         0,
         program("売上入力.exe"),
         // The program name is the catalogue's program ID: the editor names the conditions.
         "売上入力",
         "今月の売上を入力します",
         {"", "000100", "", "当期期首", "今日"}},
        {0,
         1,
         program("受注入力.exe"),
         "受注入力",
         "受注番号を指定せずに開きます",
         {"001", "", "", "今日"}},
        {0,
         2,
         program("売上一覧表.exe"),
         "売上一覧表",
         "一覧表は条件なしで起動します",
         {"前月月初", "前月月末", "", ""}},
        {0,
         3,
         program("得意先別売上集計.exe"),
         "得意先別売上集計",
         "当期の得意先別集計",
         {"", "先月の月", "000100", "", "", ""}},
        {0,
         5,
         JoinPath(manual, QStringLiteral("営業日報.txt")),
         "営業日報",
         "文書を既定のアプリで開きます",
         {}},
        {1,
         0,
         program("年度別実績.exe"),
         "年度別実績",
         "前年度から当年度まで",
         {"前年", "今年", ""}},
        {1,
         1,
         program("得意先別売上集計.exe"),
         "前月の売上集計",
         "前月分の集計",
         {"先月", "先月", "", "", "", ""}},
        {2,
         0,
         program("商品マスタ保守.exe"),
         "商品マスタ保守",
         "全商品を表示",
         {"01", "", "", "", ""}},
        {2, 1, program("得意先マスタ保守.exe"), "得意先マスタ保守", "", {"", "", "1"}},
        {2, 7, program("データ点検.exe"), "データ点検", "サービスメニュの点検", {"", ""}},
    };
}

QString Quoted(const QString& value) {
    return SqlQuote(value);
}
}  // namespace

QList<DemoStaff> DemoStaffMembers(const QString& loginUser) {
    return {
        {QStringLiteral("00001"), QStringLiteral("山田 太郎"), QStringLiteral("1111"), loginUser},
        {QStringLiteral("00002"), QStringLiteral("鈴木 花子"), QStringLiteral("2222"),
         QStringLiteral("hanako")},
        {QStringLiteral("00003"), QStringLiteral("佐藤 次郎"), QStringLiteral("3333"),
         QStringLiteral("jiro")},
    };
}

QStringList DemoProgramFiles() {
    QStringList files;
    for (const DemoProgram& program : Programs()) {
        files << QString::fromUtf8(program.file);
    }
    return files;
}

QStringList DemoBusinessRows(const QString& base, const QString& loginUser) {
    const QString programs = JoinPath(base, QStringLiteral("prgbin"));
    const QString manual = JoinPath(base, QStringLiteral("manual"));
    QStringList rows = {
        QStringLiteral("UPDATE Mユーザ SET 名称 = 'ヌモリカ商事株式会社', 電話 = '03-0000-0000', "
                       "暗証番号有無 = 1, 決算月 = 3, 決算日 = 31, BACKUPフォルダ = %1")
            .arg(Quoted(JoinPath(base, QStringLiteral("backup")))),
        QStringLiteral("UPDATE M事業所 SET 特権暗証番号 = ") +
            Quoted(CodeConverter::encode(QStringLiteral("9999"))),
        QStringLiteral(
            "INSERT INTO M事業所 (コード, 名称, 暗証番号有無) VALUES ('001', '東京営業所', 1)"),
        QStringLiteral(
            "INSERT INTO M事業所 (コード, 名称, 暗証番号有無) VALUES ('002', '大阪営業所', 1)"),
    };
    const QStringList offices = {QStringLiteral("000"), QStringLiteral("001"),
                                 QStringLiteral("002")};
    const QList<DemoStaff> staff = DemoStaffMembers(loginUser);
    for (qsizetype i = 0; i < staff.size(); ++i) {
        const DemoStaff& person = staff[i];
        rows << QStringLiteral(
                    "INSERT INTO M担当者 (コード, 氏名, 暗証番号, ログインID, 在籍区分, 退社日付, "
                    "事業所コード, 部門コード, アクセス権限, 処理分類9操作許可) VALUES (%1, %2, "
                    "%3, %4, "
                    "'0', '', %5, '010', '1', %6)")
                    .arg(Quoted(person.code), Quoted(person.name),
                         Quoted(CodeConverter::encode(person.pin)), Quoted(person.loginId),
                         Quoted(offices[i]), Quoted(i == 0 ? "0" : "1"));
        const QStringList titles = {QStringLiteral("ヌモリカ販売"), QStringLiteral("集計・分析"),
                                    QStringLiteral("マスタ・保守")};
        for (int tab = 0; tab < titles.size(); ++tab) {
            rows << QStringLiteral(
                        "INSERT INTO ヌモリカマイメニュ (担当者コード, メニュタブ位置, 機能名) "
                        "VALUES (%1, %2, %3)")
                        .arg(Quoted(person.code))
                        .arg(tab)
                        .arg(Quoted(titles[tab]));
        }
        for (const DemoButton& button : Buttons(programs, manual)) {
            QStringList columns = {
                QStringLiteral("担当者コード"),   QStringLiteral("メニュタブ位置"),
                QStringLiteral("メニュ詳細位置"), QStringLiteral("プログラム名"),
                QStringLiteral("説明"),           QStringLiteral("filepath")};
            QStringList values = {
                Quoted(person.code), QString::number(button.tab), QString::number(button.position),
                Quoted(button.name), Quoted(button.description),  Quoted(button.file)};
            for (qsizetype v = 0; v < button.values.size(); ++v) {
                columns << ConditionValueColumn(int(v));
                values << Quoted(button.values[v]);
            }
            rows << QStringLiteral("INSERT INTO ヌモリカマイメニュ詳細 (%1) VALUES (%2)")
                        .arg(columns.join(QStringLiteral(", ")), values.join(QStringLiteral(", ")));
        }
    }
    return rows;
}

QStringList DemoConfigurationRows() {
    QStringList rows;
    for (const DemoProgram& program : Programs()) {
        QStringList columns = {QStringLiteral("プログラムID")};
        QStringList values = {Quoted(QString::fromUtf8(program.file).chopped(4))};
        for (qsizetype i = 0; i < program.itemNames.size(); ++i) {
            columns << ConditionNameColumn(int(i));
            values << Quoted(program.itemNames[i]);
        }
        rows << QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(QString::fromUtf8(program.table), columns.join(QStringLiteral(", ")),
                         values.join(QStringLiteral(", ")));
    }
    return rows;
}
