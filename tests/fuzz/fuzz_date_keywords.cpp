// ResolveDateKeyword with today and the fiscal calendar taken from the first five bytes (year
// 1900-2155, a real month and day, closing month 1-12, closing day 1-31) and the rest as the
// value: a value comes back unchanged or as yyyy, yyyymm or yyyymmdd of a real date at most two
// years from today, and the current fiscal year holds today.
#include "FuzzSupport.h"

#include "menu/DateKeywords.h"

namespace {
// yyyy, yyyymm or yyyymmdd naming a real day, month or year.
QDate DateOfText(const QString& text) {
    if ((text.size() != 4 && text.size() != 6 && text.size() != 8) || !OnlyOf(text, kDigits)) {
        return {};
    }
    const QString padded = text + QStringLiteral("0101").right(8 - text.size());
    return QDate::fromString(padded, QStringLiteral("yyyyMMdd"));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) {
        return 0;
    }
    const auto [today, calendar] = DecodeDayAndCalendar(data);
    const QString value = TextOf(data + 5, size - 5);

    const QString resolved = ResolveDateKeyword(value, today, calendar);
    if (resolved != value) {
        const QDate date = DateOfText(resolved);
        Check(date.isValid(), "not the text of a real date");
        Check(qAbs(date.year() - today.year()) <= 2, "too far from today");
        // Keywords hold no blanks at either end, and the value must equal one exactly.
        Check(value.trimmed() == value, "a value with blanks around it was resolved");
    }

    const QString todayText = today.toString(QStringLiteral("yyyyMMdd"));
    const QString start = ResolveDateKeyword(QStringLiteral("当期期首"), today, calendar);
    const QString end = ResolveDateKeyword(QStringLiteral("当期期末"), today, calendar);
    Check(DateOfText(start).isValid() && DateOfText(end).isValid(), "fiscal year not a date");
    Check(start <= todayText && todayText <= end, "the fiscal year does not hold today");
    return 0;
}
