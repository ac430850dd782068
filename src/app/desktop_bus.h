#pragma once
#include <string>
namespace vaultor {
bool NotifyDesktop(const std::string& summary, const std::string& body);
}
