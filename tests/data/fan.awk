# A fan of n - 1 beams from grid 1, which alone is free to move sideways and turn: its
# equations couple with every other, so the stiffness matrix is full, about n^2/2 terms
# (400 MB for n = 10000) from a model text of a few hundred kilobytes.
#   awk -v n=10000 -f fan.awk > fan.tav
BEGIN {
    for (i = 1; i <= n; i++)
        printf "GRID %d %d 1\r\n", i, i
    for (i = 2; i <= n; i++)
        printf "BEAM %d 1 %d 1 1\r\n", i, i
    printf "PROP 1 1 1\r\nMATL 1 1000\r\nDOFS DEF 1 1 1\r\nRACT 2 THRU %d 1 1 0\r\n", n
    printf "ENDMODEL\r\nLOAD 1 0 1\r\n"
}
