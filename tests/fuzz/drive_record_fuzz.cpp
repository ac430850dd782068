// The record file in a target's root: its first line becomes a caption of
// bounded length, whatever the file holds.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "target/drive_record.h"

using namespace vaultor;

namespace {

constexpr size_t kMaxCaption = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string folder = [] {
        std::string f = fuzz::Folder("E");
        fuzz::MapDrives({"E=" + f});
        return f;
    }();
    fuzz::WriteBytes(folder + "/Vaultor.dat", {reinterpret_cast<const char*>(data), size});
    fuzz::SilentUi ui;
    AppState state(ui);
    GetDriveInfoFile(state, "E:\\Vaultor.dat");
    const std::string& caption = state.Model.LabelInfo.caption;
    fuzz::Check(caption.size() <= kMaxCaption,
                "the record's caption is " + std::to_string(caption.size()) + " bytes long",
                caption.substr(0, 64));
    fuzz::Check(caption.find_first_of("\r\n") == std::string::npos,
                "the record's caption holds a line end", caption);
    return 0;
}
