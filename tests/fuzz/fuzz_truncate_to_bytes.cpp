// TruncateToBytes, LengthNoticeText and ShiftJisLength with the limit in the first two bytes
// (little-endian int16) and the rest as text: the cut is a prefix within the limit that the next
// character would not fit, a surrogate pair is never split, and the notice appears exactly when
// something was cut, counting the characters beyond the limit.
#include <cstring>
#include <vector>
#include "FuzzSupport.h"

#include "text/StringHelpers.h"

namespace {
bool PairAt(const QString& text, qsizetype at) {
    return at + 1 < text.size() && text[at].isHighSurrogate() && text[at + 1].isLowSurrogate();
}

void CheckCut(const QString& text, int limit) {
    const QString cut = TruncateToBytes(text, limit);
    Check(text.startsWith(cut), "not a prefix of the text");
    Check(cut.isEmpty() || ShiftJisLength(cut) <= limit, "over the limit");
    const bool fits = text.isEmpty() || ShiftJisLength(text) <= limit;
    Check(fits == (cut.size() == text.size()), "cut although the text fits, or not cut");
    if (cut.size() < text.size()) {
        const qsizetype at = cut.size();
        Check(at == 0 || !PairAt(text, at - 1), "a surrogate pair is split");
        const qsizetype next = PairAt(text, at) ? 2 : 1;
        Check(ShiftJisLength(text.left(at + next)) > limit, "the next character would fit");
    }

    static const QString over = QStringLiteral("文字オーバーです。");
    const QString notice = LengthNoticeText(text, limit);
    if (fits) {
        Check(notice.isEmpty(), "a notice for a text that fits");
        return;
    }
    Check(notice.endsWith(over), "the notice lacks its wording");
    bool number = false;
    const qlonglong count = notice.chopped(over.size()).toLongLong(&number);
    const qsizetype rest = text.size() - cut.size();
    // A character is one or two UTF-16 units.
    Check(number && count >= 1 && count <= rest && count * 2 >= rest,
          "the notice counts the characters beyond the limit wrongly");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) {
        return 0;
    }
    const int limit = int16_t(uint16_t(data[0] | (data[1] << 8)));
    const char* bytes = reinterpret_cast<const char*>(data + 2);
    const size_t length = size - 2;
    CheckCut(QString::fromUtf8(bytes, qsizetype(length)), limit);

    // The same bytes as raw UTF-16 units, so that lone surrogates reach the character walk too.
    std::vector<char16_t> units(length / 2);
    if (!units.empty()) {
        std::memcpy(units.data(), bytes, units.size() * sizeof(char16_t));
    }
    CheckCut(QString(reinterpret_cast<const QChar*>(units.data()), qsizetype(units.size())), limit);
    return 0;
}
