#include "fs/size_text.h"

#include <gtest/gtest.h>

namespace vaultor::fs {
namespace {

// Tests pin LC_ALL=C.UTF-8, which defines no grouping character: Dutch.
TEST(SizeText, FixedUnitsUseDutchCharactersAndRoundHalfUp) {
    EXPECT_EQ(FormatBytes(-5), "-5 bytes");
    EXPECT_EQ(FormatKB(1536), "2 kB");
    EXPECT_EQ(FormatKB(1535), "1 kB");
    EXPECT_EQ(FormatMB(1536 * 1024), "1,5 MB");
    EXPECT_EQ(FormatGB(1023), "0 GB");  // divided by 1024 as an integer first
    EXPECT_EQ(FormatGB(5LL * 1024 * 1024 * 1024 * 1024), "5.120 GB");
}

TEST(SizeText, UnitChangesAtPowersOfTenOfTheByteCount) {
    EXPECT_EQ(KiesFormaatStr(0), "0 bytes");
    EXPECT_EQ(KiesFormaatStr(-5), "-5 bytes");
    EXPECT_EQ(KiesFormaatStr(9999), "9.999 bytes");
    EXPECT_EQ(KiesFormaatStr(10000), "10 kB");
    EXPECT_EQ(KiesFormaatStr(9999999), "9.766 kB");
    EXPECT_EQ(KiesFormaatStr(10000000), "9,54 MB");
    EXPECT_EQ(KiesFormaatStr(999999999999), "953.674,32 MB");
    EXPECT_EQ(KiesFormaatStr(1000000000000), "931,32 GB");
    EXPECT_EQ(KiesFormaatStr(INT64_MAX), "8.589.934.592 GB");
}

TEST(SizeText, NumberFormatRoundsAsTheUserReadsIt) {
    NumberChars nl;
    EXPECT_EQ(FormatNumber(1.005, 2, nl), "1,01");
    EXPECT_EQ(FormatNumber(0.995, 2, nl), "1");
    EXPECT_EQ(FormatNumber(999.999, 2, nl), "1.000");
    EXPECT_EQ(FormatNumber(-0.001, 2, nl), "0");
    EXPECT_EQ(FormatNumber(1234567.5, 0, nl), "1.234.568");
    NumberChars us{",", "."};
    EXPECT_EQ(FormatNumber(1234.5, 2, us), "1,234.5");
}

}  // namespace
}  // namespace vaultor::fs
