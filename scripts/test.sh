#!/usr/bin/env bash
# Sets up the machine, builds TAVU twice (with index checks, and with AddressSanitizer +
# UndefinedBehaviorSanitizer) and runs every test in both builds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup.sh
export QT_QPA_PLATFORM=offscreen

bash scripts/build.sh build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVU_CHECKED=ON
bash scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVU_CHECKED=ON \
    -DTAVU_SANITIZE=ON -DTAVU_BUILD_GUI=OFF

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
echo "== tests (checked build)"
ctest --test-dir build-test --output-on-failure -j "$(nproc)" || status=1
echo "== tests (sanitizer build)"
ctest --test-dir build-asan --output-on-failure -j "$(nproc)" || status=1
exit $status
