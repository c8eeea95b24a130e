// MessageTranslation: the messages this product writes itself, in the window's language.
//
// The layers below the windows have no Qt and write their failures in English. Where a
// failure is shown, TranslatedMessage recognises our own known texts and gives them in
// the language of the current locale (QLocale(), Chinese or English), through Qt's
// translation files (i18n/qelvor_*.ts, built into the program). Words that are not ours
// (a server's or a driver's message, a path, a server's name) pass through unchanged,
// also inside a known text; a text we do not know is shown as it is.
#pragma once

#include <string>

namespace qelvor {

// The message in the current locale's language (UTF-8 in, UTF-8 out).
std::string TranslatedMessage(const std::string& message);

}  // namespace qelvor
