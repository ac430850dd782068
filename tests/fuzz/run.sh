#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang in a build folder of their own
# (build-fuzz) and runs each for a fixed number of inputs with a fixed seed,
# over its seed corpus and its regression inputs, so every commit gets the
# same answer. Any finding (a crash, a sanitizer report, a failed property, a
# hang) fails the run. New inputs go to a temporary folder, never into the
# repository.
#
#   tests/fuzz/run.sh                      every harness, as CI runs them
#   tests/fuzz/run.sh HARNESS...           only these
#   tests/fuzz/run.sh --long HARNESS [S]   fuzz one harness for S seconds (600),
#                                          on every core, with a random seed, up to
#                                          the first finding
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
here="$root/tests/fuzz"
build="${VAULTOR_FUZZ_BUILD:-$root/build-fuzz}"
export LC_ALL=C.UTF-8
unset LANGUAGE

# Harness, inputs per CI run, longest input (bytes). The numbers give each a
# few tens of seconds on two cores.
HARNESSES=(
  "list_file 20000 4096"
  "ini_file 4000 4096"
  "drive_value 500000 4096"
  "drive_path 300000 4096"
  "drive_record 8000 8192"
  "list_name 15000 4096"
)

long=0
if [[ "${1:-}" == "--long" ]]; then
  long=1
  shift
  [[ $# -ge 1 ]] || { echo "usage: $0 --long HARNESS [SECONDS]" >&2; exit 2; }
fi
wanted=("$@")
[[ $long -eq 1 ]] && wanted=("$1")

cmake -S "$root" -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVAULTOR_FUZZ=ON -DVAULTOR_WINDOW=OFF -DVAULTOR_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target fuzzers

# Everything a harness writes (its files, new inputs, findings) lies here.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/vaultor-fuzz-run-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
export TMPDIR="$scratch"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

failed=()
for entry in "${HARNESSES[@]}"; do
  read -r name runs max_len <<<"$entry"
  if ((${#wanted[@]})) && [[ " ${wanted[*]} " != *" $name "* ]]; then continue; fi
  inputs=("$here/corpus/$name")
  [[ -d "$here/regressions/$name" ]] && inputs+=("$here/regressions/$name")
  mkdir -p "$scratch/$name/new" "$scratch/$name/found"
  if [[ $long -eq 1 ]]; then
    keep="$build/fuzz-found/$name"
    mkdir -p "$keep"
    echo "fuzz: $name for ${2:-600} s; findings go to $keep"
    "$build/fuzz_$name" -max_total_time="${2:-600}" -timeout=10 -max_len="$max_len" \
      -fork="$(nproc)" -artifact_prefix="$keep/" "$scratch/$name/new" "${inputs[@]}" || failed+=("$name")
    continue
  fi
  echo "fuzz: $name, $runs inputs"
  start=$SECONDS
  # The regression inputs first, each on its own, so every known case is named.
  bad=0
  for f in "$here/regressions/$name"/*; do
    [[ -f "$f" ]] || continue
    if ! "$build/fuzz_$name" -timeout=10 -artifact_prefix="$scratch/$name/found/" "$f" \
      >"$scratch/$name/regression.log" 2>&1; then
      echo "fuzz: $name fails on ${f#"$root"/}:" >&2
      grep -a -E "PROPERTY|detail|SUMMARY" "$scratch/$name/regression.log" | head -n 3 >&2
      bad=1
    fi
  done
  if ((bad)); then
    failed+=("$name")
    continue
  fi
  # The fuzzing itself starts from the seed corpus only: the regression inputs
  # include multi-megabyte files whose mutations would take the whole budget.
  if ! "$build/fuzz_$name" -runs="$runs" -seed=1 -timeout=10 -max_len="$max_len" \
    -artifact_prefix="$scratch/$name/found/" "$scratch/$name/new" "$here/corpus/$name" \
    >"$scratch/$name/log" 2>&1; then
    grep -a -E "PROPERTY|detail|SUMMARY" "$scratch/$name/log" | head -n 3 >&2
    for f in "$scratch/$name/found"/*; do
      [[ -f "$f" ]] && echo "fuzz: found input (keep it under tests/fuzz/regressions/$name/):" >&2 &&
        base64 -w0 "$f" >&2 && echo >&2
    done
    echo "fuzz: $name FAILED" >&2
    failed+=("$name")
    continue
  fi
  echo "fuzz: $name passed in $((SECONDS - start)) s"
done

if ((${#failed[@]})); then
  echo "fuzz: failed: ${failed[*]}" >&2
  exit 1
fi
