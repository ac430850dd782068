// Free names for lists: the name maker always ends, never gives a name that
// is taken, and the import ends with a list of a name of its own.
#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "app/list_commands.h"
#include "fuzz_support.h"

using namespace vaultor;

namespace {

bool EndsWith(const std::string& s, const std::string& end) {
    return s.size() >= end.size() && s.compare(s.size() - end.size(), end.size(), end) == 0;
}

bool IsFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.size() <= 255 &&
           name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

// Names a taken file again and again: each answer is new, free, in the same
// folder and ends in the extension.
void CheckUniqueNames(const std::string& folder, const std::string& name, const std::string& ext) {
    const std::string taken = folder + name + ext;
    fuzz::WriteBytes(taken, "");
    std::set<std::string> seen = {taken};
    for (int round = 0; round < 4; ++round) {
        const std::string path = round % 2 == 0 ? taken : *seen.rbegin();
        const std::string free = UniqueName(path, ext);
        fuzz::Check(EndsWith(free, ext), "a free name does not end in " + ext, free);
        fuzz::Check(free.compare(0, folder.size(), folder) == 0 &&
                        free.find('/', folder.size()) == std::string::npos,
                    "a free name lies in another folder", free);
        fuzz::Check(seen.insert(free).second, "a free name was given before", free);
        fuzz::Check(!fuzz::Exists(free), "a free name is taken", free);
        fuzz::WriteBytes(free, "");
    }
}

void CheckImport(const std::string& program_dir, const std::string& file_name,
                 const std::vector<std::string>& listed) {
    const std::string source = fuzz::Folder("import") + "/" + file_name;
    fuzz::WriteBytes(source, "C:\\Data\r\n");
    fuzz::SilentUi ui;
    ui.picked_file = source;
    AppState state(ui);
    state.ProgramDir = program_dir;
    state.Model.ComboBox1.items = listed;
    const std::string name = ImportList(state);
    if (name.empty()) return;
    std::string why;
    fuzz::Check(IsValidListName(name, &why), "the import gave an invalid name", name);
    fuzz::Check(fuzz::Exists(program_dir + name + ".vlt"), "the import made no list file", name);
    for (const auto& other : listed)
        fuzz::Check(::strcasecmp(other.c_str(), name.c_str()) != 0,
                    "the import took the name of a listed list", name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string program_dir = fuzz::Folder("program") + "/";
    fuzz::EmptyFolder(program_dir);
    fuzz::EmptyFolder(fuzz::Folder("import"));

    FuzzedDataProvider p(data, size);
    const std::string import_name = p.ConsumeRandomLengthString(80);
    // Lists already there: listed in the box, and some saved as files too.
    std::vector<std::string> listed;
    for (int i = p.ConsumeIntegralInRange(0, 3); i > 0; --i) {
        std::string name = p.ConsumeRandomLengthString(40);
        std::string why;
        if (!IsValidListName(name, &why)) continue;
        listed.push_back(name);
        if (p.ConsumeBool()) fuzz::WriteBytes(program_dir + name + ".vlt", "");
    }
    const std::string name = p.ConsumeRandomLengthString(60);
    constexpr const char* kExtensions[] = {".vlt", ".drv", ".bak"};
    const std::string ext = p.PickValueInArray(kExtensions);

    std::string why;
    if (IsValidListName(name, &why)) {
        const std::string folder = fuzz::Folder("names") + "/";
        fuzz::EmptyFolder(folder);
        CheckUniqueNames(folder, name, ext);
    }
    if (IsFileName(import_name)) CheckImport(program_dir, import_name, listed);
    return 0;
}
