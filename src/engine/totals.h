#pragma once

#include "state/app_state.h"

namespace vaultor {

// The total size of every folder of the list into TotalBytes and the totals
// box, then the space display. Everything but Stop is disabled while it walks.
void BerekenAlles(AppState& state);
// TotalBytes in the four labels of the totals box.
void ShowTotals(AppState& state);
void Label10Click(AppState& state);
// "Toon bestanden uit de map  (log)": the chosen list folder with every
// folder below it and its size, in the log.
void Toonmapinfolog1Click(AppState& state);
void ToonMapRuimteNodig(AppState& state);
// The files the last check found to copy, in Kopieer.log and the viewer.
void Label19Click(AppState& state);

// The buttons, list and drive controls a run disables, in their order.
void EnableRunControls(MainWindowModel& m, bool enabled);

// Marks a Start or test as running for as long as it lives, also when it fails.
class RunScope {
  public:
    explicit RunScope(AppState& state) : state_(state) { state_.RunInProgress = true; }
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;
    ~RunScope() { state_.RunInProgress = false; }

  private:
    AppState& state_;
};

// What a walk disables, and gives back also when it fails.
class WalkControls {
  public:
    explicit WalkControls(AppState& state);
    WalkControls(const WalkControls&) = delete;
    WalkControls& operator=(const WalkControls&) = delete;
    ~WalkControls();

  private:
    AppState& state_;
};

}  // namespace vaultor
