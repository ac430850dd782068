#pragma once

#include <string>
#include <vector>

namespace vaultor::fs {

// The subfolders and the files of one folder, by name, in the order the file
// system lists them; "." and ".." are left out, links to folders are no
// folders. A folder that cannot be listed gives nothing.
struct FolderListing {
    std::vector<std::string> folders;
    std::vector<std::string> files;
    // The errno of the first step that failed (opening, reading, looking at
    // an entry); 0 when what is missing from the two lists is not there.
    int error = 0;
};
FolderListing ListFolder(const std::string& path);  // letter form or native

}  // namespace vaultor::fs
