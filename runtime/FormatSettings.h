// FormatSettings: the process's date formatting settings.
//
// One date separator for all date texts the module produces. The module sets it
// to "-" when a window is shown; a system-settings change reloads it from the
// locale. Single-threaded by design: only the GUI thread reads or writes it.
#pragma once

#include <string>

namespace qelvor {

// The character between year, month and day in formatted dates.
char DateSeparator();
void SetDateSeparator(char separator);

// Replaces the settings by those of the current LC_TIME locale (its date separator).
void ReloadLocaleFormats();

// Names of the current LC_TIME locale: month 1..12, day of the week 0 (Sunday)..6,
// and the markers of the morning and afternoon hours.
std::string MonthName(int month, bool abbreviated);
std::string DayName(int dayOfWeek, bool abbreviated);
std::string HalfDayName(bool afternoon);

}  // namespace qelvor
