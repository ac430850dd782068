// The [Drives] and --drive value form: any mapping written reads back the
// same, and any text parses without harm.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fs/drive_mapping.h"
#include "fuzz_support.h"

using namespace vaultor;
using fs::DriveMapping;

namespace {

// The first field in which two mappings differ, or empty. A root of "/" is
// the whole file system, as no root is.
std::string Difference(const DriveMapping& a, const DriveMapping& b) {
    auto root = [](const std::string& r) { return r == "/" ? std::string() : r; };
    if (a.letter != b.letter) return "letter";
    if (a.folder != b.folder) return "folder";
    if (a.kind != b.kind) return "kind";
    if (a.label != b.label) return "label";
    if (a.mounted != b.mounted) return "mounted";
    if (a.uuid != b.uuid) return "uuid";
    if (root(a.root) != root(b.root)) return "root";
    if (a.source != b.source) return "source";
    if (a.device != b.device) return "device";
    return {};
}

void CheckReadsBack(const DriveMapping& m) {
    const std::string text = FormatDriveValue(m);
    std::string error;
    auto back = fs::ParseDriveValue(m.letter, text, &error);
    fuzz::Check(back.has_value(), "a written drive value does not parse: " + error, text);
    std::string field = Difference(m, *back);
    fuzz::Check(field.empty(), "a written drive value reads back with another " + field, text);
}

DriveMapping MappingFrom(FuzzedDataProvider& p) {
    DriveMapping m;
    m.letter = static_cast<char>('A' + p.ConsumeIntegralInRange(0, 25));
    // A folder as the table keeps it: absolute, normal, without trailing "/".
    m.folder =
        std::filesystem::path("/" + p.ConsumeRandomLengthString(200)).lexically_normal().string();
    while (m.folder.size() > 1 && m.folder.back() == '/') m.folder.pop_back();
    constexpr int kKinds[] = {1, 2, 3, 4, 5, 255};
    if (p.ConsumeBool()) m.kind = p.PickValueInArray(kKinds);
    if (p.ConsumeBool()) m.label = p.ConsumeRandomLengthString(100);
    m.mounted = p.ConsumeBool();
    m.uuid = p.ConsumeRandomLengthString(60);
    m.root = p.ConsumeRandomLengthString(60);
    m.source = p.ConsumeRandomLengthString(60);
    m.device = p.ConsumeRandomLengthString(60);
    return m;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    // Any text: parsed without harm, and what parses is written back to the same.
    if (auto m = fs::ParseDriveOption(text, &error)) CheckReadsBack(*m);
    if (!text.empty())
        if (auto m = fs::ParseDriveValue(text[0], text.substr(1), &error)) CheckReadsBack(*m);

    FuzzedDataProvider provider(data, size);
    CheckReadsBack(MappingFrom(provider));
    return 0;
}
