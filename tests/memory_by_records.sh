#!/bin/sh
# Memory that follows the records of a model, not its largest ids:
#
#   tests/memory_by_records.sh SOLVE MODEL...
#
# Finds the address space (ulimit -v, to 2 MB) in which SOLVE solves a model of one beam,
# then runs every MODEL, as text and with --json, in that space plus 24 MB: the run must
# end as it ends without a limit, with the same report. A table or a report sized by an
# id of 10000000 (40 MB and more) does not fit, so the run fails or reports otherwise.

solve=$1
shift
small=$(dirname "$0")/data/cantilever.tav
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

run() { # kilobytes (0: no limit) model [option] -> report in $work/out, exit status
    (
        [ "$1" -eq 0 ] || ulimit -v "$1"
        "$solve" $3 "$2" > "$work/out" 2> /dev/null
    )
}

# The smallest space that works for the small model, by halving an interval that holds it.
lo=0
hi=16384
while ! run "$hi" "$small"; do
    lo=$hi
    hi=$((hi * 2))
    if [ "$hi" -gt 4194304 ]; then
        echo "memory_by_records: $solve does not solve $small in 4 GB" >&2
        exit 1
    fi
done
while [ $((hi - lo)) -gt 2048 ]; do
    mid=$(((lo + hi) / 2))
    if run "$mid" "$small"; then hi=$mid; else lo=$mid; fi
done

limit=$((hi + 24576))
status=0
for model in "$@"; do
    for option in "" --json; do
        run 0 "$model" "$option"
        expected=$?
        mv "$work/out" "$work/expected"
        run "$limit" "$model" "$option"
        got=$?
        if [ "$got" -ne "$expected" ] || ! cmp -s "$work/out" "$work/expected"; then
            echo "memory_by_records: $model ${option:-(text)} in $limit KB (a model of one" \
                "beam needs $hi KB): exit status $got (without a limit $expected)," \
                "or another report" >&2
            status=1
        fi
    done
done
exit $status
