// FormatToPattern with the pattern on the first line and the value after it: with no pattern the
// value comes back; otherwise the result is never longer than the pattern and is either the value
// cut to it or a rounded number (a sign and digits, cut to the pattern too).
#include "FuzzSupport.h"

#include "text/StringHelpers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = TextOf(data, size);
    const qsizetype newline = text.indexOf(QLatin1Char('\n'));
    const QString pattern = newline < 0 ? text : text.left(newline);
    const QString value = newline < 0 ? QString() : text.mid(newline + 1);

    const QString formatted = FormatToPattern(value, pattern);
    if (pattern.isEmpty()) {
        Check(formatted == value, "changed without a pattern");
        return 0;
    }
    Check(formatted.size() <= pattern.size(), "longer than the pattern");
    // A sign and digits; a number beyond the range of a double stays the text as typed.
    const bool number =
        OnlyOf(QStringView(formatted).mid(formatted.startsWith('-') ? 1 : 0), kDigits);
    Check(formatted == value.left(pattern.size()) || number, "neither the value cut nor a number");
    return 0;
}
