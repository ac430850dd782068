#pragma once

#include <QElapsedTimer>
#include <string>

#include "state/app_state.h"
#include "state/ui.h"

namespace vaultor::ui {

class TForm1;
class TSelectMap;
class TWatnu;
class TNieuweLijst;
class TSchema;
class TLogFile;
class TShowTextForm;
class HelpWindow;

// The core's questions, messages, pickers and pump, as the window's modal
// dialogs and Qt's event loop. One thread: a long run lets the events
// through here, so Stop, repaints and the close box work meanwhile.
class QtUi : public UserInterface {
  public:
    QtUi();
    // The dialogs, made once in their order after the main window.
    void Attach(TForm1& form, AppState& state);

    int VraagJaNee(const std::string& question) override;
    void ToonMelding(const std::string& text) override;
    void PlainNotice(const std::string& text) override;
    NameAnswer AskListName(const std::string& caption, const std::string& text,
                           bool import_enabled) override;
    std::optional<std::string> PickListFile(const std::string& folder) override;
    std::optional<std::string> PickFolder() override;
    void ShowText(const std::string& caption, const std::string& text) override;
    std::optional<ListAutomation> AskListAutomation(const std::string& list,
                                                    const ListAutomation& current) override;
    void ProcessMessages() override;
    std::int64_t NowMs() override { return clock_.elapsed(); }

    void OpenHelp(const std::string& file, int context);

    TForm1* Form = nullptr;
    TSelectMap* SelectMap = nullptr;
    TWatnu* Watnu = nullptr;
    TNieuweLijst* NieuweLijst = nullptr;
    TSchema* Schema = nullptr;
    TLogFile* LogViewer = nullptr;
    TShowTextForm* ShowTextForm = nullptr;
    HelpWindow* Help = nullptr;

  private:
    static constexpr std::int64_t kPumpIntervalMs = 20, kRefreshIntervalMs = 100;
    AppState* state_ = nullptr;
    QElapsedTimer clock_;
    std::int64_t last_pump_ms_ = -kPumpIntervalMs, last_refresh_ms_ = -kRefreshIntervalMs;
};

}  // namespace vaultor::ui
