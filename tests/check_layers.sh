#!/usr/bin/env bash
# A layer includes only layers to its left: fs <- state <- log <- target <-
# engine <- lists <- app <- ui/cli; and nothing in the core includes Qt.
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
((fail == 0)) && echo "layers: 1 passed, 0 failed"
exit $fail
