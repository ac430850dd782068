#pragma once

#include <libintl.h>

#include <cstdio>
#include <string>

namespace vaultor {

// Every Dutch text of the program passes through here where it is shown; the
// Dutch text is the message identifier of the catalogue.
inline const char* _(const char* dutch) {
    return gettext(dutch);
}

// Marks a Dutch text that is translated later, where it is shown (tables of
// captions and hints), so the catalogue check finds it.
constexpr const char* N_(const char* dutch) {
    return dutch;
}

// printf-style filling of a translated text ("%s", "%d").
template <typename... Args>
std::string Printf(const char* format, const Args&... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return format;
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace vaultor
