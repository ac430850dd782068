#include "fs/file_dates.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "fs/drive_table.h"
#include "fs/file_info.h"
#include "fs/mounts.h"
#include "fs/time_limit.h"
#include "fs/unique_fd.h"

namespace vaultor::fs {
namespace {

constexpr std::time_t kBefore1980 = 173707201;  // 1975-07-04 12:00:01 UTC
constexpr std::time_t kDosStart = 315532800;    // 1980-01-01 00:00:00 UTC
constexpr std::time_t kDosEnd = 4354819200;     // 2108-01-01 00:00:00 UTC
constexpr std::time_t kAfter2107 = 7263633601;  // 2200-03-05 20:00:01 UTC

// Two times in the same two-second step count as one: FAT keeps no odd seconds.
bool SameStep(std::time_t a, std::time_t b) {
    return DateStep(a, false) == DateStep(b, false);
}

std::optional<std::time_t> SetAndReadBack(int fd, std::time_t when) {
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    struct stat st {};
    if (::futimens(fd, times) != 0 || ::fstat(fd, &st) != 0) return std::nullopt;
    return st.st_mtim.tv_sec;
}

TargetDates::Side SideOf(std::time_t given, std::optional<std::time_t> got) {
    if (!got || SameStep(*got, given)) return {};
    // A wrapped year may come back moved by a time zone's offset: whole
    // quarters of an hour, at most 14 hours.
    constexpr std::time_t kQuarter = 900, kMaxOffset = 14 * 3600;
    const std::time_t moved = *got - WrapDosYear(given);
    const std::time_t offset = (moved + (moved >= 0 ? 1 : -1) * kQuarter / 2) / kQuarter * kQuarter;
    if (std::abs(moved - offset) <= 1 && std::abs(offset) <= kMaxOffset)
        return {TargetDates::Kind::WrapsYear, 0, offset};
    if (DosDateTimeFromUnix(*got) != -1) return {TargetDates::Kind::Clamps, *got, 0};
    return {};  // nothing this program knows: compared by the real time
}

constexpr std::int64_t kDay = 86400;
// Days before each month in a year that is not a leap year.
constexpr std::int64_t kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};

bool LeapInDriver(std::int64_t year) {  // years since 1980
    return (1980 + year) % 4 == 0;
}
std::int64_t LeapYearsBefore(std::int64_t year) {
    return (1980 + year - 1) / 4 - 1979 / 4;
}

bool IsExfatFuse(const std::string& fstype, const std::string& source) {
    return fstype == "fuseblk" && !source.empty() && BlockDeviceFormat(source) == "exfat";
}

long LocalOffsetNow() {
    std::time_t now = std::time(nullptr);
    struct tm local {};
    return ::localtime_r(&now, &local) ? local.tm_gmtoff : 0;
}

}  // namespace

std::time_t ExfatFuseStored(std::time_t when, long utc_offset) {
    const std::int64_t epoch = 315532800 + utc_offset;  // 1980-01-01 00:00:00 local
    std::int64_t t = std::max<std::int64_t>(when, epoch) - epoch;
    std::int64_t days = t / kDay;
    const std::int64_t year = 4 * days / (4 * 365 + 1);
    days -= year * 365 + LeapYearsBefore(year);
    const bool leap = LeapInDriver(year);
    int month = 12;
    for (int i = 1; i < 12; ++i) {
        if (days - (leap && i >= 3) < kDaysBefore[i + 1] + (leap && i == 2)) {
            month = i;
            break;
        }
    }
    days -= kDaysBefore[month] + (leap && month >= 3);
    // The date word keeps 7 bits of the year; the time of day is kept whole.
    const std::int64_t kept = year & 127;
    std::int64_t back = 315532800 + kept * 365 * kDay + LeapYearsBefore(kept) * kDay +
                        kDaysBefore[month] * kDay + (LeapInDriver(kept) && month > 2) * kDay +
                        days * kDay + t % kDay;
    return static_cast<std::time_t>(back + utc_offset);
}

std::time_t WrapDosYear(std::time_t when) {
    struct tm utc {};
    if (!::gmtime_r(&when, &utc)) return when;
    int years = utc.tm_year + 1900 - 1980;
    utc.tm_year = 1980 + ((years % 128) + 128) % 128 - 1900;
    utc.tm_sec -= utc.tm_sec % 2;
    return ::timegm(&utc);
}

TargetDates TargetDates::Probe(const std::string& folder, const std::string& fstype,
                               const std::string& source) {
    std::string path = folder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += ".vaultor-dates-" + std::to_string(::getpid()) + ".tmp";
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!fd) return {};
    auto before = SetAndReadBack(fd.Get(), kBefore1980);
    auto after = SetAndReadBack(fd.Get(), kAfter2107);
    fd.Reset();
    ::unlink(path.c_str());
    TargetDates dates(SideOf(kBefore1980, before), SideOf(kAfter2107, after));
    if (dates.before_.kind == Kind::Keeps && dates.after_.kind == Kind::Keeps && before && after &&
        IsExfatFuse(fstype, source))
        dates.before_.kind = dates.after_.kind = Kind::ExfatFuse;
    return dates;
}

TargetDates TargetDates::ProbeDrive(char letter) {
    if (letter < 'A' || letter > 'Z') return {};
    DriveInfo info = Drives().Info(letter);
    // Nothing is written to a CD for a probe: each write there costs the disc.
    if (!info.exists || !info.medium || info.kind == drive_kind::kOptical) return {};
    auto probe = [info] { return Probe(info.folder, info.fstype, info.source); };
    if (!info.slow) return probe();
    return AskWithTimeLimit<TargetDates>(info.folder, kSlowDriveLimit, probe)
        .value_or(TargetDates());
}

std::time_t TargetDates::Stored(std::time_t when) const {
    if (when >= kDosStart && when < kDosEnd) return when;
    const Side& side = when < kDosStart ? before_ : after_;
    switch (side.kind) {
        case Kind::Keeps:
            return when;
        case Kind::Clamps:
            return side.clamped;
        case Kind::WrapsYear:
            return WrapDosYear(when) + side.offset;
        case Kind::ExfatFuse:
            return ExfatFuseStored(when, LocalOffsetNow());
    }
    return when;
}

}  // namespace vaultor::fs
