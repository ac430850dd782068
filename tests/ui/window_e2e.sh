#!/usr/bin/env bash
# The window in a real X server: a list backed up by pressing Start and
# answering every question through the window, then the window closed.
# Checks the copy, the log and the settings written at close, and saves a
# screenshot (to $VAULTOR_SCREENSHOT when set). Usage: window_e2e.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
  local status=$?
  [[ -n $app_pid ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Xvfb picks a free display itself and says which.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
[[ -s $work/display ]] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -1 "$work/display")"
export LC_ALL=C.UTF-8 XDG_RUNTIME_DIR="$work/run"
unset LANGUAGE
mkdir -m 700 "$work/run"

# A program folder with Dutch texts, the target browser on, one list of two
# folders on S: that goes to E:.
prog="$work/prog" src="$work/src" tgt="$work/tgt"
mkdir -p "$prog" "$src/Foto/2024" "$src/Teksten" "$tgt"
printf '[CHECKMARK]\n2=1\n3=1\n[Translation]\n1=\n' >"$prog/Vaultor.ini"
printf 'S:\\Foto\r\nS:\\Teksten\r\n' >"$prog/Thuis.vlt"
printf '[Vaultor]\nTheDrive=E\nLocked=1\n' >"$prog/Thuis.drv"
for i in $(seq 1 40); do head -c $((i * 1000)) /dev/urandom >"$src/Foto/2024/foto$i.jpg"; done
echo "boodschappen" >"$src/Teksten/lijst.txt"

cd "$work"
"$build/vaultor" --program-dir "$prog" --drive "S=$src" --drive "E=$tgt" >"$work/app.log" 2>&1 &
app_pid=$!

main=$(timeout 20 xdotool search --sync --name '^Vaultor versie 1\.8c$' | head -1) ||
  fail "no window 'Vaultor versie 1.8c'"
sleep 1  # the start flow: the list loaded and its totals walked

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
geometry() { xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)='; }

# Answers what the window asks: "&Ja" to every question, "&Ok" to every
# message, until the window shows nothing modal for a while.
answer_everything() {
  local quiet=0 w WIDTH HEIGHT
  while ((quiet < 20)); do
    if w=$(xdotool search --onlyvisible --name '^Bevestig$' 2>/dev/null | head -1) && [[ -n $w ]]; then
      eval "$(geometry "$w")"
      click "$w" $((WIDTH / 2 - 85 + 37)) $((HEIGHT - 65 + 12))
      echo "answered a question ($WIDTH x $HEIGHT)"
      quiet=0
    elif w=$(xdotool search --onlyvisible --name '^Opgelet!$' 2>/dev/null | head -1) && [[ -n $w ]]; then
      eval "$(geometry "$w")"
      [[ -n ${SHOT_AT_MESSAGE:-} ]] && import -window root "$work/message.png"
      click "$w" $((WIDTH / 2)) $((HEIGHT - 55 + 12))
      echo "closed a message ($WIDTH x $HEIGHT)"
      quiet=0
    else
      quiet=$((quiet + 1))
    fi
    sleep 0.25
  done
}

# Bereken/Start stands at the top left of the window. It does nothing until
# the start flow is done, so it is pressed until the first question comes.
for _ in $(seq 40); do
  click "$main" 60 18
  sleep 0.5
  xdotool search --onlyvisible --name '^Bevestig$' >/dev/null 2>&1 && break
done
answer_everything

[[ -f "$tgt/Vaultor_Drive S/Foto/2024/foto40.jpg" ]] || fail "nothing copied: $(ls -R "$tgt")"
diff -r "$src/Foto" "$tgt/Vaultor_Drive S/Foto" || fail "the copy of Foto differs"
diff -r "$src/Teksten" "$tgt/Vaultor_Drive S/Teksten" || fail "the copy of Teksten differs"
tr -d '\r' <"$prog/Vaultor.log" >"$work/log"
[[ $(head -1 "$work/log") == "Start log." ]] || fail "log does not start with Start log.: $(head -3 "$work/log")"
[[ $(tail -1 "$work/log") == "Eind log." ]] || fail "log does not end with Eind log."
grep -q 'foto40.jpg' "$work/log" || fail "the log does not name the copied files"
[[ -f $tgt/Vaultor.dat ]] || fail "no Vaultor.dat on the target"

import -window "$main" "$work/window.png"
cp "$work/window.png" "$build/window-e2e.png"
[[ -n ${VAULTOR_SCREENSHOT:-} ]] && cp "$work/window.png" "$VAULTOR_SCREENSHOT"

# "Test - Verifieer" right after: a complete copy logs nothing between the frame lines.
click "$main" 188 18
answer_everything
[[ $(tr -d '\r' <"$prog/Vaultor.log") == $'Start log.\nEind log.' ]] ||
  fail "the test found differences: $(cat "$prog/Vaultor.log")"

# A double click on the list box asks for a new name; "&Annuleer" keeps the old one.
xdotool mousemove --window "$main" 136 63 click --repeat 2 --delay 60 1
w=$(timeout 5 xdotool search --sync --onlyvisible --name '^Naam aanpassen$' | head -1) ||
  fail "a double click on the list box asked for no name"
click "$w" $((142 + 37)) $((64 + 12))

# F1 opens the guide; Escape closes it. Without a window manager the focus
# is given by hand (windowfocus, not windowactivate).
press() { xdotool windowfocus --sync "$1" && sleep 0.2 && xdotool key --clearmodifiers "${@:2}"; }
press "$main" F1
w=$(timeout 5 xdotool search --sync --onlyvisible --name '^Vaultor - Handleiding$' | head -1) ||
  fail "F1 opened no guide"
press "$w" Escape

# English from the next start: the gear, the first option, then the one
# two above the last ticked from the keyboard; the notice is closed with Return.
click "$main" 306 18
click "$main" 60 90
press "$main" End Up Up space
w=$(timeout 5 xdotool search --sync --onlyvisible --name '^Vaultor$' | head -1) ||
  fail "no notice about the language"
press "$w" Return
click "$main" 306 18

# Closing: the close button at the top right; a question to save the list
# is answered Ja.
close_and_wait() {
  # A close is refused while the start flow runs, so it is asked for again.
  for _ in $(seq 10); do
    click "$main" 612 18
    answer_everything
    for _ in $(seq 20); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null || break
  done
  kill -0 "$app_pid" 2>/dev/null && fail "the window did not close"
  wait "$app_pid" || fail "vaultor ended with status $?: $(cat "$work/app.log")"
  app_pid=""
}
close_and_wait

ini=$(tr -d '\r' <"$prog/Vaultor.ini")
for want in '[CHECKMARK]' '2=1' '[LAST]' '0=Thuis' '[BPS]' '[Translation]' '1=en'; do
  grep -qxF -- "$want" <<<"$ini" || fail "Vaultor.ini lacks $want: $ini"
done
# An option the user never touched is not written.
! grep -qF -- '[Compare]' <<<"$ini" || fail "Vaultor.ini has an option never set: $ini"

# The next start is English.
"$build/vaultor" --program-dir "$prog" --drive "S=$src" --drive "E=$tgt" >"$work/app.log" 2>&1 &
app_pid=$!
main=$(timeout 20 xdotool search --sync --name '^Vaultor version 1\.8c$' | head -1) ||
  fail "the restart is not English"
sleep 1
close_and_wait
echo "window end to end: 1 passed, 0 failed"
