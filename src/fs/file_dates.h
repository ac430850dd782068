#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace vaultor::fs {

// What a target does with a last-write time outside the DOS range
// (1980..2107). NTFS and most Linux file systems keep it; FAT and exFAT
// drivers clamp it to the range or wrap its year, and a copy compared with its
// source by real time would then differ on every run.
class TargetDates {
  public:
    enum class Kind {
        Keeps,      // the time as given
        Clamps,     // one fixed time in the range
        WrapsYear,  // the DOS fields with the year taken modulo 128, seconds even
        ExfatFuse,  // what the exFAT FUSE driver stores, see ExfatFuseStored
    };
    struct Side {
        Kind kind = Kind::Keeps;
        std::time_t clamped = 0;  // for Clamps: the time every such date becomes
        // For WrapsYear: what the driver adds (fusefat writes local time and
        // reads it back as UTC).
        std::time_t offset = 0;
    };

    // A target that keeps every date: what is assumed when nothing is known.
    TargetDates() = default;
    TargetDates(Side before, Side after) : before_(before), after_(after) {}

    // Finds out by setting one date before 1980 and one after 2107 on a new
    // temporary file in the native folder and reading them back; the file is
    // removed. A folder that takes no file (read-only, a CD) keeps the dates.
    // The exFAT FUSE driver shows a date as it was given until the volume is
    // mounted again, so the probe cannot see what it stores: with `fstype` and
    // mount `source` its sides are taken from the format instead.
    static TargetDates Probe(const std::string& folder, const std::string& fstype = "",
                             const std::string& source = "");

    // The probe in the folder of the drive behind `letter`, under the slow
    // drives' time limit. A drive without medium, or one that does not answer
    // in time, is taken to keep the dates.
    static TargetDates ProbeDrive(char letter);

    // The last-write time a copy given `when` has on the target.
    std::time_t Stored(std::time_t when) const;

    const Side& Before() const { return before_; }
    const Side& After() const { return after_; }

  private:
    Side before_, after_;
};

// The two-second step (or minute) a last-write time falls into; two times in
// one step are the same date. Floor division, so that times before 1970 step
// as later ones do.
inline std::int64_t DateStep(std::time_t when, bool minutes_only) {
    const std::int64_t step = minutes_only ? 60 : 2;
    return when >= 0 ? when / step : (when - step + 1) / step;
}

// The time the exFAT FUSE driver reads back, once mounted again, for a file
// given `when`: before 1980 its earliest time; after 2107 its day count
// (every fourth year a leap year) wraps the 7-bit year. `utc_offset` is the
// local offset in seconds east, the time its fields hold.
std::time_t ExfatFuseStored(std::time_t when, long utc_offset);

// `when` with the DOS fields' year taken modulo 128 into 1980..2107 and the
// seconds rounded down to even.
std::time_t WrapDosYear(std::time_t when);

}  // namespace vaultor::fs
