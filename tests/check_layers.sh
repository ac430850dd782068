#!/usr/bin/env bash
# A layer includes only layers to its left: fs <- state <- log <- target <-
# engine <- lists <- app <- ui/cli; nothing in the core includes Qt; and the
# engine names none of the window's controls: it tells a run observer, and
# the app layer shows that on the window.
set -euo pipefail
cd "$1/src"
order=(fs state log target engine lists app)
fail=0
for ((i = 0; i < ${#order[@]}; i++)); do
  layer=${order[i]}
  [[ -d $layer ]] || continue
  allowed="${order[*]:0:i+1}"
  while IFS= read -r line; do
    file=${line%%:*}
    inc=$(sed -E 's/.*#include "([a-z]+)\/.*/\1/' <<<"$line")
    if [[ " $allowed " != *" $inc "* ]]; then
      echo "layer $layer may not include $inc: $line"; fail=1
    fi
  done < <(grep -rn '#include "[a-z]*/' "$layer" || true)
  if grep -rln '#include <Q' "$layer" >/dev/null 2>&1; then
    echo "layer $layer includes Qt"; fail=1
  fi
done
# Every member of the window's model: a capitalised name declared before , ; { or =.
controls=$(sed -n '/^struct MainWindowModel/,/^};/p' state/model.h | sed 's://.*::' |
  tr '\n' ' ' | grep -oE '\b[A-Z][A-Za-z0-9_]*\s*[,;{=]' | grep -oE '^[A-Za-z0-9_]+' | sort -u)
for name in $controls; do
  if grep -rnw "$name" engine >/dev/null; then
    echo "engine names the window control $name:"; grep -rnw "$name" engine; fail=1
  fi
done
if grep -rnw -e Model -e MainWindowModel engine; then
  echo "engine reaches into the window's model"; fail=1
fi
[[ -n $controls ]] || { echo "no window controls found in state/model.h"; fail=1; }
((fail == 0)) && echo "layers: 1 passed, 0 failed"
exit $fail
