#!/usr/bin/env bash
# Peak memory and time by stage of tavu-solve on a generated plate, text report and --json,
# for one or more builds:
#
#   bench/memory/peak_rss.sh [-w WIDTH] [-l LENGTH] [-r RUNS] SOLVE...
#
# The plate (plate.py, WIDTH by LENGTH quads, default 5 by 20000: about 110,000 quads
# and 120,000 grids; 707 by 707 gives about a million equations) is solved by each SOLVE,
# RUNS times (default 1), as text and as JSON; the script prints the peak resident set
# (GNU time's %M), the run time and the size of the report, and below each run the
# stages as the build tells them with TAVU_STAGE_TIMES=1 (wall-clock and processor seconds,
# peak MB so far; a build without that variable tells nothing). A report that differs from
# the first build's, byte for byte, is marked. The reports are written to a file, as a
# script would keep them.
set -euo pipefail
width=5
length=20000
runs=1
while getopts w:l:r: opt; do
    case $opt in
    w) width=$OPTARG ;;
    l) length=$OPTARG ;;
    r) runs=$OPTARG ;;
    *) echo "usage: $0 [-w WIDTH] [-l LENGTH] [-r RUNS] SOLVE..." >&2; exit 64 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -lt 1 ] || [ ! -x /usr/bin/time ]; then
    echo "usage: $0 [-w WIDTH] [-l LENGTH] [-r RUNS] SOLVE... (needs GNU time in /usr/bin/time)" >&2
    exit 64
fi

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/plate.py" "$width" "$length" > "$work/plate.tav"
echo "plate $width x $length: $(wc -c < "$work/plate.tav") bytes of model"
printf '%-8s %12s %9s %14s  %s\n' report "peak RSS KB" seconds "report bytes" solve
for option in text --json; do
    args=()
    [ "$option" = --json ] && args=(--json)
    n=0
    for solve in "$@"; do
        n=$((n + 1))
        for ((r = 1; r <= runs; r++)); do
            TAVU_STAGE_TIMES=1 /usr/bin/time -o "$work/time" -f '%M %e' "$solve" "${args[@]}" \
                "$work/plate.tav" > "$work/report.$n" 2> "$work/stderr" || true
            read -r rss seconds < <(tail -n 1 "$work/time")
            same=
            if [ "$n" -gt 1 ] && ! cmp -s "$work/report.1" "$work/report.$n"; then
                same=" (report differs from the first build's)"
            fi
            printf '%-8s %12s %9s %14s  %s%s\n' "$option" "$rss" "$seconds" \
                "$(wc -c < "$work/report.$n")" "$solve" "$same"
            sed -n 's/^tavu-solve: stage \([a-z ]*\) \([0-9.]*\) s (cpu \([0-9.]*\) s), peak \([0-9]*\) MB$/\1 \2 \/ \3 s, \4 MB/p' \
                "$work/stderr" | paste -sd ';' | sed 's/;/;  /g; s/^/          /'
        done
    done
done
