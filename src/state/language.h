#pragma once

#include <string>
#include <string_view>

namespace vaultor {

// setlocale from the environment, then LC_NUMERIC back to "C" so that numbers
// are read and written one way; under a plain C or POSIX locale the message
// locale becomes C.UTF-8, where gettext honours LANGUAGE.
void SetUpLocale();

// The system's language name in the Dutch manner: nl_NL gives
// "Nederlands (Nederland)". From the message locale.
std::string SystemLanguageName();
std::string LanguageNameOfLocale(std::string_view locale_name);

// The language code at start: Translation 1 of the settings file when the file
// exists (empty when the key is absent); otherwise "nl" for a Dutch
// (Netherlands) system and "en" for any other.
std::string ChooseLanguageCode(const std::string& settings_path, const std::string& language_name);

// The catalogue folder: "locale" beside the program, else the install's share folder.
std::string FindLocaleDir();

// Binds the domain "default" to the catalogues and switches to the code; an
// empty code leaves the choice to gettext's own default.
void StartTranslations(const std::string& language_code, const std::string& locale_dir);

}  // namespace vaultor
