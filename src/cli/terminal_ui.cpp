#include "cli/terminal_ui.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "fs/i18n.h"

namespace vaultor::cli {

void TerminalUi::PrintLines(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    std::fputs(out.c_str(), stdout);
    if (out.empty() || out.back() != '\n') std::fputc('\n', stdout);
    std::fflush(stdout);
}

void TerminalUi::PrintNewPaneLines() {
    if (!pane) return;
    // Lines the pane still holds from before were printed already; a pane
    // cleared and filled anew is printed from where it differs.
    size_t same = 0;
    while (same < pane->size() && same < pane_printed_.size() &&
           (*pane)[same] == pane_printed_[same])
        ++same;
    for (size_t i = same; i < pane->size(); ++i) PrintLines((*pane)[i]);
    pane_printed_ = *pane;
}

int TerminalUi::VraagJaNee(const std::string& question) {
    PrintNewPaneLines();
    PrintLines(question);
    int answer = kAnswerClosed;
    if (answers_ == Answers::Yes) {
        answer = kAnswerYes;
    } else if (answers_ == Answers::No) {
        answer = kAnswerNo;
    } else if (::isatty(STDIN_FILENO)) {
        std::printf("%s ", _("[j/n]"));
        std::fflush(stdout);
        std::string line;
        if (!std::getline(std::cin, line)) throw Unanswerable(_("Geen antwoord op de vraag."));
        bool yes =
            !line.empty() && (line[0] == 'j' || line[0] == 'J' || line[0] == 'y' || line[0] == 'Y');
        answer = yes ? kAnswerYes : kAnswerNo;
        declined |= !yes;
        return answer;
    } else {
        throw Unanswerable(_("Deze vraag vraagt om een antwoord: geef --yes of --no."));
    }
    PrintLines(answer == kAnswerYes ? _("> Ja") : _("> Nee"));
    declined |= answer == kAnswerNo;
    return answer;
}

void TerminalUi::ToonMelding(const std::string& text) {
    PrintNewPaneLines();
    ++messages;
    PrintLines(text);
}

void TerminalUi::PlainNotice(const std::string& text) {
    PrintLines(text);
}

UserInterface::NameAnswer TerminalUi::AskListName(const std::string&, const std::string& text,
                                                  bool) {
    if (!name_answer) return {NameAnswer::Button::Cancel, text};
    NameAnswer answer = *name_answer;
    name_answer.reset();  // asked once
    return answer;
}

std::optional<std::string> TerminalUi::PickListFile(const std::string&) {
    auto file = list_file;
    list_file.reset();
    return file;
}

std::optional<std::string> TerminalUi::PickFolder() {
    auto picked = folder;
    folder.reset();
    return picked;
}

void TerminalUi::ShowText(const std::string&, const std::string& text) {
    PrintLines(text);
}

std::int64_t TerminalUi::NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace vaultor::cli
