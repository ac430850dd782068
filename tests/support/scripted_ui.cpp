#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace vaultor::test {

int ScriptedUi::VraagJaNee(const std::string& question) {
    questions.push_back(question);
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << question;
        return kAnswerClosed;
    }
    int answer = answers.front();
    answers.pop_front();
    return answer;
}

UserInterface::NameAnswer ScriptedUi::AskListName(const std::string&, const std::string& text,
                                                  bool) {
    if (names.empty()) {
        ADD_FAILURE() << "unexpected name dialog";
        return {NameAnswer::Button::Cancel, text};
    }
    NameAnswer answer = names.front();
    names.pop_front();
    return answer;
}

std::optional<std::string> ScriptedUi::PickListFile(const std::string&) {
    if (files.empty()) return std::nullopt;
    auto f = files.front();
    files.pop_front();
    return f;
}

std::optional<std::string> ScriptedUi::PickFolder() {
    if (folders.empty()) return std::nullopt;
    auto f = folders.front();
    folders.pop_front();
    return f;
}

void ScriptedUi::ProcessMessages() {
    ++pumps;
    if (on_pump) on_pump();
}

}  // namespace vaultor::test
