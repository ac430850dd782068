#!/usr/bin/env bash
# Both programs say the project's version. Usage: check_version.sh BUILD_DIR VERSION
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
((fail == 0)) && echo "version: 2 passed, 0 failed"
exit $fail
