#include "TestSupport.h"

namespace {
const FiscalCalendar marchEnd{3, 31};

ConditionSettings SettingsOn(const QDate& today) {
    return ConditionSettings{today, QStringLiteral("002"), marchEnd};
}
}  // namespace

class TestTextRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void converts_data() {
        Columns<QString, QString>("text", "expected");
        const QString voicedMark = QStringLiteral("ﾞ");
        Row("empty", QString(), QString());
        Row("program ID already full-width", QStringLiteral("ヌモリカマイメニュ"),
            QStringLiteral("ヌモリカマイメニュ"));
        Row("voiced", QStringLiteral("ｶﾞｷﾞｸﾞ"), QStringLiteral("ガギグ"));
        Row("semi-voiced then plain", QStringLiteral("ﾊﾟﾝ"), QStringLiteral("パン"));
        Row("vu then small a", QStringLiteral("ｳﾞｧ"), QStringLiteral("ヴァ"));
        Row("mark at the start", voicedMark + QStringLiteral("ｱ"),
            voicedMark + QStringLiteral("ア"));
        Row("a has no voiced form", QStringLiteral("ｱﾞ"), QStringLiteral("ア") + voicedMark);
        Row("wa and wo are not composed", QStringLiteral("ﾜﾞｦﾞ"), QStringLiteral("ワﾞヲﾞ"));
        Row("ka has no semi-voiced form", QStringLiteral("ｶﾟ"), QStringLiteral("カﾟ"));
        Row("marks alone", QStringLiteral("ﾞﾟ"), QStringLiteral("ﾞﾟ"));
        Row("spaces stay", "A B", QStringLiteral("Ａ Ｂ"));
        Row("prolonged mark, low line", QStringLiteral("ｺｰﾄﾞ_1"), QStringLiteral("コード＿１"));
        Row("outside the BMP stays", QStringLiteral("a😀"), QStringLiteral("ａ😀"));
    }
    void converts() { QTEST(ToFullWidth(Cell<QString>("text")), "expected"); }

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
            const QString expected = kept ? text : text.normalized(QString::NormalizationForm_KC);
            QCOMPARE(ToFullWidth(text), expected);
        }
    }

    void formatsCodes_data() {
        Columns<QString, QString, QString>("value", "pattern", "expected");
        Row("padded", "12", "00000", "00012");
        Row("cut to the pattern", "123456", "00000", "12345");
        Row("not a number", "AB", "00000", "AB");
        Row("not a number, cut", "ABCDEFG", "000", "ABC");
        Row("empty pattern", "12", "", "12");
        Row("office", "1", "000", "001");
        Row("blanks around a number", " 7 ", "000", "007");
        Row("empty", "", "000", "");
        Row("fraction rounds half away", "2.5", "000", "003");
        Row("negative", "-1", "000", "-00");
        Row("digits then letters", "12a", "00000", "12a");
        // Beyond any number: the text as typed, never "inf".
        Row("too large for a number", "1e999", "000", "1e9");
        Row("too small for a number", "-1e400", "00000", "-1e40");
    }
    void formatsCodes() {
        QTEST(FormatToPattern(Cell<QString>("value"), Cell<QString>("pattern")), "expected");
    }

    void cutsToBytes_data() {
        Columns<QString, int, QString, QString>("text", "limit", "expected", "notice");
        Row("full-width, one byte short", "アイウ", 5, "アイ", "1文字オーバーです。");
        Row("full-width, exact", "アイウ", 6, "アイウ", "");
        Row("limit 0", "アイウ", 0, "", "3文字オーバーです。");
        Row("half-width katakana", "ｱｲｳ", 2, "ｱｲ", "1文字オーバーです。");
        Row("11 full-width in 20", QString(11, QChar(0x3042)), 20, QString(10, QChar(0x3042)),
            "1文字オーバーです。");
        Row("mixed", "aあb", 3, "aあ", "1文字オーバーです。");
        Row("emoji is one character", "a😀b", 2, "a", "2文字オーバーです。");
    }
    void cutsToBytes() {
        QFETCH(QString, text);
        QFETCH(int, limit);
        QTEST(TruncateToBytes(text, limit), "expected");
        QTEST(LengthNoticeText(text, limit), "notice");
    }

    void translatesTop_data() {
        Columns<QString, QString>("sql", "expected");
        Row("top", "SELECT TOP 1 * FROM M他業務連携 WHERE コード = '003'",
            "SELECT * FROM M他業務連携 WHERE コード = '003' LIMIT 1");
        Row("lower case, distinct", "select distinct top 10 a FROM t",
            "select distinct a FROM t LIMIT 10");
        Row("no top", "SELECT * FROM t", "SELECT * FROM t");
        Row("TOP inside a value stays", "SELECT * FROM t WHERE a = 'SELECT TOP 1 '",
            "SELECT * FROM t WHERE a = 'SELECT TOP 1 '");
    }
    void translatesTop() { QTEST(TranslateForEngine(Cell<QString>("sql")), "expected"); }

    void escapesForTheRunHistory_data() {
        Columns<QString, QString>("text", "expected");
        Row("quote doubled, trailing blanks dropped", "it's  ", "it''s");
        Row("empty", "", "");
        Row("blanks only", "   ", "");
        Row("two quotes", "''", "''''");
        Row("leading blanks kept", "  a", "  a");
        Row("tab at the end is not a blank", "a\t", "a\t");
        Row("full-width blank kept", "名前　", "名前　");
    }
    void escapesForTheRunHistory() { QTEST(EscapeSqlText(Cell<QString>("text")), "expected"); }

    void readsStoredNumbers_data() {
        Columns<QString, int>("text", "expected");
        Row("plain", "1", 1);
        Row("leading blanks and sign", "  -12", -12);
        Row("trailing text ignored", "3月", 3);
        Row("no number", "abc", 0);
        Row("empty", "", 0);
        Row("half to even down", "2.5", 2);
        Row("half to even up", "3.5", 4);
        Row("fraction", "1.6", 2);
        Row("beyond 16 bits", "40000", 32767);
        Row("below 16 bits", "-40000", -32768);
        Row("sign alone", "-", 0);
    }
    void readsStoredNumbers() { QTEST(int(ToInt16(Cell<QString>("text"))), "expected"); }

    void resolves_data() {
        Columns<QDate, QString, QString>("today", "keyword", "expected");
        const QDate jan31(2024, 1, 31);
        const QDate feb29(2024, 2, 29);
        const QDate dec15(2024, 12, 15);
        const QDate mar31(2024, 3, 31);
        const QDate may15(2024, 5, 15);
        Row("previous month start in January", jan31, QStringLiteral("前月月初"), "20231201");
        Row("previous month end in January", jan31, QStringLiteral("前月月末"), "20231231");
        Row("month end in January", jan31, QStringLiteral("当月月末"), "20240131");
        Row("leap month end", feb29, QStringLiteral("当月月末"), "20240229");
        Row("fiscal start a year back from 29 Feb", feb29, QStringLiteral("前期期首"), "20220401");
        Row("month end in December", dec15, QStringLiteral("当月月末"), "20241231");
        Row("previous month end from 31 Mar", mar31, QStringLiteral("前月月末"), "20240229");
        Row("month start", may15, QStringLiteral("当月月初"), "20240501");
        Row("previous month start", may15, QStringLiteral("前月月初"), "20240401");
        Row("year start", may15, QStringLiteral("当年年初"), "20240101");
        Row("year end", may15, QStringLiteral("当年年末"), "20241231");
        Row("previous year start", may15, QStringLiteral("前年年初"), "20230101");
        Row("previous year end", may15, QStringLiteral("前年年末"), "20231231");
        Row("fiscal start", may15, QStringLiteral("当期期首"), "20240401");
        Row("fiscal end", may15, QStringLiteral("当期期末"), "20250331");
        Row("previous fiscal start", may15, QStringLiteral("前期期首"), "20230401");
        Row("previous fiscal end", may15, QStringLiteral("前期期末"), "20240331");
    }
    void resolves() {
        QTEST(ResolveDateKeyword(Cell<QString>("keyword"), Cell<QDate>("today"), marchEnd),
              "expected");
    }

    void leavesOtherValues_data() {
        QTest::addColumn<QString>("value");
        Row("empty", QString());
        Row("blank", " ");
        Row("leading blank", QStringLiteral(" 今日"));
        Row("trailing blank", QStringLiteral("今日 "));
        Row("full-width blank", QStringLiteral("今日　"));
        Row("half-width kana variant", QStringLiteral("1ｹ月先の日"));
        Row("small ka variant", QStringLiteral("1ヵ月先の日"));
        Row("keyword twice", QStringLiteral("今日今日"));
        Row("part of a keyword", QStringLiteral("来月の"));
        Row("fixed date", "20240101");
        Row("code", "000123");
    }
    void leavesOtherValues() {
        QFETCH(QString, value);
        QCOMPARE(ResolveDateKeyword(value, QDate(2024, 1, 31), marchEnd), value);
    }

    // Every keyword shifts today as its words say. The variants are made from their parts here,
    // so a keyword dropped from the table or mistyped in it is found.
    void everyKeyword() {
        QList<std::tuple<QString, int, int, int, int>> keywords;  // days, months, years, length
        const auto add = [&](const QStringList& words, int days, int months, int years,
                             int length) {
            for (const QString& word : words) {
                keywords.append({word, days, months, years, length});
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
            const QString form = length == 8 ? "の日" : length == 6 ? "の月" : "の年";
            const auto with = [&](QStringList words) {
                for (QString& word : words) {
                    word += form;
                }
                return words;
            };
            for (int n = 1; n <= 6; ++n) {
                QStringList ahead{kanji(n) + "月先"};
                QStringList back{kanji(n) + "月前"};
                for (const QString& number : numbers(n)) {
                    ahead << number + "ヶ月先";
                    back << number + "ヶ月前";
                }
                add(with(ahead), 0, n, 0, length);
                add(with(back), 0, -n, 0, length);
            }
            add(with({"翌月", "来月"}), 0, 1, 0, length);
            add(with({"来々月", "再来月", "翌々月"}), 0, 2, 0, length);
            add(with({"前月", "先月"}), 0, -1, 0, length);
            add(with({"前々月", "先々月"}), 0, -2, 0, length);
            add(with({"半年先"}), 0, 6, 0, length);
            add(with({"半年前"}), 0, -6, 0, length);
            add(with({"翌年", "来年", "一年先", "１年先", "1年先"}), 0, 0, 1, length);
            add(with({"前年", "先年", "一年前", "１年前", "1年前"}), 0, 0, -1, length);
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

    void emptyValues_data() {
        Columns<QDate, QString, QString>("today", "name", "expected");
        const QDate mar31(2024, 3, 31);
        const QDate may15(2024, 5, 15);
        Row("no name", mar31, QString(), QString());
        Row("office", mar31, QStringLiteral("事業所コード"), "002");
        Row("printmode", mar31, "printmode", "1");
        Row("office range start", mar31, QStringLiteral("開始事業所コード"), "000");
        Row("customer range end", mar31, QStringLiteral("終了得意先コード"), "999999");
        Row("order number end", mar31, QStringLiteral("終了配送手配No"), "99999999");
        Row("product class end", mar31, QStringLiteral("終了商品分類コード"), "ZZZZ");
        Row("product start adds nothing", mar31, QStringLiteral("開始商品コード"), "");
        Row("product end", mar31, QStringLiteral("終了商品コード"), QString(16, u'Z'));
        Row("exact names only", mar31, QStringLiteral("開始事業所コード "), "");
        Row("sales class start", mar31, QStringLiteral("開始売上区分"), "01");
        Row("shipping class end", mar31, QStringLiteral("終了出荷区分"), "10");
        Row("payment class", mar31, QStringLiteral("支払区分"), "00");
        Row("display class", mar31, QStringLiteral("表示区分"), "0");
        Row("account class before start", mar31, QStringLiteral("開始科目区分"), "1");
        Row("other class start", mar31, QStringLiteral("開始在庫区分"), "0");
        Row("just class", mar31, QStringLiteral("区分"), "9");
        Row("class before date", mar31, QStringLiteral("年月日区分"), "9");
        Row("start date a month back", mar31, QStringLiteral("開始日付"), "20240229");
        Row("end date is today", mar31, QStringLiteral("終了年月日"), "20240331");
        Row("start month, fiscal start", mar31, QStringLiteral("開始年月"), "202304");
        Row("start month, new year", may15, QStringLiteral("開始年月度"), "202404");
        Row("end month, closing month", mar31, QStringLiteral("終了年月"), "202403");
        Row("start year two years back", mar31, QStringLiteral("開始年度"), "2021");
        Row("end year, fiscal end", mar31, QStringLiteral("終了年度"), "2024");
        Row("year after the year turns", may15, QStringLiteral("年度"), "2025");
        Row("sw flag", mar31, "printsw", "0");
        Row("SW is not sw", mar31, "SW", "");
        Row("unknown name", mar31, QStringLiteral("備考"), "");
    }
    void emptyValues() {
        QTEST(DefaultConditionValue(Cell<QString>("name"), {}, SettingsOn(Cell<QDate>("today"))),
              "expected");
    }

    // Stored values, on 31 January 2024.
    void storedValues_data() {
        Columns<QString, QString, QString>("name", "value", "expected");
        const QString salesClass = QStringLiteral("売上区分");
        Row("class rounds up", salesClass, "2.6", "3");
        Row("class drops leading zeros", salesClass, "07", "7");
        Row("class half away from zero", salesClass, "2.5", "3");
        Row("negative half away from zero", salesClass, "-2.5", "-3");
        Row("small negative is 0", salesClass, "-0.4", "0");
        Row("no leading number", salesClass, "abc", "0");
        Row("blank value", salesClass, " ", "0");
        Row("class keyword not resolved", salesClass, QStringLiteral("来月"), "0");
        Row("sw value", "printsw", "01", "1");
        Row("date keyword", QStringLiteral("開始日付"), QStringLiteral("来月の日"), "20240229");
        Row("keyword in a code item", QStringLiteral("得意先コード"), QStringLiteral("今日"),
            "20240131");
        Row("code passed on", QStringLiteral("終了得意先コード"), "000123", "000123");
        Row("SW value passed on", "SW", "07", "07");
        Row("no name", QString(), "x", QString());
    }
    void storedValues() {
        const QString value = Cell<QString>("value");
        QTEST(DefaultConditionValue(Cell<QString>("name"), value, SettingsOn({2024, 1, 31})),
              "expected");
    }

    void fiscalCalendar_data() {
        Columns<int, int, QString, QString, QString, QString>("closingMonth", "closingDay", "date",
                                                              "start", "end", "closing");
        Row("March, mid-February", 3, 31, "20240215", "20230401", "20240331", "20240229");
        Row("March, first day", 3, 31, "20240401", "20240401", "20250331", "20240430");
        Row("March, last day", 3, 31, "20240331", "20230401", "20240331", "20240331");
        Row("December", 12, 31, "20240615", "20240101", "20241231", "20240630");
        Row("December, 1 Jan", 12, 31, "20240101", "20240101", "20241231", "20240131");
        Row("Feb 28, leap year", 2, 28, "20240201", "20230301", "20240229", "20240229");
        Row("Feb 28, after", 2, 28, "20240301", "20240301", "20250228", "20240331");
        Row("Feb 28, into a leap year", 2, 28, "20230301", "20230301", "20240229", "20230331");
        Row("Feb 28, leap day", 2, 28, "20240229", "20230301", "20240229", "20240229");
        Row("day 20, before", 3, 20, "20240515", "20240321", "20250320", "20240520");
        Row("day 20, after", 3, 20, "20240525", "20240321", "20250320", "20240620");
        Row("day 20, on it", 3, 20, "20240320", "20230321", "20240320", "20240320");
        Row("day 20, December", 3, 20, "20241225", "20240321", "20250320", "20250120");
        Row("day 30 rolls over", 3, 30, "20240215", "20230331", "20240330", "20240301");
    }
    void fiscalCalendar() {
        QFETCH(QString, date);
        const FiscalCalendar calendar{Cell<int>("closingMonth"), Cell<int>("closingDay")};
        QTEST(FiscalYearStart(date, calendar), "start");
        QTEST(FiscalYearEnd(date, calendar), "end");
        QTEST(MonthClosingDate(date, calendar), "closing");
    }

    void buildsDates_data() {
        Columns<int, int, int, QDate>("year", "month", "day", "expected");
        Row("month 13", 2024, 13, 1, QDate(2025, 1, 1));
        Row("month 0", 2024, 0, 1, QDate(2023, 12, 1));
        Row("month -12", 2024, -12, 1, QDate(2022, 12, 1));
        Row("day 0", 2024, 3, 0, QDate(2024, 2, 29));
        Row("day past the end", 2023, 2, 30, QDate(2023, 3, 2));
        Row("month 25, day 0", 2024, 25, 0, QDate(2025, 12, 31));
    }
    void buildsDates() {
        QTEST(BuildDate(Cell<int>("year"), Cell<int>("month"), Cell<int>("day")), "expected");
    }

    void codeFills_data() {
        Columns<QString, int, QString, QString>("templateText", "width", "start", "end");
        Row("zeros", "000", 3, "000", QStringLiteral("999"));
        Row("template wins over width", "00", 5, "00", QStringLiteral("99"));
        Row("empty template", QString(), 4, QString(), QStringLiteral("ZZZZ"));
        Row("empty, width 0", QString(), 0, QString(), QString());
        Row("empty, negative width", QString(), -2, QString(), QString());
    }
    void codeFills() {
        QFETCH(QString, templateText);
        QTEST(StartCodeFill(templateText), "start");
        QTEST(EndCodeFill(templateText, Cell<int>("width")), "end");
    }
};

QTEST_GUILESS_MAIN(TestTextRules)
#include "tst_text.moc"
