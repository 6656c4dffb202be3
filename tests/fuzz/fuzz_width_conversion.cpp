// ToFullWidth on any text: the result is never longer than the input, no character it would
// convert is left in it, and so converting it a second time changes nothing.
#include "FuzzSupport.h"

#include "text/WidthConversion.h"

namespace {
// What the tables convert: printable ASCII but the space, " ^ and `, and the half-width katakana
// from ｦ to ﾝ (with ｰ). The half-width punctuation and a mark that composes nothing stay.
bool Convertible(QChar c) {
    const char16_t u = c.unicode();
    const bool ascii = u > 0x20 && u < 0x7F && u != u'"' && u != u'^' && u != u'`';
    return ascii || (u >= 0xFF66 && u <= 0xFF9D);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = TextOf(data, size);
    const QString wide = ToFullWidth(text);
    // One unit for one unit, or one for a letter and its mark.
    Check(wide.size() <= text.size(), "longer than its input");
    for (const QChar c : wide) {
        Check(!Convertible(c), "a convertible character is left");
    }
    Check(ToFullWidth(wide) == wide, "a second conversion changes the text");
    return 0;
}
