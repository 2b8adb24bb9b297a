// Dates and times with the string table's Spanish day and month names.
#include "platform/core/DateText.h"

#include <algorithm>

#include "platform/core/SysUtils.h"

std::string DateTimeText(int dateFormat, const std::tm& when)
{
    constexpr int kDayNames = 4960;   // domingo .. sábado
    constexpr int kMonthNames = 4967; // enero .. diciembre
    constexpr int kLongDate = 4979;
    constexpr int kShortDate = 4980;
    const int day = std::clamp(when.tm_wday, 0, 6);
    const int month = std::clamp(when.tm_mon, 0, 11);
    const int year = when.tm_year + 1900;
    const bool longDate = dateFormat != 2 && dateFormat != 3;
    std::string text = longDate ? FmtLoadStr(kLongDate, LoadResString(kDayNames + day).c_str(), when.tm_mday,
                                             LoadResString(kMonthNames + month).c_str(), year)
                                : FmtLoadStr(kShortDate, when.tm_mday, month + 1, year);
    if (dateFormat != 1 && dateFormat != 3)
        text += Format(", %.2d:%.2d", when.tm_hour, when.tm_min);
    return text;
}
