#include "cli/terminal_ui.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <iostream>

#include "fs/file_info.h"
#include "fs/i18n.h"
#include "state/model.h"
#include "state/rates.h"

namespace vaultor::cli {
namespace {

volatile std::sig_atomic_t g_interrupted = 0;
bool g_progress_shown = false;

void OnInterrupt(int signal) {
    g_interrupted = 1;
    // A second Ctrl-C while the first is being handled ends the program: every
    // copy is made under a temporary name, so no backup is left half written.
    std::signal(signal, SIG_DFL);
}

void ClearProgress() {
    if (!g_progress_shown) return;
    std::fputs("\r\033[K", stderr);
    g_progress_shown = false;
}

}  // namespace

void ProgressLine::CheckProgress(std::int64_t done, std::int64_t total) {
    percent = fs::Percentage(total, done);
}

void ProgressLine::FileStarted(const std::string& target) {
    name = fs::OnlyName(target);
}

void ProgressLine::CopyProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) {
    if (total > 0) percent = fs::Percentage(total, done);
    const std::int64_t seconds = elapsed_ms / 1000;
    if (seconds > 0 && done / seconds > 0)
        time_left = DurationLabelText((total - done) / (done / seconds));
}

void TerminalUi::CatchInterrupts() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    action.sa_flags = SA_RESTART;  // file work goes on; the pump sees the flag
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);  // a service manager's stop is the Stop button too
}

void TerminalUi::ReleaseInterrupts() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    ClearProgress();
}

bool TerminalUi::Interrupted() {
    return g_interrupted != 0;
}

void TerminalUi::ProcessMessages() {
    PrintNewPaneLines();
    if (g_interrupted && stop) {
        g_interrupted = 0;
        stopping_ = true;
        stop();
        stopping_ = false;
        CatchInterrupts();
    }
    DrawProgress();
}

void TerminalUi::DrawProgress() {
    static const bool terminal = ::isatty(STDERR_FILENO);
    if (!progress || !terminal) return;
    std::int64_t now = NowMs();
    if (now - drawn_ms_ < 200) return;
    drawn_ms_ = now;
    std::string name = Printable(progress->name);
    if (name.size() > 50) name = "..." + name.substr(name.size() - 47);
    std::fprintf(stderr, "\r\033[K%3lld%%  %s  %s %s", static_cast<long long>(progress->percent),
                 name.c_str(), _("Resterend:"), progress->time_left.c_str());
    std::fflush(stderr);
    g_progress_shown = true;
}

namespace {

void AppendHex(std::string& out, unsigned char c) {
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", c);
    out += hex;
}

// The length of the UTF-8 sequence at `at` when it is whole and no C1
// control (U+0080..U+009F, which a terminal may take for an escape); 0 otherwise.
size_t PrintableSequence(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(at);
    const size_t length = lead >= 0xF0 && lead <= 0xF4   ? 4
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xC2 && lead <= 0xDF ? 2
                                                         : 0;
    if (!length || at + length > text.size()) return 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(at + i) & 0xC0) != 0x80) return 0;
    const unsigned second = byte(at + 1);
    if (lead == 0xC2 && second <= 0x9F) return 0;                                      // C1
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xF0 && second < 0x90)) return 0;  // overlong
    if ((lead == 0xED && second > 0x9F) || (lead == 0xF4 && second > 0x8F))
        return 0;  // no character
    return length;
}

}  // namespace

std::string TerminalUi::Printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if ((c < 0x20 && c != '\n' && c != '\r' && c != '\t') || c == 0x7f)
                AppendHex(out, c);
            else
                out += static_cast<char>(c);
            ++i;
        } else if (size_t length = PrintableSequence(text, i)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            AppendHex(out, c);  // a byte of no character, or a C1 control
            ++i;
        }
    }
    return out;
}

void TerminalUi::PrintLines(const std::string& text) {
    WriteLines(text);
    std::fflush(stdout);
}

void TerminalUi::WriteLines(const std::string& text) {
    ClearProgress();
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    out = Printable(out);
    std::fputs(out.c_str(), stdout);
    if (out.empty() || out.back() != '\n') std::fputc('\n', stdout);
}

namespace {

// A pane line is one line: a line end in it came from a name.
std::string OneLine(const std::string& line) {
    if (line.find_first_of("\r\n") == std::string::npos) return line;
    std::string out;
    for (char c : line) {
        if (c == '\r' || c == '\n')
            AppendHex(out, static_cast<unsigned char>(c));
        else
            out += c;
    }
    return out;
}

}  // namespace

void TerminalUi::PrintNewPaneLines() {
    if (!pane) return;
    // Lines the pane still holds from before were printed already; a pane
    // cleared and filled anew is printed from where it differs.
    // A fingerprint per printed line is enough to find where the pane differs,
    // and costs little beside a run's log of a million lines.
    std::hash<std::string> hash;
    size_t same = 0;
    while (same < pane->size() && same < pane_printed_.size() &&
           hash((*pane)[same]) == pane_printed_[same])
        ++same;
    pane_printed_.resize(same);
    // One flush for all of them: a run's log may hold a line per file.
    for (size_t i = same; i < pane->size(); ++i) {
        Say(OneLine((*pane)[i]), false);
        pane_printed_.push_back(hash((*pane)[i]));
    }
    if (same < pane->size()) std::fflush(stdout);
}

void TerminalUi::Say(const std::string& text, bool flush) {
    if (transcript) transcript->push_back(text);
    WriteLines(text);
    if (flush) std::fflush(stdout);
}

int TerminalUi::ConfirmMassMove(const std::string& question) {
    if (!allow_mass_move && answers_ == Answers::Ask && ::isatty(STDIN_FILENO))
        return VraagJaNee(question);
    PrintNewPaneLines();
    Say(question);
    Say(allow_mass_move ? _("> Ja") : _("> Nee (--allow-mass-move geeft ja)"));
    return allow_mass_move ? kAnswerYes : kAnswerNo;
}

int TerminalUi::ConfirmRemoval(const std::string& question) {
    if (answers_ == Answers::Ask && ::isatty(STDIN_FILENO)) return VraagJaNee(question);
    PrintNewPaneLines();
    Say(question);
    Say(_("> Nee (alleen op een terminal te beantwoorden)"));
    return kAnswerNo;
}

int TerminalUi::VraagJaNee(const std::string& question) {
    PrintNewPaneLines();
    Say(question);
    int answer = kAnswerClosed;
    bool ask = answers_ == Answers::Ask && ::isatty(STDIN_FILENO);
    if (stopping_ && !ask) {
        answer = kAnswerYes;  // Ctrl-C without a terminal to ask on: stop
    } else if (answers_ == Answers::Yes) {
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
    Say(answer == kAnswerYes ? _("> Ja") : _("> Nee"));
    declined |= answer == kAnswerNo;
    return answer;
}

void TerminalUi::ToonMelding(const std::string& text) {
    PrintNewPaneLines();
    ++messages;
    Say(text);
}

void TerminalUi::PlainNotice(const std::string& text) {
    Say(text);
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
