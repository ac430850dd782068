#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "state/ui.h"

namespace vaultor::test {

// The user interface of a test: answers are queued beforehand, everything the
// program says is recorded, and the clock moves only when the test says so
// (or by `step` each time the program looks at it).
class ScriptedUi : public UserInterface {
  public:
    std::deque<int> answers;  // for VraagJaNee; an empty queue fails the test
    std::deque<NameAnswer> names;
    std::deque<std::optional<std::string>> files, folders;
    std::vector<std::string> questions, messages, notices, shown;
    std::function<void()> on_pump;  // runs inside the message pump (a test may press Stop)
    std::int64_t now = 0, step = 20;
    int pumps = 0;

    int VraagJaNee(const std::string& question) override;
    void ToonMelding(const std::string& text) override { messages.push_back(text); }
    void PlainNotice(const std::string& text) override { notices.push_back(text); }
    NameAnswer AskListName(const std::string& caption, const std::string& text,
                           bool import_enabled) override;
    std::optional<std::string> PickListFile(const std::string& folder) override;
    std::optional<std::string> PickFolder() override;
    void ShowText(const std::string& caption, const std::string& text) override {
        shown.push_back(caption + "\n" + text);
    }
    void ProcessMessages() override;
    std::int64_t NowMs() override { return now += step; }
};

}  // namespace vaultor::test
