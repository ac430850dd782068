#include "fs/size_text.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vaultor::fs {
namespace {

// Adds one to a string of decimal digits; returns false when it overflows.
bool IncrementDigits(std::string& digits) {
    for (size_t i = digits.size(); i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return true;
        }
        digits[i] = '0';
    }
    return false;
}

std::string Group(const std::string& digits, const std::string& sep) {
    std::string out;
    size_t lead = digits.size() % 3;
    if (lead == 0) lead = 3;
    out += digits.substr(0, lead);
    for (size_t i = lead; i < digits.size(); i += 3) out += sep + digits.substr(i, 3);
    return out;
}

}  // namespace

const NumberChars& UserNumberChars() {
    static const NumberChars chars = [] {
        NumberChars c;
        locale_t loc = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
        if (!loc) return c;
        std::string grouping = ::nl_langinfo_l(THOUSANDS_SEP, loc);
        std::string decimal = ::nl_langinfo_l(RADIXCHAR, loc);
        ::freelocale(loc);
        if (!grouping.empty() && !decimal.empty()) {
            c.grouping = grouping;
            c.decimal = decimal;
        }
        return c;
    }();
    return chars;
}

std::string FormatNumber(double value, int max_decimals, const NumberChars& chars) {
    if (!std::isfinite(value)) return "0";
    bool negative = value < 0;
    // Fifteen significant digits first, as a decimal formatter sees a double,
    // so that 1,005 rounds up as the user reads it.
    char sci[64];
    std::snprintf(sci, sizeof sci, "%.14e", std::fabs(value));
    std::string mantissa = std::string(1, sci[0]) + std::string(sci + 2, 14);
    int exponent = std::atoi(std::strchr(sci, 'e') + 1);
    std::string whole, fraction;
    if (exponent >= 0) {
        if (static_cast<size_t>(exponent + 1) >= mantissa.size()) {
            whole =
                mantissa + std::string(static_cast<size_t>(exponent + 1) - mantissa.size(), '0');
        } else {
            whole = mantissa.substr(0, static_cast<size_t>(exponent + 1));
            fraction = mantissa.substr(static_cast<size_t>(exponent + 1));
        }
    } else {
        whole = "0";
        fraction = std::string(static_cast<size_t>(-exponent - 1), '0') + mantissa;
    }
    fraction.resize(std::max(fraction.size(), static_cast<size_t>(max_decimals) + 1), '0');
    bool round_up = fraction[static_cast<size_t>(max_decimals)] >= '5';
    fraction.resize(static_cast<size_t>(max_decimals));
    if (round_up && !IncrementDigits(fraction) && !IncrementDigits(whole)) whole = "1" + whole;
    while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
    std::string out = Group(whole, chars.grouping);
    if (!fraction.empty()) out += chars.decimal + fraction;
    bool zero = whole.find_first_not_of('0') == std::string::npos && fraction.empty();
    return negative && !zero ? "-" + out : out;
}

std::string FormatBytes(std::int64_t n) {
    return FormatNumber(static_cast<double>(n), 2, UserNumberChars()) + " bytes";
}

std::string FormatKB(std::int64_t n) {
    return FormatNumber(static_cast<double>(n) / 1024.0, 0, UserNumberChars()) + " kB";
}

std::string FormatMB(std::int64_t n) {
    return FormatNumber(static_cast<double>(n) / 1024.0 / 1024.0, 2, UserNumberChars()) + " MB";
}

std::string FormatGB(std::int64_t n) {
    return FormatNumber(static_cast<double>(n / 1024) / 1024.0 / 1024.0, 2, UserNumberChars()) +
           " GB";
}

std::string KiesFormaatStr(std::int64_t n) {
    if (n == 0) return "0 bytes";
    size_t digits = std::to_string(n).size();
    if (digits <= 4) return FormatBytes(n);
    if (digits <= 7) return FormatKB(n);
    if (digits <= 12) return FormatMB(n);
    return FormatGB(n);
}

}  // namespace vaultor::fs
