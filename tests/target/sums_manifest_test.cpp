#include "target/sums_manifest.h"

#include <gtest/gtest.h>

namespace vaultor {
namespace {

TEST(SumsManifest, AnyByteOfANameSurvivesItsLineAndARunsSumsReplaceOrDropLines) {
    const std::string odd = "Vaultor_Drive S\\Data\\a%0A\r\nb\\\xff c.txt";
    const fs::Sum128 one{0x0123456789abcdefULL, 0xfedcba9876543210ULL}, two{1, 2};
    SumsManifest manifest{{odd, one}, {"Vaultor_Drive S\\Data\\gone.txt", two}};
    const std::string text = FormatSumsManifest(manifest);
    EXPECT_NE(text.find("0123456789abcdeffedcba9876543210 Vaultor_Drive S\\Data\\a%250A%0D%0Ab\\"),
              std::string::npos)
        << text;
    EXPECT_EQ(ParseSumsManifest(text + "junk\n" + std::string(32, 'g') + " x\n# remark\n"),
              manifest)
        << "a line of another form is not used";
    EXPECT_EQ(SourceLetterOfCopy(odd), 'S');
    EXPECT_EQ(SourceLetterOfCopy("Vaultor_Versions\\x"), 0);

    MergeSums(manifest, {{odd, two}, {"Vaultor_Drive S\\Data\\gone.txt", std::nullopt}});
    EXPECT_EQ(manifest, (SumsManifest{{odd, two}}));
    EXPECT_EQ(fs::Sum128::FromHex(one.Hex()), one);
    EXPECT_FALSE(fs::Sum128::FromHex("0123"));
}

}  // namespace
}  // namespace vaultor
