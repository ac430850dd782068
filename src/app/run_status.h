#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "engine/run_result.h"

namespace vaultor {

// How the unattended runs of a list went: the companion file's [Status]
// section, written only for lists backed up that way.
struct ListStatus {
    bool present = false;
    std::string last_attempt, last_success;  // ISO 8601, local time; empty: never
    std::int64_t checked = 0, updated = 0;
    std::int32_t failed = 0;
    std::int64_t remarks = 0;
    int exit_status = 0;
    bool drive_absent = false;  // the last attempt found no target drive
};

ListStatus ReadListStatus(const std::string& drv_path);
// After an unattended run: the attempt always, the success only with exit status 0.
void WriteListStatus(const std::string& drv_path, const RunResult& result, int exit_status,
                     std::time_t when);

// The last good backup: the last unattended success, or for a list never
// backed up unattended the date of its last Start (LastUsed).
std::optional<std::time_t> LastGoodBackup(const std::string& drv_path);
// The letter of the list's target drive, or 0.
char TargetLetterOf(const std::string& drv_path);
// For a notification: how a run went, in one line.
std::string RunOutcomeText(const RunResult& result);

// "2026-12-07T17:10:00", and back (nullopt for anything else).
std::string IsoTime(std::time_t when);
std::optional<std::time_t> FromIsoTime(const std::string& text);
// The time in a record's LastUsed text ("Datum: 07-12-2026 Tijd: 17:10:00", in
// either language); nullopt when it holds none.
std::optional<std::time_t> FromLastUsedText(const std::string& text);

// A list is overdue when its last good backup is older than allowed (a week
// for a list without a schedule), or when it never had one.
bool Overdue(std::optional<std::time_t> last_success, std::time_t now, std::int64_t allowed);

}  // namespace vaultor
