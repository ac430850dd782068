#include "fs/file_dates.h"

#include <gtest/gtest.h>

namespace vaultor::fs {
namespace {

// The pairs as an exFAT image held them after it was mounted again.
TEST(TargetDates, ModelsGiveWhatTheDriversWereSeenToStore) {
    EXPECT_EQ(ExfatFuseStored(0, 0), 315532800);            // 1970 -> 1980-01-01 00:00:00
    EXPECT_EQ(ExfatFuseStored(173707201, 0), 315532800);    // 1975
    EXPECT_EQ(ExfatFuseStored(7258118400, 0), 3218745600);  // 2200-01-01 -> 2071-12-31
    EXPECT_EQ(ExfatFuseStored(7263633601, 0), 3224260801);  // 2200-03-05 -> 2072-03-03 20:00:01
    EXPECT_EQ(ExfatFuseStored(5641930983, 0), 1602558183);  // 2148-10-14 -> 2020-10-13 03:03:03
    EXPECT_EQ(ExfatFuseStored(1700000001, 0), 1700000001);  // in the range: kept
    // fusefat: the fields with the year modulo 128, even seconds.
    EXPECT_EQ(WrapDosYear(0), 4039372800);           // 1970 -> 2098-01-01
    EXPECT_EQ(WrapDosYear(173707201), 4212993600);   // 1975-07-04 12:00:01 -> 2103-07-04 12:00:00
    EXPECT_EQ(WrapDosYear(7263633601), 3224433600);  // 2200-03-05 20:00:01 -> 2072-03-05 20:00:00

    // fusefat in a zone an hour east of UTC reads back what it wrote an hour early.
    TargetDates wraps({TargetDates::Kind::WrapsYear, 0, -3600}, {});
    EXPECT_EQ(wraps.Stored(173707201), 4212993600 - 3600);

    TargetDates clamps({TargetDates::Kind::Clamps, 315532800}, {TargetDates::Kind::Keeps, 0});
    EXPECT_EQ(clamps.Stored(0), 315532800);
    EXPECT_EQ(clamps.Stored(7263633601), 7263633601);
    EXPECT_EQ(clamps.Stored(1700000001), 1700000001);
    EXPECT_EQ(TargetDates().Stored(173707201), 173707201);
}

}  // namespace
}  // namespace vaultor::fs
