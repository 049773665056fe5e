#!/usr/bin/env bash
# The whole tavu-solve run by stage, with its peak memory, on plates of about 10 thousand,
# 100 thousand, 1 million and (with --ten-million) 10 million equations, square and
# slender (and a strip 4 quads wide):
#
#   bench/whole_run.sh [--ten-million] [--runs N] TAVU_SOLVE
#
# Plates come from memory/plate.py (plane-stress quads, every fifth row split into
# triangles, v and u free at every grid). Each run writes the text report to a file, as a
# script would keep it; the stages are those the build reports with TAVU_STAGE_TIMES=1
# (wall-clock seconds), the path is the one the automatic choice took ("Size of factor"
# in the log is the sparse path's line, "Size of stiffness" the skyline's), the peak is
# GNU time's maximum resident set. With --runs N each plate runs N times and the row with
# the median whole-run time is shown.
set -euo pipefail
ten=0
runs=1
while [ $# -gt 1 ]; do
    case $1 in
    --ten-million) ten=1; shift ;;
    --runs) runs=$2; shift 2 ;;
    *) break ;;
    esac
done
if [ $# -ne 1 ] || [ ! -x "$1" ] || [ ! -x /usr/bin/time ]; then
    echo "usage: $0 [--ten-million] [--runs N] TAVU_SOLVE (needs GNU time in /usr/bin/time)" >&2
    exit 64
fi
solve=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

plates=("70 70" "22 224" "223 223" "70 707" "707 707" "223 2236")
[ "$ten" = 1 ] && plates+=("2236 2236" "707 7071" "4 1000000")

printf '| plate | equations | path | read | model | decomposition | load cases | report | whole run | peak RSS |\n'
printf '|---|---:|---|---:|---:|---:|---:|---:|---:|---:|\n'
for plate in "${plates[@]}"; do
    read -r width length <<< "$plate"
    python3 "$here/memory/plate.py" "$width" "$length" > "$work/plate.tav"
    rows=()
    for ((r = 0; r < runs; ++r)); do
        status=0
        TAVU_STAGE_TIMES=1 /usr/bin/time -o "$work/time" -f '%e %M' "$solve" "$work/plate.tav" \
            > "$work/report" 2> "$work/stages" || status=$?
        read -r seconds rss < <(tail -n 1 "$work/time")
        stage() { awk -v s="$1" '$0 ~ "stage " s " " { for (i = 1; i <= NF; ++i) if ($i == "s") { print $(i - 1); exit } }' "$work/stages"; }
        neq=$(awk -F: '/^Number of equations:/ { gsub(/ /, "", $2); print $2; exit }' "$work/report")
        path=skyline
        grep -q '^Size of factor' "$work/report" && path=sparse
        [ "$status" -ne 0 ] && path="exit $status"
        rows+=("$seconds|$(printf '| %s × %s | %s | %s | %s | %s | %s | %s | %s | %s s | %s MB |' \
            "$width" "$length" "${neq:-?}" "$path" "$(stage read)" "$(stage model)" \
            "$(stage decomposition)" "$(stage 'load cases')" "$(stage report)" "$seconds" \
            "$((rss / 1024))")")
    done
    printf '%s\n' "${rows[@]}" | sort -t'|' -k1,1 -g | sed -n "$(((runs + 1) / 2))p" | cut -d'|' -f2-
done
