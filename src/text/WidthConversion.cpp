#include "text/WidthConversion.h"

#include <QHash>

namespace {
using CharTable = QHash<char16_t, QChar>;

// keys[i] becomes values[i]; both lists are written out so they read against each other.
CharTable MakeTable(const QString& keys, const QString& values) {
    Q_ASSERT(keys.size() == values.size());
    CharTable table;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        table.insert(keys[i].unicode(), values[i]);
    }
    return table;
}

// ASCII digits, letters and symbols, the prolonged sound mark and the low line (92 entries). The
// space, " ^ and ` are not in it.
const CharTable& AsciiTable() {
    static const CharTable table = MakeTable(
        QStringLiteral("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                       "!#$%&'()=~|\\-+*[]@:;.,/?<>{}ｰ_"),
        QStringLiteral("０１２３４５６７８９ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸＹＺ"
                       "ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ"
                       "！＃＄％＆’（）＝～｜￥－＋＊［］＠：；．，／？＜＞｛｝ー＿"));
    return table;
}

// Voiced (ﾞ) and semi-voiced (ﾟ) katakana, keyed by the letter before the mark (26 entries).
const CharTable& VoicedTable() {
    static const CharTable table =
        MakeTable(QStringLiteral("ｳｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ"),
                  QStringLiteral("ヴガギグゲゴザジズゼゾダヂヅデドバビブベボ"));
    return table;
}
const CharTable& SemiVoicedTable() {
    static const CharTable table = MakeTable(QStringLiteral("ﾊﾋﾌﾍﾎ"), QStringLiteral("パピプペポ"));
    return table;
}

// Plain katakana: 44 full-size letters, ｦ and ﾝ, then 9 small letters (55 entries).
const CharTable& KanaTable() {
    static const CharTable table =
        MakeTable(QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｧｨｩｪｫｯｬｭｮ"),
                  QStringLiteral("アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミ"
                                 "ムメモヤユヨラリルレロワヲンァィゥェォッャュョ"));
    return table;
}

constexpr char16_t VoicedMark = 0xFF9E;
constexpr char16_t SemiVoicedMark = 0xFF9F;
}  // namespace

QString ToFullWidth(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (const auto ascii = AsciiTable().constFind(c); ascii != AsciiTable().cend()) {
            result += *ascii;
            continue;
        }
        // The two-character keys come before the plain letters, so the mark is consumed.
        if (i + 1 < text.size()) {
            const char16_t mark = text[i + 1].unicode();
            const CharTable* composed = mark == VoicedMark       ? &VoicedTable()
                                        : mark == SemiVoicedMark ? &SemiVoicedTable()
                                                                 : nullptr;
            if (composed != nullptr) {
                if (const auto letter = composed->constFind(c); letter != composed->cend()) {
                    result += *letter;
                    ++i;
                    continue;
                }
            }
        }
        const auto kana = KanaTable().constFind(c);
        result += kana != KanaTable().cend() ? *kana : text[i];
    }
    return result;
}
