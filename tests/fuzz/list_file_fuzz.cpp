// A list file's bytes through the loader: every folder it keeps must be a
// plain path inside its drive's folder.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fs/drive_mapping.h"
#include "fs/drive_table.h"
#include "fuzz_support.h"
#include "lists/list_file.h"
#include "lists/list_loading.h"

using namespace vaultor;

namespace {

struct Setup {
    std::string program_dir = fuzz::Folder("program") + "/";
    Setup() {
        // C: and S: are folders of the harness, so no line reaches the real disk.
        for (const char* folder : {"C/home/anne/Foto", "S/Data/Sub", "S/Foto"})
            fuzz::Folder(folder);
        fuzz::MapDrives({"C=" + fuzz::TempRoot() + "/C", "S=" + fuzz::TempRoot() + "/S"});
    }
};

void CheckKeptLine(const std::string& line) {
    fuzz::Check(line.size() >= 2 && line[1] == ':', "a kept line is not in letter form", line);
    fuzz::Check(!fuzz::HasDotOrNul(line.substr(2), '\\'),
                "a kept line holds a NUL or a '.' or '..' component", line);
    // A folder on a drive that is not plugged in is kept, untranslated.
    if (!fs::Drives().Info(fs::NormaliseLetter(line[0])).medium) return;
    auto native = fs::Drives().ToNative(line);
    fuzz::Check(native.has_value(), "a kept line has no native path", line);
    fuzz::Check(!fuzz::HasDotOrNul(*native, '/'),
                "the native path of a kept line holds a NUL or a '.' or '..' component", *native);
    std::string folder = fs::Drives().Info(line[0]).folder;
    fuzz::Check(fuzz::IsUnder(*native, folder),
                "the native path of a kept line lies outside its drive's folder", *native);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Setup setup;
    const std::string file = setup.program_dir + "Fuzz.vlt";
    fuzz::WriteBytes(file, {reinterpret_cast<const char*>(data), size});
    ReadListLines(file);

    fuzz::SilentUi ui;
    AppState state(ui);
    state.ProgramDir = setup.program_dir;
    state.Model.ComboBox1.caption = "Fuzz";
    LaadComboBoxVltFile(state);
    for (const auto& line : state.Model.ListBox1.items) CheckKeptLine(line);
    return 0;
}
