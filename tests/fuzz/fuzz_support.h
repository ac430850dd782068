#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "state/app_state.h"

namespace vaultor::fuzz {

// Stops the run with a message libFuzzer reports together with the input.
[[noreturn]] void Fail(const std::string& what, std::string_view detail = {});
inline void Check(bool ok, const std::string& what, std::string_view detail = {}) {
    if (!ok) Fail(what, detail);
}

// The harness's own folder under $TMPDIR or /tmp, made once, removed when the
// process ends normally (run.sh removes what a failed run leaves).
const std::string& TempRoot();
// A folder below TempRoot, made (with its parents) when missing; ends without "/".
std::string Folder(const std::string& relative);
// Removes everything inside a folder, keeping the folder.
void EmptyFolder(const std::string& path);
void WriteBytes(const std::string& path, std::string_view bytes);
bool Exists(const std::string& path);

// Sets the drive table from --drive forms ("S=/tmp/x"); a bad form fails.
void MapDrives(const std::vector<std::string>& options);

// Whether a native path names "." or "..", or holds a NUL.
bool HasDotOrNul(std::string_view path, char separator);
// Whether a native path is the folder or lies below it.
bool IsUnder(std::string_view path, std::string_view folder);
// Bytes made readable in a message: control and non-ASCII bytes as \xNN.
std::string Shown(std::string_view bytes);

// A user interface that answers nothing: every question is "No", no pick.
class SilentUi : public UserInterface {
  public:
    std::optional<std::string> picked_file;
    std::vector<std::string> messages;
    int VraagJaNee(const std::string&) override { return kAnswerNo; }
    void ToonMelding(const std::string& text) override { messages.push_back(text); }
    void PlainNotice(const std::string& text) override { messages.push_back(text); }
    NameAnswer AskListName(const std::string&, const std::string&, bool) override { return {}; }
    std::optional<std::string> PickListFile(const std::string&) override { return picked_file; }
    std::optional<std::string> PickFolder() override { return std::nullopt; }
    void ShowText(const std::string&, const std::string&) override {}
    void ProcessMessages() override {}
    std::int64_t NowMs() override { return 0; }
};

}  // namespace vaultor::fuzz
