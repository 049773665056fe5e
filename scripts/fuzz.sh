#!/usr/bin/env bash
# Builds the libFuzzer target of the whole pipeline with clang (address and undefined
# behaviour sanitizers, index checks) and runs it: scripts/fuzz.sh [--mesh] SECONDS [libFuzzer
# options]. Seeds are the examples and the model cases; reproducers of crashes go to
# fuzz/findings. --mesh runs the mesh import's target instead (meshes as the Gmsh reader
# hands them over, no seeds).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mesh=0
if [ "${1:-}" = --mesh ]; then
    mesh=1
    shift
fi
seconds=${1:?usage: scripts/fuzz.sh [--mesh] SECONDS [libFuzzer options]}
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

export ASAN_OPTIONS=detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
findings=$root/fuzz/findings
mkdir -p "$findings"
if [ "$mesh" = 1 ]; then
    cmake --build "$build" --target tavu-fuzz-mesh -j 2
    mkdir -p "$build/corpus-mesh"
    exec "$build/fuzz/tavu-fuzz-mesh" "$build/corpus-mesh" -max_total_time="$seconds" \
        -max_len=4096 -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=30 \
        -artifact_prefix="$findings/mesh-" -print_final_stats=1 "$@"
fi
cmake --build "$build" --target tavu-fuzz -j 2

# The corpus grows in the build tree; the seeds are copied in on every run.
corpus=$build/corpus
mkdir -p "$corpus"
find "$root/examples" "$root/tests/models" -name '*.tav' -print0 |
    while IFS= read -r -d '' f; do
        cp "$f" "$corpus/seed-$(printf '%s' "${f#"$root"/}" | tr '/' '_')"
    done

"$build/fuzz/tavu-fuzz" "$corpus" -dict="$root/fuzz/tavu.dict" -max_total_time="$seconds" \
    -max_len=16384 -rss_limit_mb=2048 -malloc_limit_mb=2048 -timeout=30 \
    -artifact_prefix="$findings/" -print_final_stats=1 "$@"
