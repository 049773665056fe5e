#!/usr/bin/env bash
# Peak memory of tavu-solve on a long generated plate, text report and --json, for one or
# more builds:
#
#   bench/memory/peak_rss.sh [-w WIDTH] [-l LENGTH] SOLVE...
#
# The plate (plate.py, WIDTH by LENGTH quads, default 5 by 20000: about 110,000 quads
# and 120,000 grids) is solved by each SOLVE as text and as JSON; the script prints the
# peak resident set (GNU time's %M), the run time and the size of the report. The reports
# are written to a file, as a script would keep them.
set -euo pipefail
width=5
length=20000
while getopts w:l: opt; do
    case $opt in
    w) width=$OPTARG ;;
    l) length=$OPTARG ;;
    *) echo "usage: $0 [-w WIDTH] [-l LENGTH] SOLVE..." >&2; exit 64 ;;
    esac
done
shift $((OPTIND - 1))
if [ $# -lt 1 ] || [ ! -x /usr/bin/time ]; then
    echo "usage: $0 [-w WIDTH] [-l LENGTH] SOLVE... (needs GNU time in /usr/bin/time)" >&2
    exit 64
fi

here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/plate.py" "$width" "$length" > "$work/plate.tav"
echo "plate $width x $length: $(wc -c < "$work/plate.tav") bytes of model"
printf '%-8s %12s %9s %14s  %s\n' report "peak RSS KB" seconds "report bytes" solve
for solve in "$@"; do
    for option in text --json; do
        args=()
        [ "$option" = --json ] && args=(--json)
        /usr/bin/time -o "$work/time" -f '%M %e' "$solve" "${args[@]}" "$work/plate.tav" \
            > "$work/report" || true
        read -r rss seconds < <(tail -n 1 "$work/time")
        printf '%-8s %12s %9s %14s  %s\n' "$option" "$rss" "$seconds" \
            "$(wc -c < "$work/report")" "$solve"
    done
done
