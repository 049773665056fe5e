#!/usr/bin/env bash
# Runs two tavu-solve binaries on the generated models and on examples/*.tav and compares
# their standard output and exit status byte for byte.
#
#   bench/compare/compare.sh OLD_SOLVE NEW_SOLVE [COUNT]
#
# Every model is run as text and with --json; a model with SUBCASE records is run once
# more with --json --scalars. COUNT (default 300) models are generated afresh into a
# temporary folder by gen_models.py; the same COUNT always gives the same models.
# Prints a summary line, how the models ended with OLD_SOLVE, and the first differences.
# Exit status: 0 when nothing differs, 1 when something does, 64 on bad usage.
# KEEP=DIR keeps the models and the differing outputs in DIR.
# DROP_KEYS=KEY[,KEY...] removes those members from NEW_SOLVE's JSON before the comparison
# (drop_keys.py), for a change that only adds keys to the JSON report.
# EXTRA_MODELS="FILE..." runs these models as well (tests/models cases, other generators).
# TOLERANCE=T lets the numbers of two outputs differ by T relative (near.py), for a change
# that may move results by rounding; such outputs are counted apart, as near.

set -u
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
    echo "usage: $0 OLD_SOLVE NEW_SOLVE [COUNT]" >&2
    exit 64
fi
old=$1
new=$2
count=${3:-300}
for bin in "$old" "$new"; do
    if [ ! -x "$bin" ]; then
        echo "compare.sh: not an executable: $bin" >&2
        exit 64
    fi
done

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
if [ -n "${KEEP:-}" ]; then
    work=$KEEP
    rm -rf "$work/models" "$work/diffs"
    mkdir -p "$work"
else
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
fi
mkdir -p "$work/diffs"
python3 "$here/gen_models.py" "$work/models" "$count" || exit 1

# Scalars for the subcases, in subcase order: a switched-off subcase, a negative one and
# values that do not round evenly.
scalars_all=(1.5 0 2 -0.5 0.25 1 3 1.1 1 1)

# The subcase count as the driver takes it: lines whose text starts with SUBCASE.
subcase_count() {
    tr -d '\r' < "$1" | awk '{ sub(/^ +/, ""); if (toupper(substr($0, 1, 7)) == "SUBCASE") n++ }
                              END { print n + 0 }'
}

models=0
outputs=0
differ=0
nearby=0
shown=0
declare -A ended=()

run_pair() { # label model args...
    local label=$1 model=$2
    shift 2
    local ra rb
    "$old" "$@" "$model" > "$work/a.out" 2> /dev/null
    ra=$?
    "$new" "$@" "$model" > "$work/b.out" 2> /dev/null
    rb=$?
    if [ -n "${DROP_KEYS:-}" ] && [ "$label" != text ]; then
        python3 "$here/drop_keys.py" "$DROP_KEYS" < "$work/b.out" > "$work/b.kept" &&
            mv "$work/b.kept" "$work/b.out"
    fi
    outputs=$((outputs + 1))
    if [ "$label" = json ]; then
        local status
        status=$(grep -o -m1 '"status": *"[a-z_]*"' "$work/a.out" | sed 's/.*: *"\(.*\)"/\1/')
        ended[${status:-none}]=$(( ${ended[${status:-none}]:-0} + 1 ))
    fi
    if [ "$ra" -eq "$rb" ] && cmp -s "$work/a.out" "$work/b.out"; then
        return
    fi
    if [ -n "${TOLERANCE:-}" ] && [ "$ra" -eq "$rb" ] &&
        python3 "$here/near.py" "$TOLERANCE" "$work/a.out" "$work/b.out" > /dev/null; then
        nearby=$((nearby + 1))
        return
    fi
    differ=$((differ + 1))
    local base
    base=$(basename "$model" .tav)
    cp "$work/a.out" "$work/diffs/$base.$label.old"
    cp "$work/b.out" "$work/diffs/$base.$label.new"
    if [ "$shown" -lt 5 ]; then
        shown=$((shown + 1))
        echo "--- $model ($label: $*): exit $ra vs $rb"
        diff "$work/a.out" "$work/b.out" | head -n 12
        [ -n "${TOLERANCE:-}" ] && python3 "$here/near.py" "$TOLERANCE" "$work/a.out" "$work/b.out"
    fi
}

# shellcheck disable=SC2086
for model in "$work"/models/*.tav "$root"/examples/*.tav ${EXTRA_MODELS:-}; do
    models=$((models + 1))
    run_pair text "$model"
    run_pair json "$model" --json
    n=$(subcase_count "$model")
    if [ "$n" -gt 0 ]; then
        [ "$n" -gt 10 ] && n=10
        list=$(IFS=,; echo "${scalars_all[*]:0:$n}")
        run_pair scalars "$model" --json --scalars "$list"
    fi
done

echo "$models models, $outputs outputs compared, $differ differ"
[ -n "${TOLERANCE:-}" ] && echo "$nearby more differ only within the tolerance $TOLERANCE"
summary=""
for s in solved model_error decomposition_failed solution_failed none; do
    [ -n "${ended[$s]:-}" ] && summary+=" $s ${ended[$s]},"
done
echo "with $old:${summary%,}"
[ -n "${KEEP:-}" ] && [ "$differ" -gt 0 ] && echo "differing outputs in $work/diffs"
[ "$differ" -eq 0 ]
