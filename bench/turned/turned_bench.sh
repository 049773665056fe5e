#!/usr/bin/env bash
# The whole tavu-solve run on an N x N plate whose grids all have turned dof axes (v held
# in them) against the same plate with its dofs in x-y (v held in y): the same number of
# equations, so the turned one should cost what the unturned one costs.
#
#   bench/turned/turned_bench.sh TAVU_SOLVE [N] [RUNS]
#
# N defaults to 100, RUNS to 3. Each solver path (auto, skyline, sparse) runs RUNS times on
# each plate; the median wall-clock seconds and the largest peak memory are printed as a
# table. Exit status 1 when a run fails.

set -u
if [ $# -lt 1 ] || [ $# -gt 3 ]; then
    echo "usage: $0 TAVU_SOLVE [N] [RUNS]" >&2
    exit 64
fi
solve=$1
n=${2:-100}
runs=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/plate.py" "$n" 0 > "$work/unturned.tav"
python3 "$here/plate.py" "$n" 30 > "$work/turned.tav"

# One row: the median seconds and the peak memory of RUNS runs.
measure() { # solver model
    local times=() peak=0 t m
    for ((r = 0; r < runs; ++r)); do
        if ! /usr/bin/time -f "%e %M" -o "$work/time" "$solve" --solver "$1" "$2" \
            > "$work/out" 2> /dev/null; then
            echo "run failed: $solve --solver $1 $2" >&2
            exit 1
        fi
        read -r t m < "$work/time"
        times+=("$t")
        [ "$m" -gt "$peak" ] && peak=$m
    done
    local median
    median=$(printf '%s\n' "${times[@]}" | sort -g | sed -n "$(((runs + 1) / 2))p")
    local path
    path=$(grep -q "Size of factor" "$work/out" && echo sparse || echo skyline)
    printf '%-8s %-9s %8s s %8d KB  (%s)\n' "$1" "$(basename "$2" .tav)" "$median" "$peak" "$path"
}

echo "plate of $n x $n quads, whole run, median of $runs"
for solver in auto skyline sparse; do
    measure "$solver" "$work/unturned.tav"
    measure "$solver" "$work/turned.tav"
done
