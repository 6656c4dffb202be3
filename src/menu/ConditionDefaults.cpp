#include "menu/ConditionDefaults.h"

#include <cmath>
#include <optional>
#include <vector>

#include "menu/DateKeywords.h"
#include "text/NumberText.h"

namespace {
// A code range of the start and end items; the product codes have an empty template, so their
// start adds nothing and their end is all Z.
struct CodeRange {
    QString startName;
    QString endName;
    int width;
    bool zeroTemplate;
};

const std::vector<CodeRange>& CodeRanges() {
    // clang-format off
    static const std::vector<CodeRange> ranges = {
        {QStringLiteral("開始事業所コード"), QStringLiteral("終了事業所コード"), 3, true},
        {QStringLiteral("開始得意先分類コード"), QStringLiteral("終了得意先分類コード"), 2, true},
        {QStringLiteral("開始得意先コード"), QStringLiteral("終了得意先コード"), 6, true},
        {QStringLiteral("開始納品先分類コード"), QStringLiteral("終了納品先分類コード"), 2, true},
        {QStringLiteral("開始納品先コード"), QStringLiteral("終了納品先コード"), 6, true},
        {QStringLiteral("開始仕入先分類コード"), QStringLiteral("終了仕入先分類コード"), 2, true},
        {QStringLiteral("開始仕入先コード"), QStringLiteral("終了仕入先コード"), 6, true},
        {QStringLiteral("開始メーカ分類コード"), QStringLiteral("終了メーカ分類コード"), 2, true},
        {QStringLiteral("開始メーカコード"), QStringLiteral("終了メーカコード"), 6, true},
        {QStringLiteral("開始商品分類コード"), QStringLiteral("終了商品分類コード"), 4, false},
        {QStringLiteral("開始商品コード"), QStringLiteral("終了商品コード"), 16, false},
        {QStringLiteral("開始銀行コード"), QStringLiteral("終了銀行コード"), 4, true},
        {QStringLiteral("開始地区コード"), QStringLiteral("終了地区コード"), 3, true},
        {QStringLiteral("開始都道府県コード"), QStringLiteral("終了都道府県コード"), 2, true},
        {QStringLiteral("開始部門コード"), QStringLiteral("終了部門コード"), 3, true},
        {QStringLiteral("開始セクションコード"), QStringLiteral("終了セクションコード"), 3, true},
        {QStringLiteral("開始担当者コード"), QStringLiteral("終了担当者コード"), 5, true},
        {QStringLiteral("開始案件No"), QStringLiteral("終了案件No"), 8, true},
        {QStringLiteral("開始営業見積No"), QStringLiteral("終了営業見積No"), 8, true},
        {QStringLiteral("開始顧客注文No"), QStringLiteral("終了顧客注文No"), 8, true},
        {QStringLiteral("開始営業発注No"), QStringLiteral("終了営業発注No"), 8, true},
        {QStringLiteral("開始営業請求No"), QStringLiteral("終了営業請求No"), 8, true},
        {QStringLiteral("開始営業引合No"), QStringLiteral("終了営業引合No"), 8, true},
        {QStringLiteral("開始営業受注No"), QStringLiteral("終了営業受注No"), 8, true},
        {QStringLiteral("開始配送手配No"), QStringLiteral("終了配送手配No"), 8, true},
    };
    // clang-format on
    return ranges;
}

// A stored class or sw value: its leading number, rounded with halves away from zero.
QString WholeNumberText(const QString& value) {
    const double rounded = std::round(LeadingNumber(value));
    return rounded == 0 ? QStringLiteral("0") : QString::number(rounded, 'f', 0);
}

// The default of an item named exactly as one of the fixed items; nothing for any other name.
std::optional<QString> ExactDefault(const QString& name, const ConditionSettings& settings) {
    if (name == QStringLiteral("事業所コード")) {
        return settings.officeCode;
    }
    if (name == QStringLiteral("printmode")) {
        return QStringLiteral("1");
    }
    for (const CodeRange& range : CodeRanges()) {
        const QString templateText =
            range.zeroTemplate ? QString(range.width, QLatin1Char('0')) : QString();
        if (name == range.startName) {
            return StartCodeFill(templateText);
        }
        if (name == range.endName) {
            return EndCodeFill(templateText, range.width);
        }
    }
    return std::nullopt;
}

QString ClassDefault(const QString& name) {
    static const QStringList movementClasses = {
        QStringLiteral("売上区分"), QStringLiteral("出荷区分"), QStringLiteral("入金区分"),
        QStringLiteral("入荷区分"), QStringLiteral("仕入区分"), QStringLiteral("支払区分"),
    };
    for (const QString& movement : movementClasses) {
        if (name.contains(movement)) {
            if (name.contains(QStringLiteral("開始"))) {
                return QStringLiteral("01");
            }
            return name.contains(QStringLiteral("終了")) ? QStringLiteral("10")
                                                         : QStringLiteral("00");
        }
    }
    if (name.contains(QStringLiteral("表示区分")) || name.contains(QStringLiteral("表示順"))) {
        return QStringLiteral("0");
    }
    if (name.contains(QStringLiteral("科目区分"))) {
        return QStringLiteral("1");
    }
    return name.contains(QStringLiteral("開始")) ? QStringLiteral("0") : QStringLiteral("9");
}

QString EmptyValueDefault(const QString& name, const ConditionSettings& settings) {
    if (const auto exact = ExactDefault(name, settings)) {
        return *exact;
    }
    const bool start = name.contains(QStringLiteral("開始"));
    const QString today = DateText(settings.today);
    if (name.contains(QStringLiteral("区分"))) {
        return ClassDefault(name);
    }
    if (name.contains(QStringLiteral("年月日")) || name.contains(QStringLiteral("日付"))) {
        return start ? DateText(settings.today.addMonths(-1)) : today;
    }
    if (name.contains(QStringLiteral("年月"))) {  // 年月度 included
        return start ? FiscalYearStart(today, settings.calendar).left(6)
                     : MonthClosingDate(today, settings.calendar).left(6);
    }
    if (name.contains(QStringLiteral("年"))) {  // 年度 included
        return start ? FiscalYearStart(DateText(settings.today.addYears(-2)), settings.calendar)
                           .left(4)
                     : FiscalYearEnd(today, settings.calendar).left(4);
    }
    return name.contains(QStringLiteral("sw")) ? QStringLiteral("0") : QString();
}
}  // namespace

QString DefaultConditionValue(const QString& name, const QString& value,
                              const ConditionSettings& settings) {
    if (name.isEmpty()) {
        return {};
    }
    if (value.isEmpty()) {
        return EmptyValueDefault(name, settings);
    }
    if (name.contains(QStringLiteral("区分")) || name.contains(QStringLiteral("sw"))) {
        return WholeNumberText(value);
    }
    return ResolveDateKeyword(value, settings.today, settings.calendar);
}

QString StartCodeFill(const QString& templateText) {
    return QString(templateText.size(), QLatin1Char('0'));
}

QString EndCodeFill(const QString& templateText, int width) {
    return templateText.isEmpty() ? RepeatZ(width) : RepeatNine(int(templateText.size()));
}

QString RepeatNine(int n) {
    return n > 0 ? QString(n, QLatin1Char('9')) : QString();
}

QString RepeatZ(int n) {
    return n > 0 ? QString(n, QLatin1Char('Z')) : QString();
}
