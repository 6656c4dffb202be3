#include <QTest>

#include "text/WidthConversion.h"

class TestWidthConversion : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void converts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const QString voicedMark = QStringLiteral("ﾞ");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("program ID already full-width")
            << QStringLiteral("ヌモリカマイメニュ") << QStringLiteral("ヌモリカマイメニュ");
        QTest::newRow("voiced") << QStringLiteral("ｶﾞｷﾞｸﾞ") << QStringLiteral("ガギグ");
        QTest::newRow("semi-voiced then plain") << QStringLiteral("ﾊﾟﾝ") << QStringLiteral("パン");
        QTest::newRow("vu then small a") << QStringLiteral("ｳﾞｧ") << QStringLiteral("ヴァ");
        QTest::newRow("mark at the start")
            << voicedMark + QStringLiteral("ｱ") << voicedMark + QStringLiteral("ア");
        QTest::newRow("a has no voiced form")
            << QStringLiteral("ｱﾞ") << QStringLiteral("ア") + voicedMark;
        QTest::newRow("wa and wo are not composed")
            << QStringLiteral("ﾜﾞｦﾞ") << QStringLiteral("ワﾞヲﾞ");
        QTest::newRow("ka has no semi-voiced form")
            << QStringLiteral("ｶﾟ") << QStringLiteral("カﾟ");
        QTest::newRow("marks alone") << QStringLiteral("ﾞﾟ") << QStringLiteral("ﾞﾟ");
        QTest::newRow("letters, hyphen, digits") << "ABC-123" << QStringLiteral("ＡＢＣ－１２３");
        QTest::newRow("apostrophe") << "it's" << QStringLiteral("ｉｔ’ｓ");
        QTest::newRow("backslash to yen") << "C:\\" << QStringLiteral("Ｃ：￥");
        QTest::newRow("tilde") << "a~b" << QStringLiteral("ａ～ｂ");
        QTest::newRow("spaces stay") << "A B" << QStringLiteral("Ａ Ｂ");
        QTest::newRow("not converted") << "\"^`"
                                       << "\"^`";
        QTest::newRow("prolonged mark, low line")
            << QStringLiteral("ｺｰﾄﾞ_1") << QStringLiteral("コード＿１");
        QTest::newRow("half-width punctuation stays")
            << QStringLiteral("｡｢｣､･") << QStringLiteral("｡｢｣､･");
        QTest::newRow("outside the BMP stays") << QStringLiteral("a😀") << QStringLiteral("ａ😀");
    }
    void converts() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(ToFullWidth(text), expected);
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
            const QString expected = kept ? text : text.normalized(QString::NormalizationForm_KC);
            QCOMPARE(ToFullWidth(text), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestWidthConversion)
#include "tst_width_conversion.moc"
