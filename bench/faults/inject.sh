#!/usr/bin/env bash
# Fault injection: applies each patch of bench/faults/patches to a source tree in turn,
# rebuilds the core tests and tavu-solve, runs the core tests and the CLI tests, records
# whether the suite caught the fault, and reverts the patch.
#
#   bench/faults/inject.sh TREE BUILD_DIR [ID...]
#
# TREE is a git work tree of the project without local changes under src/; BUILD_DIR is
# configured there (checked, no GUI, Release) when it holds no CMakeCache.txt. IDs (F01,
# F17, ...) pick some faults; without them every patch of patches/ runs. The faults of
# gaps/ (G01, ...), which the suite is known to miss, run only when named. The patch is
# reverted after each fault, also on an interrupt.
#
# Each fault ends as one of:
#   caught       some core or CLI test failed (the failing tests are named)
#   MISSED       the suite passed with the fault in place
#   NO-BUILD     the patched tree did not compile: the fault is useless, replace it
#   NOT-APPLIED  the patch does not apply to TREE: re-make it from FAULTS.md
# Results also go to BUILD_DIR/fault-results.tsv. Exit status 0 when every fault that
# ran was caught, 1 otherwise, 64 on bad usage, 2 when the unpatched suite fails.

set -u
if [ $# -lt 2 ]; then
    echo "usage: $0 TREE BUILD_DIR [ID...]" >&2
    exit 64
fi
tree=$(cd "$1" 2> /dev/null && pwd) || { echo "inject.sh: no such tree: $1" >&2; exit 64; }
mkdir -p "$2" && build=$(cd "$2" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)

if ! git -C "$tree" rev-parse --is-inside-work-tree > /dev/null 2>&1; then
    echo "inject.sh: $tree is not a git work tree" >&2
    exit 64
fi
if ! git -C "$tree" diff --quiet -- src; then
    echo "inject.sh: $tree has local changes under src/; commit or stash them first" >&2
    exit 64
fi

patches=()
if [ $# -eq 0 ]; then
    patches=("$here"/patches/F*.patch)
else
    for id in "$@"; do
        match=("$here"/patches/"$id"-*.patch "$here"/gaps/"$id"-*.patch)
        [ -f "${match[0]}" ] || match=("${match[@]:1}")
        if [ ! -f "${match[0]}" ]; then
            echo "inject.sh: no patch for $id" >&2
            exit 64
        fi
        patches+=("${match[0]}")
    done
fi

applied=""
revert() {
    if [ -n "$applied" ]; then
        git -C "$tree" apply -R "$applied" || echo "inject.sh: could not revert $applied" >&2
        applied=""
    fi
}
trap 'revert' EXIT
trap 'revert; echo "inject.sh: interrupted" >&2; exit 130' INT TERM HUP

if [ ! -f "$build/CMakeCache.txt" ]; then
    generator=()
    command -v ninja > /dev/null && generator=(-G Ninja)
    cmake -S "$tree" -B "$build" "${generator[@]}" -DTAVU_CHECKED=ON -DTAVU_BUILD_GUI=OFF \
        -DCMAKE_BUILD_TYPE=Release > "$build/inject-configure.log" 2>&1 || {
        echo "inject.sh: configuring $build failed, see $build/inject-configure.log" >&2
        exit 2
    }
fi

log=$build/inject.log
: > "$log"

build_targets() {
    cmake --build "$build" -j2 --target tavu_core_tests tavu-solve >> "$log" 2>&1
}

# Runs the core tests and the CLI tests. Sets `failed` to the failing tests (empty when
# all passed) and returns 0 when everything passed.
run_tests() {
    failed=""
    local bin out rc
    bin=$(find "$build" -name tavu_core_tests -type f -perm -u+x | head -n 1)
    out=$(timeout 600 "$bin" --gtest_brief=1 2>&1)
    rc=$?
    echo "$out" >> "$log"
    if [ "$rc" -ne 0 ]; then
        failed=$(echo "$out" | sed -n 's/^\[  FAILED  \] \([A-Za-z0-9_.\/]*\).*/\1/p' | sort -u |
            tr '\n' ' ')
        [ "$rc" -eq 124 ] && failed+="(timeout) "
        [ -z "$failed" ] && failed="(test binary ended with status $rc) "
    fi
    out=$(ctest --test-dir "$build" -R '^cli_' 2>&1)
    rc=$?
    echo "$out" >> "$log"
    if [ "$rc" -ne 0 ]; then
        failed+=$(echo "$out" | sed -n 's/.*Test *#[0-9]*: \(cli_[a-z_]*\) .*Failed.*/\1/p' |
            tr '\n' ' ')
        [ "$rc" -ne 0 ] && ! echo "$failed" | grep -q cli_ && failed+="(ctest status $rc) "
    fi
    failed=${failed% }
    # The first three names and the count of the rest.
    local n
    n=$(echo "$failed" | wc -w)
    if [ "$n" -gt 3 ]; then
        failed="$(echo "$failed" | cut -d' ' -f1-3) (+$((n - 3)) more)"
    fi
    [ -z "$failed" ]
}

echo "building the unpatched tree in $build"
if ! build_targets; then
    echo "inject.sh: the unpatched tree does not build, see $log" >&2
    exit 2
fi
if ! run_tests; then
    echo "inject.sh: the suite fails without any fault: $failed" >&2
    exit 2
fi

results=$build/fault-results.tsv
printf 'id\tresult\ttests\n' > "$results"
caught=0 missed=0 nobuild=0 notapplied=0
for patch in "${patches[@]}"; do
    name=$(basename "$patch" .patch)
    id=${name%%-*}
    echo "=== $name" >> "$log"
    if ! git -C "$tree" apply --check "$patch" 2>> "$log"; then
        result=NOT-APPLIED detail=""
        notapplied=$((notapplied + 1))
    else
        git -C "$tree" apply "$patch"
        applied=$patch
        if ! build_targets; then
            result=NO-BUILD detail=""
            nobuild=$((nobuild + 1))
        elif run_tests; then
            result=MISSED detail=""
            missed=$((missed + 1))
        else
            result=caught detail=$failed
            caught=$((caught + 1))
        fi
        revert
    fi
    printf '%-4s %-11s %s  %s\n' "$id" "$result" "${name#*-}" "$detail"
    printf '%s\t%s\t%s\n' "$id" "$result" "$detail" >> "$results"
done

echo "rebuilding the unpatched tree"
build_targets || echo "inject.sh: the final rebuild failed, see $log" >&2
total=${#patches[@]}
echo "$total faults: $caught caught, $missed missed, $nobuild did not build, $notapplied did not apply"
echo "results in $results, build and test output in $log"
[ "$caught" -eq "$total" ]
