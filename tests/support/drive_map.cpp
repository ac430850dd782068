#include "support/drive_map.h"

#include <gtest/gtest.h>

#include "fs/drive_table.h"

namespace vaultor::test {

void MapDrives(const std::vector<std::string>& options) {
    fs::DriveTable::Sources sources;
    for (const auto& option : options) {
        std::string error;
        auto mapping = fs::ParseDriveOption(option, &error);
        if (!mapping) {
            ADD_FAILURE() << option << ": " << error;
            continue;
        }
        sources.command_line.push_back(*mapping);
    }
    fs::SetDriveTable(fs::DriveTable::Build(sources));
}

DriveTableScope::~DriveTableScope() {
    fs::SetDriveTable(fs::DriveTable());
}

}  // namespace vaultor::test
