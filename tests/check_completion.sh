#!/usr/bin/env bash
# The bash completion offers the lists of the program folder named on the line.
# Usage: check_completion.sh SOURCE_DIR
set -euo pipefail
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" LC_ALL=C.UTF-8
unset LANGUAGE VAULTOR_HOME
mkdir -p "$work/prog" "$HOME"
touch "$work/prog/Foto.vlt" "$work/prog/Thuis.vlt" "$work/prog/Foto.drv"

source "$1/completion/vaultor-cli"
COMP_WORDS=(vaultor-cli --program-dir "$work/prog" start F)
COMP_CWORD=4
_vaultor_cli
if [[ "${COMPREPLY[*]}" != "Foto" ]]; then
  echo "FAIL: completing 'start F' offered '${COMPREPLY[*]}', not 'Foto'"
  exit 1
fi
echo "completion: 1 passed, 0 failed"
