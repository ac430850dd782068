#!/usr/bin/env bash
# Every text the sources pass through _() must have an English translation.
set -euo pipefail
root="$1"
pot="$(mktemp --suffix=.pot)"
trap 'rm -f "$pot"' EXIT
cd "$root"
find src -name '*.cpp' -o -name '*.h' | sort | \
  xgettext --from-code=UTF-8 --language=C++ -k_ -kN_ --files-from=- -o "$pot"
if [[ ! -s "$pot" ]]; then echo "no texts found in src"; exit 1; fi
msgfmt --check -o /dev/null po/en.po
# msgcmp counts an untranslated or fuzzy entry as missing.
msgcmp po/en.po "$pot"
echo "catalogue complete: 1 passed, 0 failed"
