#!/usr/bin/env bash
# Both programs say the project's version, and the metainfo names it as the
# newest release. Usage: check_version.sh BUILD_DIR VERSION METAINFO
set -euo pipefail
export LC_ALL=C.UTF-8
unset LANGUAGE
fail=0
for program in vaultor-cli vaultor; do
  said="$("$1/$program" --version)"
  if [[ $said != "$program $2" ]]; then
    echo "FAIL: $program --version said '$said', not '$program $2'"; fail=1
  fi
done
newest="$(grep -o -m1 '<release version="[^"]*"' "$3" | cut -d'"' -f2)"
if [[ $newest != "$2" ]]; then
  echo "FAIL: the metainfo's newest release is '$newest', not '$2'"; fail=1
fi
((fail == 0)) && echo "version: 3 passed, 0 failed"
exit $fail
