#include "TestSupport.h"

namespace {
const FiscalCalendar marchEnd{3, 31};

ConditionSettings SettingsOn(const QDate& today) {
    return ConditionSettings{today, QStringLiteral("002"), marchEnd};
}

// Each "input→expected" pair with what convert makes of its input in place of the expected text.
QStringList Applied(const QStringList& pairs,
                    const std::function<QString(const QString&)>& convert) {
    QStringList texts;
    for (const QString& pair : pairs) {
        const QString input = pair.section(u'→', 0, 0);
        texts << input + u'→' + convert(input);
    }
    return texts;
}
}  // namespace

class TestTextRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Marks join the letter before them where a composed form exists.
    void converts() {
        const QStringList pairs = QString(
                                      "→|ヌモリカマイメニュ→ヌモリカマイメニュ|ｶﾞｷﾞｸﾞ→ガギグ|"
                                      "ﾊﾟﾝ→パン|ｳﾞｧ→ヴァ|ﾞｱ→ﾞア|ｱﾞ→アﾞ|ﾜﾞｦﾞ→ワﾞヲﾞ|ｶﾟ→カﾟ|"
                                      "ﾞﾟ→ﾞﾟ|A B→Ａ Ｂ|ｺｰﾄﾞ_1→コード＿１|a😀→ａ😀")
                                      .split('|');
        QCOMPARE(Applied(pairs, ToFullWidth), pairs);
    }

    // Every printable ASCII character but the space, " ^ and ` has a full-width form 0xFEE0
    // higher, except ' and \.
    void everyAsciiCharacter() {
        for (char16_t c = 0x20; c <= 0x7E; ++c) {
            QChar expected(c + 0xFEE0);
            if (c == u' ' || c == u'"' || c == u'^' || c == u'`') {
                expected = QChar(c);
            } else if (c == u'\'') {
                expected = QChar(0x2019);
            } else if (c == u'\\') {
                expected = QChar(0xFFE5);
            }
            QCOMPARE(ToFullWidth(QString(QChar(c))), QString(expected));
        }
    }

    // Every half-width katakana letter on its own becomes its compatibility form; the
    // punctuation and the lone marks stay half-width.
    void everyHalfWidthKatakana() {
        for (char16_t c = 0xFF61; c <= 0xFF9F; ++c) {
            const QString text(QChar{c});
            const bool kept = c <= 0xFF65 || c >= 0xFF9E;
            QCOMPARE(ToFullWidth(text),
                     kept ? text : text.normalized(QString::NormalizationForm_KC));
        }
    }

    // Codes to their pattern, "value/pattern→code"; beyond any number the text as typed, never
    // "inf".
    void formatsCodes() {
        const QStringList pairs =
            QString(
                "12/00000→00012|123456/00000→12345|AB/00000→AB|ABCDEFG/000→ABC|12/→12|"
                "1/000→001| 7 /000→007|/000→|2.5/000→003|-1/000→-00|12a/00000→12a|"
                "1e999/000→1e9|-1e400/00000→-1e40")
                .split('|');
        QCOMPARE(Applied(pairs,
                         [](const QString& input) {
                             return FormatToPattern(input.section('/', 0, 0),
                                                    input.section('/', 1));
                         }),
                 pairs);
    }

    void cutsToBytes_data() {
        Columns<QString, int, QString, QString>("text", "limit", "expected", "notice");
        Row("full-width, one byte short", "アイウ", 5, "アイ", "1文字オーバーです。");
        Row("full-width, exact", "アイウ", 6, "アイウ", "");
        Row("limit 0", "アイウ", 0, "", "3文字オーバーです。");
        Row("half-width katakana", "ｱｲｳ", 2, "ｱｲ", "1文字オーバーです。");
        Row("half-width semi-voiced mark", "ﾊﾟﾟ", 2, "ﾊﾟ", "1文字オーバーです。");
        Row("11 in 20", QString(11, u'あ'), 20, QString(10, u'あ'), "1文字オーバーです。");
        Row("mixed", "aあb", 3, "aあ", "1文字オーバーです。");
        Row("emoji is one character", "a😀b", 2, "a", "2文字オーバーです。");
    }
    void cutsToBytes() {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QTEST(TruncateToBytes(text, limit), "expected");
        QTEST(LengthNoticeText(text, limit), "notice");
    }

    void translatesTop() {
        const QStringList pairs{
            "SELECT TOP 1 * FROM M他業務連携 WHERE コード = '003'→SELECT * FROM M他業務連携 WHERE "
            "コード = '003' LIMIT 1",
            "select distinct top 10 a FROM t→select distinct a FROM t LIMIT 10",
            "SELECT * FROM t→SELECT * FROM t",
            "SELECT * FROM t WHERE a = 'SELECT TOP 1 '→SELECT * FROM t WHERE a = 'SELECT TOP 1 '"};
        QCOMPARE(Applied(pairs, TranslateForEngine), pairs);
    }

    // Quotes doubled, trailing blanks dropped; tabs and full-width blanks are no blanks.
    void escapesForTheRunHistory() {
        const QStringList pairs{"it's  →it''s", "→",       "   →",         "''→''''",
                                "  a→  a",      "a\t→a\t", "名前　→名前　"};
        QCOMPARE(Applied(pairs, EscapeSqlText), pairs);
    }

    // Leading number, halves to even, 16 bits.
    void readsStoredNumbers() {
        const QStringList pairs{"1→1",   "  -12→-12", "3月→3",       "abc→0",         "→0", "2.5→2",
                                "3.5→4", "1.6→2",     "40000→32767", "-40000→-32768", "-→0"};
        QCOMPARE(Applied(pairs, [](const QString& text) { return QString::number(ToInt16(text)); }),
                 pairs);
    }

    // The fixed points of the calendar, March closing: month, previous month, year, previous year,
    // fiscal year, previous fiscal year, each start and end.
    void resolves() {
        QStringList points;
        for (const QDate today : {QDate(2024, 5, 15), QDate(2024, 1, 31), QDate(2024, 2, 29),
                                  QDate(2024, 12, 15), QDate(2024, 3, 31)}) {
            for (const char* keyword :
                 {"当月月初", "当月月末", "前月月初", "前月月末", "当年年初", "当年年末",
                  "前年年初", "前年年末", "当期期首", "当期期末", "前期期首", "前期期末"}) {
                points << ResolveDateKeyword(keyword, today, marchEnd);
            }
        }
        QCOMPARE(points.join(' '),
                 // 15 May 2024
                 "20240501 20240531 20240401 20240430 20240101 20241231 "
                 "20230101 20231231 20240401 20250331 20230401 20240331 "
                 // 31 January 2024
                 "20240101 20240131 20231201 20231231 20240101 20241231 "
                 "20230101 20231231 20230401 20240331 20220401 20230331 "
                 // 29 February 2024
                 "20240201 20240229 20240101 20240131 20240101 20241231 "
                 "20230101 20231231 20230401 20240331 20220401 20230331 "
                 // 15 December 2024
                 "20241201 20241231 20241101 20241130 20240101 20241231 "
                 "20230101 20231231 20240401 20250331 20230401 20240331 "
                 // 31 March 2024
                 "20240301 20240331 20240201 20240229 20240101 20241231 "
                 "20230101 20231231 20230401 20240331 20220401 20230331");
    }

    // Blanks, near misses and other values are left as they are.
    void leavesOtherValues() {
        const QStringList values{"",       " ",          " 今日",       "今日 ",
                                 "今日　", "1ｹ月先の日", "1ヵ月先の日", "今日今日",
                                 "来月の", "20240101",   "000123"};
        for (const QString& value : values) {
            QCOMPARE(ResolveDateKeyword(value, QDate(2024, 1, 31), marchEnd), value);
        }
    }

    // Every keyword shifts today as its words say. The variants are made from their parts here,
    // so a keyword dropped from the table or mistyped in it is found.
    void everyKeyword() {
        QList<std::tuple<QString, int, int, int, int>> keywords;  // days, months, years, length
        QString form;                                             // the ending of the words added
        const auto add = [&](const QStringList& words, int days, int months, int years,
                             int length) {
            for (const QString& word : words) {
                keywords.append({word + form, days, months, years, length});
            }
        };
        const auto kanji = [](int n) { return QStringLiteral("一二三四五六").mid(n - 1, 1); };
        const auto numbers = [&](int n) {
            return QStringList{kanji(n), QString(QChar(0xFF10 + n)), QString::number(n)};
        };
        for (int n = 1; n <= 4; ++n) {
            for (const QString& number : numbers(n)) {
                add({number + "週間先"}, 7 * n, 0, 0, 8);
                add({number + "週間前"}, -7 * n, 0, 0, 8);
            }
        }
        add({"今日", "本日", "今週"}, 0, 0, 0, 8);
        add({"翌週", "来週"}, 7, 0, 0, 8);
        add({"来々週", "再来週", "翌々週"}, 14, 0, 0, 8);
        add({"先週"}, -7, 0, 0, 8);
        add({"先々週"}, -14, 0, 0, 8);
        add({"今日の月", "本日の月", "今月"}, 0, 0, 0, 6);
        add({"今日の年", "本日の年", "今年"}, 0, 0, 0, 4);
        add({"来月"}, 0, 1, 0, 6);
        add({"再来月"}, 0, 2, 0, 6);
        add({"先月"}, 0, -1, 0, 6);
        add({"先々月"}, 0, -2, 0, 6);
        add({"来年"}, 0, 0, 1, 4);
        add({"先年", "前年"}, 0, 0, -1, 4);
        for (const int length : {8, 6, 4}) {
            form = length == 8 ? "の日" : length == 6 ? "の月" : "の年";
            for (int n = 1; n <= 6; ++n) {
                for (const QString& number : numbers(n)) {
                    add({number + "ヶ月先"}, 0, n, 0, length);
                    add({number + "ヶ月前"}, 0, -n, 0, length);
                }
                add({kanji(n) + "月先"}, 0, n, 0, length);
                add({kanji(n) + "月前"}, 0, -n, 0, length);
            }
            add({"翌月", "来月"}, 0, 1, 0, length);
            add({"来々月", "再来月", "翌々月"}, 0, 2, 0, length);
            add({"前月", "先月"}, 0, -1, 0, length);
            add({"前々月", "先々月"}, 0, -2, 0, length);
            add({"半年先"}, 0, 6, 0, length);
            add({"半年前"}, 0, -6, 0, length);
            add({"翌年", "来年", "一年先", "１年先", "1年先"}, 0, 0, 1, length);
            add({"前年", "先年", "一年前", "１年前", "1年前"}, 0, 0, -1, length);
        }
        QCOMPARE(keywords.size(), 254);  // with the twelve fixed points of the calendar, 266
        for (const QDate today :
             {QDate(2023, 12, 31), QDate(2024, 1, 31), QDate(2024, 2, 29), QDate(2024, 8, 31)}) {
            for (const auto& [word, days, months, years, length] : keywords) {
                const QDate shifted = today.addDays(days).addMonths(months).addYears(years);
                QCOMPARE(ResolveDateKeyword(word, today, marchEnd),
                         shifted.toString(QStringLiteral("yyyyMMdd")).left(length));
            }
        }
    }

    // The value each condition starts with, "name→value", on 31 March and on 15 May 2024.
    void emptyValues() {
        const QStringList march =
            QString(
                "→|事業所コード→002|printmode→1|開始事業所コード→000|終了得意先コード→999999|"
                "終了配送手配No→99999999|終了商品分類コード→ZZZZ|開始商品コード→|"
                "終了商品コード→ZZZZZZZZZZZZZZZZ|開始事業所コード →|開始売上区分→01|"
                "終了出荷区分→10|支払区分→00|表示区分→0|開始科目区分→1|開始在庫区分→0|区分→9|"
                "年月日区分→9|開始日付→20240229|終了年月日→20240331|開始年月→202304|"
                "終了年月→202403|開始年度→2021|終了年度→2024|printsw→0|SW→|備考→")
                .split('|');
        const QStringList may{"開始年月度→202404", "年度→2025"};
        const auto on = [](const QDate& today) {
            return [today](const QString& name) {
                return DefaultConditionValue(name, {}, SettingsOn(today));
            };
        };
        QCOMPARE(Applied(march, on({2024, 3, 31})), march);
        QCOMPARE(Applied(may, on({2024, 5, 15})), may);
    }

    // Stored values, "name value→expected", on 31 January 2024.
    void storedValues() {
        const QStringList pairs =
            QString(
                "売上区分 2.6→3|売上区分 07→7|売上区分 2.5→3|売上区分 -2.5→-3|売上区分 -0.4→0|"
                "売上区分 abc→0|売上区分  →0|売上区分 来月→0|printsw 01→1|開始日付 "
                "来月の日→20240229|"
                "得意先コード 今日→20240131|終了得意先コード 000123→000123|SW 07→07| x→")
                .split('|');
        QCOMPARE(Applied(pairs,
                         [](const QString& input) {
                             return DefaultConditionValue(input.section(' ', 0, 0),
                                                          input.section(' ', 1),
                                                          SettingsOn({2024, 1, 31}));
                         }),
                 pairs);
    }

    // The fiscal year and the month's closing around a date, "closing month/day/date→start end
    // closing".
    void fiscalCalendar() {
        const QStringList pairs =
            // March
            QString(
                "3/31/20240215→20230401 20240331 20240229|3/31/20240401→20240401 20250331 20240430|"
                "3/31/20240331→20230401 20240331 20240331|"
                // December
                "12/31/20240615→20240101 20241231 20240630|"
                // 28 February, in and out of leap years
                "2/28/20240201→20230301 20240229 20240229|2/28/20240301→20240301 20250228 20240331|"
                "2/28/20230301→20230301 20240229 20230331|2/28/20240229→20230301 20240229 20240229|"
                // the 20th: before, on it, after it in December; the 30th rolls over
                "3/20/20240515→20240321 20250320 20240520|3/20/20240320→20230321 20240320 20240320|"
                "3/20/20241225→20240321 20250320 20250120|3/30/20240215→20230331 20240330 20240301")
                .split('|');
        QCOMPARE(Applied(pairs,
                         [](const QString& input) {
                             const QStringList parts = input.split('/');
                             const FiscalCalendar calendar{parts[0].toInt(), parts[1].toInt()};
                             return QStringList{FiscalYearStart(parts[2], calendar),
                                                FiscalYearEnd(parts[2], calendar),
                                                MonthClosingDate(parts[2], calendar)}
                                 .join(' ');
                         }),
                 pairs);
    }

    // Months and days out of range roll over, "year/month/day→date".
    void buildsDates() {
        const QStringList pairs{"2024/13/1→20250101", "2024/0/1→20231201",  "2024/-12/1→20221201",
                                "2024/3/0→20240229",  "2023/2/30→20230302", "2024/25/0→20251231"};
        QCOMPARE(Applied(pairs,
                         [](const QString& input) {
                             const QStringList parts = input.split('/');
                             return BuildDate(parts[0].toInt(), parts[1].toInt(), parts[2].toInt())
                                 .toString("yyyyMMdd");
                         }),
                 pairs);
    }

    // The start and end fills of a code, "template/width→start/end".
    void codeFills() {
        const QStringList pairs{"000/3→000/999", "00/5→00/99", "/4→/ZZZZ", "/0→/", "/-2→/"};
        QCOMPARE(Applied(pairs,
                         [](const QString& input) {
                             const QString templateText = input.section('/', 0, 0);
                             return StartCodeFill(templateText) + '/' +
                                    EndCodeFill(templateText, input.section('/', 1).toInt());
                         }),
                 pairs);
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_text.moc"
