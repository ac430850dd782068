#pragma once

#include <optional>
#include <string>

#include "fs/pump.h"
#include "state/schedule.h"
#include "state/versions_settings.h"

namespace vaultor {

// Results of a question, as the dialogs give them.
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;
inline constexpr int kAnswerClosed = 2;  // the window was closed

// A list's settings of its own, asked together so they are all in one place:
// when it is backed up by itself, and what it keeps of what its runs replace.
struct ListAutomation {
    Schedule schedule;
    VersionsSettings versions;
};

// Everything the core asks of a front end: questions, messages, the name
// dialog, the pickers, the text viewer, the clock and the message pump. The
// window implements it with modal dialogs, vaultor-cli on a terminal, tests
// with scripted answers.
class UserInterface : public fs::MessagePump {
  public:
    // A yes/no question ("Bevestig"): kAnswerYes, kAnswerNo or kAnswerClosed.
    virtual int VraagJaNee(const std::string& question) = 0;
    // A message with one button ("Opgelet!").
    virtual void ToonMelding(const std::string& text) = 0;
    // The plain system message box of the option notices.
    virtual void PlainNotice(const std::string& text) = 0;

    // The name dialog: the text of its edit field and the button pressed.
    struct NameAnswer {
        enum class Button { Ok, Cancel, Import } button = Button::Cancel;
        std::string text;
    };
    virtual NameAnswer AskListName(const std::string& caption, const std::string& text,
                                   bool import_enabled) = 0;
    // The file picker of the import, starting in `folder`; nullopt when cancelled.
    virtual std::optional<std::string> PickListFile(const std::string& folder) = 0;

    // The folder picker: "&Map toevoegen" gives the folder, "&Sluiten" nullopt.
    virtual std::optional<std::string> PickFolder() = 0;

    // The text viewer, modal.
    virtual void ShowText(const std::string& caption, const std::string& text) = 0;
    // A question a blanket yes (vaultor-cli --yes) does not answer: moving a
    // large part of a copy away. The window asks it as any other.
    virtual int ConfirmMassMove(const std::string& question) { return VraagJaNee(question); }
    // Neither does it answer one whose yes cannot be undone: removing kept
    // versions to make room.
    virtual int ConfirmRemoval(const std::string& question) { return VraagJaNee(question); }
    // The schedule and versions dialog of a list: the settings chosen,
    // nullopt when cancelled. A front end without it (vaultor-cli has its own
    // commands) leaves them as they are.
    virtual std::optional<ListAutomation> AskListAutomation(const std::string& list,
                                                            const ListAutomation& current) {
        (void)list;
        (void)current;
        return std::nullopt;
    }
};

}  // namespace vaultor
