#include "text/StringHelpers.h"

#include <QRegularExpression>
#include <cmath>

#include "platform/NoticePanel.h"

namespace {
int CharacterBytes(char32_t c) {
    const bool halfWidth = c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F);
    return halfWidth ? 1 : 2;
}

// Calls visit(position, character) for each character; a surrogate pair is one character.
template <typename Visit>
void ForEachCharacter(const QString& text, Visit visit) {
    for (qsizetype i = 0; i < text.size();) {
        char32_t c = text[i].unicode();
        qsizetype units = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            units = 2;
        }
        if (!visit(i, c)) {
            return;
        }
        i += units;
    }
}

// The number of UTF-16 units of text whose characters fit in limit bytes.
qsizetype FittingLength(const QString& text, int limit) {
    int bytes = 0;
    qsizetype fitting = text.size();
    ForEachCharacter(text, [&](qsizetype at, char32_t c) {
        bytes += CharacterBytes(c);
        if (bytes > limit) {
            fitting = at;
            return false;
        }
        return true;
    });
    return fitting;
}
}  // namespace

QString FormatToPattern(const QString& value, const QString& pattern) {
    if (pattern.isEmpty()) {
        return value;
    }
    static const QRegularExpression number(
        QStringLiteral(R"(^\s*[+-]?(\d[\d,]*(\.\d*)?|\.\d+)([eE][+-]?\d+)?\s*$)"));
    QString formatted = value;
    QString digits = value.trimmed();
    digits.remove(QLatin1Char(','));
    const double rounded = std::round(digits.toDouble());
    // A number beyond the range of a double is left as typed, like any other text.
    if (number.match(value).hasMatch() && std::isfinite(rounded)) {
        const int zeros = int(pattern.count(QLatin1Char('0')));
        const QString magnitude = QString::number(std::fabs(rounded), 'f', 0);
        formatted = (rounded < 0 ? QStringLiteral("-") : QString()) +
                    magnitude.rightJustified(zeros, QLatin1Char('0'));
    }
    return formatted.left(pattern.size());
}

int ShiftJisLength(const QString& text) {
    int bytes = 0;
    ForEachCharacter(text, [&bytes](qsizetype, char32_t c) {
        bytes += CharacterBytes(c);
        return true;
    });
    return bytes;
}

QString TruncateToBytes(const QString& text, int limit) {
    return text.left(FittingLength(text, limit));
}

QString LengthNoticeText(const QString& text, int limit) {
    const qsizetype fitting = FittingLength(text, limit);
    if (fitting == text.size()) {
        return {};
    }
    const qsizetype over = QStringView(text).mid(fitting).toUcs4().size();
    return QString::number(over) + QStringLiteral("文字オーバーです。");
}

void LengthNotice(NoticePanel* notice, const QString& text, int limit) {
    if (notice != nullptr) {
        notice->setNotice(LengthNoticeText(text, limit));
    }
}
