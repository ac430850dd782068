// Letter paths to native paths and back: a letter path never leads out of
// its drive's folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fs/drive_table.h"
#include "fuzz_support.h"

using namespace vaultor;

namespace {

void Setup() {
    fuzz::Folder("C");
    fuzz::Folder("S/Data");
    fuzz::Folder("T,x");  // a folder whose name holds a comma
    fuzz::MapDrives({"C=" + fuzz::TempRoot() + "/C", "S=" + fuzz::TempRoot() + "/S/Data",
                     "T=" + fuzz::TempRoot() + "/T,x,kind=2"});
}

bool IsLetterPath(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && fs::NormaliseLetter(path[0]);
}

// A letter path's native path: none, or a plain path inside the drive's folder.
void CheckNative(const std::string& path) {
    if (!IsLetterPath(path)) return;
    auto native = fs::Drives().ToNative(path);
    if (!native) return;
    fuzz::Check(native->find('\0') == std::string::npos, "a native path holds a NUL", *native);
    fuzz::Check(!fuzz::HasDotOrNul(*native, '/'), "a native path holds '.' or '..'", *native);
    const std::string folder = fs::Drives().Info(fs::NormaliseLetter(path[0])).folder;
    fuzz::Check(fuzz::IsUnder(*native, folder),
                "a native path lies outside its drive's folder " + folder, *native);
    // And back: the letter path of a native path names the same place.
    std::string letter_path = fs::Drives().ToLetterPath(*native);
    fuzz::Check(fs::Drives().ToNative(letter_path) == native,
                "a native path's letter path leads elsewhere", letter_path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (Setup(), true);
    (void)ready;
    const std::string input(reinterpret_cast<const char*>(data), size);
    CheckNative(input);
    CheckNative(fs::Drives().ToLetterPath(input));
    // A native path below the drives' folders, in letter form.
    CheckNative(fs::Drives().ToLetterPath(fuzz::TempRoot() + "/" + input));
    return 0;
}
