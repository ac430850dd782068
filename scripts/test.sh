#!/usr/bin/env bash
# Sets up what is missing, then builds and runs every test three times, with
# warnings as errors: as the package is built (RelWithDebInfo), as a packager
# builds (Release, -O3), and with AddressSanitizer and UndefinedBehaviorSanitizer;
# then the fuzzers, each for a fixed number of inputs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/scripts/setup.sh"
jobs="$(nproc)"

build_and_test() {
  local dir="$1"; shift
  cmake -S "$root" -B "$dir" -DVAULTOR_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j"$jobs"
  (cd "$dir" && ctest --output-on-failure --timeout 600 -j"$jobs")
}

# A test that crashed cannot unmount its images; leave no mount behind.
# The trap keeps the status of the tests: finding no mount is not a failure.
cleanup_test_mounts() {
  local status=$?
  local m
  for m in $( (grep -o ' /tmp/vaultor-test-[^ ]*' /proc/self/mounts || true) | sort -r); do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done
  exit "$status"
}
trap cleanup_test_mounts EXIT

export PATH="$PATH:/usr/sbin:/sbin"
export LC_ALL=C.UTF-8
unset LANGUAGE
build_and_test "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
build_and_test "$root/build-release" -DCMAKE_BUILD_TYPE=Release
build_and_test "$root/build-asan" -DCMAKE_BUILD_TYPE=Debug -DVAULTOR_SANITIZE=ON
bash "$root/tests/fuzz/run.sh"
