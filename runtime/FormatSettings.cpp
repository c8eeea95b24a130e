#include "runtime/FormatSettings.h"

#include <cctype>
#include <langinfo.h>

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

}  // namespace qelvor
