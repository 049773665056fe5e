#!/usr/bin/env bash
# Builds the libFuzzer target of the whole pipeline with clang (address and undefined
# behaviour sanitizers, index checks) and runs it: scripts/fuzz.sh SECONDS [libFuzzer options]
# Seeds are the examples and the model cases; reproducers of crashes go to fuzz/findings.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: scripts/fuzz.sh SECONDS [libFuzzer options]}
shift
bash "$root/scripts/setup.sh" clang libclang-rt-dev
build=$root/build-fuzz
generator=()
if command -v ninja >/dev/null 2>&1; then generator=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVU_FUZZ=ON -DTAVU_CHECKED=ON \
        -DTAVU_BUILD_GUI=OFF -DTAVU_BUILD_TESTS=OFF
fi
cmake --build "$build" --target tavu-fuzz -j 2

# The corpus grows in the build tree; the seeds are copied in on every run.
corpus=$build/corpus
findings=$root/fuzz/findings
mkdir -p "$corpus" "$findings"
find "$root/examples" "$root/tests/models" -name '*.tav' -print0 |
    while IFS= read -r -d '' f; do
        cp "$f" "$corpus/seed-$(printf '%s' "${f#"$root"/}" | tr '/' '_')"
    done

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$build/fuzz/tavu-fuzz" "$corpus" -dict="$root/fuzz/tavu.dict" -max_total_time="$seconds" \
    -max_len=16384 -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=30 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$@"
