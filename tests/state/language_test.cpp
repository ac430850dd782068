#include "state/language.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "state/program_dir.h"
#include "support/program_env.h"
#include "support/temp_dir.h"

namespace vaultor {
namespace {

TEST(Language, TheSettingsFileDecidesWhenItExists) {
    test::TempDir dir;
    std::string ini = dir / "Vaultor.ini";
    EXPECT_EQ(ChooseLanguageCode(ini, "Nederlands (Nederland)"), "nl");
    EXPECT_EQ(ChooseLanguageCode(ini, "Nederlands (België)"), "en");
    EXPECT_EQ(ChooseLanguageCode(ini, "English (United States)"), "en");
    test::WriteFile(ini, "[Translation]\r\n1=en\r\n");
    EXPECT_EQ(ChooseLanguageCode(ini, "Nederlands (Nederland)"), "en");
    test::WriteFile(ini, "[LAST]\r\n0=x\r\n");
    EXPECT_EQ(ChooseLanguageCode(ini, "English (United States)"), "");
}

TEST(Language, NamesTheSystemLanguageAsADutchSystemDoes) {
    EXPECT_EQ(LanguageNameOfLocale("nl_NL.UTF-8"), "Nederlands (Nederland)");
    EXPECT_EQ(LanguageNameOfLocale("nl_NL@euro"), "Nederlands (Nederland)");
    EXPECT_EQ(LanguageNameOfLocale("nl_BE.UTF-8"), "Nederlands (België)");
    EXPECT_EQ(LanguageNameOfLocale("en_US.UTF-8"), "Engels (Verenigde Staten)");
    EXPECT_EQ(LanguageNameOfLocale("C"), "C");
}

// The English catalogue and the Dutch identifiers are seen in vaultor-cli's output.
TEST(ProgramDir, ComesFromVaultorHomeWithATrailingSlash) {
    test::ProgramEnv env;
    EXPECT_EQ(ResolveProgramDir(), env.Dir() + "/");
    ::unsetenv("VAULTOR_HOME");
    test::TempDir home;
    std::string saved_home = std::getenv("HOME") ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", home.Path().c_str(), 1);
    EXPECT_EQ(ResolveProgramDir(), home / "vaultor/");
    ::unsetenv("XDG_DATA_HOME");
    ::setenv("HOME", home.Path().c_str(), 1);
    EXPECT_EQ(ResolveProgramDir(), home / ".local/share/vaultor/");
    ::setenv("HOME", saved_home.c_str(), 1);
}

}  // namespace
}  // namespace vaultor
