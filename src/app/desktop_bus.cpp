#include "app/desktop_bus.h"
namespace vaultor {
bool NotifyDesktop(const std::string&, const std::string&) {
    return false;
}
}  // namespace vaultor
