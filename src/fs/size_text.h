#pragma once

#include <cstdint>
#include <string>

namespace vaultor::fs {

// Grouping and decimal characters of the user's number settings, or Dutch
// ("." and ",") where the settings define no grouping character.
struct NumberChars {
    std::string grouping = ".";
    std::string decimal = ",";
};
const NumberChars& UserNumberChars();

// value formatted as "#,##0.##" (max_decimals 2) or "#,##0" (0): grouping,
// optional decimals, rounded half away from zero.
std::string FormatNumber(double value, int max_decimals, const NumberChars& chars);

std::string FormatBytes(std::int64_t n);
std::string FormatKB(std::int64_t n);
std::string FormatMB(std::int64_t n);
std::string FormatGB(std::int64_t n);
// Picks the unit by the number of decimal digits of n, not by powers of 1024.
std::string KiesFormaatStr(std::int64_t n);

}  // namespace vaultor::fs
