// DefaultConditionValue with today and the fiscal calendar from the first five bytes (as in
// fuzz_date_keywords) and the rest as lines: the item name, its stored value and the operating
// office code. No name gives nothing; a class or sw value becomes a whole number; a default is
// the office code or made of digits and Z only; any other value is resolved as a date keyword.
#include "FuzzSupport.h"

#include "menu/ConditionDefaults.h"
#include "menu/DateKeywords.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) {
        return 0;
    }
    const DayAndCalendar day = DecodeDayAndCalendar(data);
    ConditionSettings settings;
    settings.today = day.today;
    settings.calendar = day.calendar;
    const QString text = TextOf(data + 5, size - 5);
    const QString name = text.section(QLatin1Char('\n'), 0, 0);
    const QString value = text.section(QLatin1Char('\n'), 1, 1);
    settings.officeCode = text.section(QLatin1Char('\n'), 2);

    const QString result = DefaultConditionValue(name, value, settings);
    if (name.isEmpty()) {
        Check(result.isEmpty(), "a value for an item without a name");
    } else if (value.isEmpty()) {
        if (name == QStringLiteral("事業所コード")) {
            Check(result == settings.officeCode, "the office item is not the office code");
        } else {
            Check(OnlyOf(result, kDigits + QLatin1Char('Z')), "a default not of digits and Z");
        }
    } else if (name.contains(QStringLiteral("区分")) || name.contains(QStringLiteral("sw"))) {
        const QString magnitude = result.startsWith(QLatin1Char('-')) ? result.mid(1) : result;
        Check(!magnitude.isEmpty() && OnlyOf(magnitude, kDigits) && result != QStringLiteral("-0"),
              "a class or sw value is not a whole number");
    } else {
        Check(result == ResolveDateKeyword(value, settings.today, settings.calendar),
              "a stored value is not resolved as a date keyword");
    }
    return 0;
}
