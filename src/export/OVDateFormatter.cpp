#include "inkstead/export/OVFilenamePattern.h"

#include <ctime>
#include <langinfo.h>
#include <locale.h>

namespace {

// Where the day, month and year stand in the locale's numeric date, so that the worded styles
// keep the user's customary order.
enum class DateOrder { MonthDayYear, DayMonthYear, YearMonthDay };

DateOrder dateOrderOf(locale_t locale) {
    const char* format = nl_langinfo_l(D_FMT, locale);
    for (const char* p = format; p && *p; ++p) {
        if (*p != '%' || !p[1])
            continue;
        switch (p[1]) {
        case 'm':
        case 'b':
        case 'B':
            return DateOrder::MonthDayYear;
        case 'd':
        case 'e':
            return DateOrder::DayMonthYear;
        case 'y':
        case 'Y':
            return DateOrder::YearMonthDay;
        case 'D': // %m/%d/%y
            return DateOrder::MonthDayYear;
        case 'F': // %Y-%m-%d
            return DateOrder::YearMonthDay;
        default:
            ++p;
        }
    }
    return DateOrder::MonthDayYear;
}

std::string wordedDateFormat(DateOrder order, const char* month) {
    const std::string m = month;
    switch (order) {
    case DateOrder::DayMonthYear:
        return "%-d " + m + " %Y";
    case DateOrder::YearMonthDay:
        return "%Y " + m + " %-d";
    case DateOrder::MonthDayYear:
        break;
    }
    return m + " %-d, %Y";
}

} // namespace

struct OVDateFormatter::Impl {
    locale_t locale = nullptr;
    std::string format; // strftime format; empty for the "none" style

    ~Impl() {
        if (locale)
            freelocale(locale);
    }
};

OVDateFormatter::OVDateFormatter(std::uint64_t dateStyle)
    : dateStyle_(dateStyle), d(std::make_unique<Impl>()) {
    // The user's locale comes from the environment; a locale that is not installed falls back
    // to the portable one rather than failing.
    d->locale = newlocale(LC_ALL_MASK, "", nullptr);
    if (!d->locale)
        d->locale = newlocale(LC_ALL_MASK, "C", nullptr);
    if (!d->locale)
        return;
    const DateOrder order = dateOrderOf(d->locale);
    switch (dateStyle) {
    case 0:
        d->format = "%x";
        break;
    case 1:
        d->format = wordedDateFormat(order, "%b");
        break;
    case 2:
        d->format = wordedDateFormat(order, "%B") + " %X %Z";
        break;
    default:
        break;
    }
}

OVDateFormatter::~OVDateFormatter() = default;

std::string OVDateFormatter::stringFromDate(std::int64_t secondsSinceEpoch) const {
    if (d->format.empty() || !d->locale)
        return {};
    const std::time_t time = static_cast<std::time_t>(secondsSinceEpoch);
    std::tm local{};
    if (!localtime_r(&time, &local))
        return {};
    char buffer[256];
    const std::size_t length =
        strftime_l(buffer, sizeof buffer, d->format.c_str(), &local, d->locale);
    return std::string(buffer, length);
}
