#include "state/language.h"

#include <libintl.h>
#include <locale.h>

#include <cstdlib>
#include <string_view>
#include <utility>

#include "state/program_dir.h"
#include "state/settings.h"

namespace vaultor {
namespace {

constexpr const char* kDomain = "default";

// Language and country names as a Dutch system spells them.
std::string DutchName(std::string_view code,
                      const std::pair<std::string_view, std::string_view>* table, size_t n) {
    for (size_t i = 0; i < n; ++i)
        if (table[i].first == code) return std::string(table[i].second);
    return std::string(code);
}

}  // namespace

void SetUpLocale() {
    ::setlocale(LC_ALL, "");
    ::setlocale(LC_NUMERIC, "C");
    const char* messages = ::setlocale(LC_MESSAGES, nullptr);
    std::string_view current = messages ? messages : "C";
    if (current == "C" || current == "POSIX") ::setlocale(LC_MESSAGES, "C.UTF-8");
}

std::string SystemLanguageName() {
    const char* locale = ::setlocale(LC_MESSAGES, nullptr);
    return LanguageNameOfLocale(locale ? locale : "C");
}

std::string LanguageNameOfLocale(std::string_view name) {
    static constexpr std::pair<std::string_view, std::string_view> kLanguages[] = {
        {"nl", "Nederlands"}, {"en", "Engels"},    {"de", "Duits"},     {"fr", "Frans"},
        {"es", "Spaans"},     {"it", "Italiaans"}, {"pt", "Portugees"}, {"fy", "Fries"}};
    static constexpr std::pair<std::string_view, std::string_view> kCountries[] = {
        {"NL", "Nederland"}, {"BE", "België"},           {"SR", "Suriname"},
        {"AW", "Aruba"},     {"US", "Verenigde Staten"}, {"GB", "Verenigd Koninkrijk"},
        {"DE", "Duitsland"}, {"FR", "Frankrijk"},        {"ES", "Spanje"}};
    name = name.substr(0, name.find_first_of(".@"));
    size_t cut = name.find('_');
    std::string language = DutchName(name.substr(0, cut), kLanguages, std::size(kLanguages));
    if (cut == std::string_view::npos) return language;
    return language + " (" + DutchName(name.substr(cut + 1), kCountries, std::size(kCountries)) +
           ")";
}

std::string ChooseLanguageCode(const std::string& settings_path, const std::string& language_name) {
    if (auto value = ReadTranslationValue(settings_path)) return *value;
    // A locale that names no language (servers, containers, ssh sessions)
    // chooses nothing: the first start speaks as every later one will, with
    // the empty Translation value the settings file then holds.
    if (language_name == "C" || language_name == "POSIX") return "";
    return language_name == "Nederlands (Nederland)" ? "nl" : "en";
}

std::string FindLocaleDir() {
    return FindInstalledFile("locale");
}

void StartTranslations(const std::string& language_code, const std::string& locale_dir) {
    if (!language_code.empty()) ::setenv("LANGUAGE", language_code.c_str(), 1);
    ::bindtextdomain(kDomain, locale_dir.c_str());
    ::bind_textdomain_codeset(kDomain, "UTF-8");
    ::textdomain(kDomain);  // also makes gettext forget what it looked up before
}

}  // namespace vaultor
