#pragma once

#include "app/run_window.h"
#include "state/app_state.h"

namespace vaultor {

// The total size of every folder of the list into TotalBytes and the totals
// box, then the space display. Everything but Stop is disabled while it walks.
void BerekenAlles(AppState& state, RunObserver* also = nullptr);
void Label10Click(AppState& state);
// "Toon bestanden uit de map  (log)": the chosen list folder with every
// folder below it and its size, in the log.
void Toonmapinfolog1Click(AppState& state);
void ToonMapRuimteNodig(AppState& state);
// The files the last check found to copy, in Kopieer.log and the viewer.
void Label19Click(AppState& state);

}  // namespace vaultor
