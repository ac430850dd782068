#pragma once

#include <csignal>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "engine/run_observer.h"
#include "state/ui.h"

namespace vaultor::cli {

// What the progress line shows, as a run tells it: how far, the file or
// folder at hand, and the time left once the copy's rate is known.
class ProgressLine : public RunObserver {
  public:
    void Status(const std::string& text) override { name = text; }
    void CheckProgress(std::int64_t done, std::int64_t total) override;
    void FileStarted(const std::string& target) override;
    void CopyProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) override;
    // Reading is shown as copying is: its bytes and the time left.
    void ContentProgress(std::int64_t done, std::int64_t total, std::int64_t elapsed_ms) override {
        CopyProgress(done, total, elapsed_ms);
    }

    std::int64_t percent = 0;
    std::string name, time_left;
};

// A question that nobody can answer: no terminal and neither --yes nor --no.
class Unanswerable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The interface on a terminal: every text is a plain line on standard output
// (a lone CR becomes a line break), a question is printed with its answer.
class TerminalUi : public UserInterface {
  public:
    enum class Answers { Ask, Yes, No };
    explicit TerminalUi(Answers answers) : answers_(answers) {}

    // What the dialogs answer for this command.
    std::optional<NameAnswer> name_answer;
    std::optional<std::string> list_file;
    std::optional<std::string> folder;  // given once, then "&Sluiten"

    bool declined = false;  // a question was answered No
    // Ctrl-C during a run presses Stop; on a terminal the run's progress is
    // drawn on standard error.
    std::function<void()> stop;
    const ProgressLine* progress = nullptr;
    int messages = 0;
    // The log pane: its new lines are printed before anything else is said.
    const std::vector<std::string>* pane = nullptr;
    // Every line said (pane lines, messages, questions and answers), when set.
    std::vector<std::string>* transcript = nullptr;
    // The answers of an unattended run, whatever the options said.
    void AnswerAll(Answers answers) { answers_ = answers; }
    void PrintNewPaneLines();

    int VraagJaNee(const std::string& question) override;
    // --yes does not answer it: only --allow-mass-move, or a person at a terminal.
    int ConfirmMassMove(const std::string& question) override;
    // Only a person at a terminal answers it.
    int ConfirmRemoval(const std::string& question) override;
    bool allow_mass_move = false;
    void ToonMelding(const std::string& text) override;
    void PlainNotice(const std::string& text) override;
    NameAnswer AskListName(const std::string& caption, const std::string& text,
                           bool import_enabled) override;
    std::optional<std::string> PickListFile(const std::string& folder) override;
    std::optional<std::string> PickFolder() override;
    void ShowText(const std::string& caption, const std::string& text) override;
    void ProcessMessages() override;
    std::int64_t NowMs() override;

    static void PrintLines(const std::string& text);
    // Texts from files and names reach the terminal with their control
    // characters (C1 ones too) and the bytes of no UTF-8 character shown as
    // \xNN, so an escape sequence in a list line or a file name is never
    // obeyed. Line ends and tabs are kept.
    static std::string Printable(std::string_view text);
    // Ctrl-C sets a flag the pump reads; a second one while Stop is pending ends the program.
    static void CatchInterrupts();
    static void ReleaseInterrupts();
    // Whether Ctrl-C (or SIGTERM) came since interrupts were caught, for work
    // that asks instead of pumping.
    static bool Interrupted();

  private:
    // PrintLines without the flush.
    static void WriteLines(const std::string& text);
    void Say(const std::string& text, bool flush = true);
    void DrawProgress();
    bool stopping_ = false;  // the question being asked is Stop's
    std::int64_t drawn_ms_ = 0;
    Answers answers_;
    std::vector<std::size_t> pane_printed_;  // fingerprints of the lines printed
};

}  // namespace vaultor::cli
