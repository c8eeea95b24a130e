#include "runtime/FormatSettings.h"

#include <cctype>
#include <langinfo.h>

#include "runtime/Assert.h"

namespace qelvor {

namespace {

char dateSeparator = '-';

// The first literal between two conversions of a strftime date format ("%m/%d/%y" → '/').
char SeparatorOfDateFormat(const char* format)
{
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p == '%') {
            if (p[1] == '\0')
                break;
            ++p;
            continue;
        }
        if (!std::isalnum(static_cast<unsigned char>(*p)) && *p != ' ')
            return *p;
    }
    return '-';
}

}  // namespace

char DateSeparator()
{
    return dateSeparator;
}

void SetDateSeparator(char separator)
{
    dateSeparator = separator;
}

void ReloadLocaleFormats()
{
    dateSeparator = SeparatorOfDateFormat(nl_langinfo(D_FMT));
}

std::string MonthName(int month, bool abbreviated)
{
    static constexpr nl_item kShort[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4, ABMON_5, ABMON_6,
                                         ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
    static constexpr nl_item kLong[] = {MON_1, MON_2, MON_3, MON_4, MON_5, MON_6,
                                        MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
    QELVOR_ASSERT(month >= 1 && month <= 12);
    return nl_langinfo((abbreviated ? kShort : kLong)[month - 1]);
}

std::string DayName(int dayOfWeek, bool abbreviated)
{
    static constexpr nl_item kShort[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
    static constexpr nl_item kLong[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
    QELVOR_ASSERT(dayOfWeek >= 0 && dayOfWeek <= 6);
    return nl_langinfo((abbreviated ? kShort : kLong)[dayOfWeek]);
}

std::string HalfDayName(bool afternoon)
{
    return nl_langinfo(afternoon ? PM_STR : AM_STR);
}

}  // namespace qelvor
