# Timing shared by the bench scripts, sourced after they set WORK (a folder with out1/ and
# out2/ for the results of the two sides) and define die. Each figure is the ratio of two
# commands run alternately (A B A B ...) after a warm-up round, so that a load that comes and
# goes falls on both alike.

# Milliseconds of one run of the command line in $1 (through sh: pipelines work).
ms() {
    t0=$(date +%s%N)
    sh -c "$1" >/dev/null 2>&1 || die "failed: $1"
    t1=$(date +%s%N)
    echo $(((t1 - t0) / 1000))
}
median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# pair NAME ROUNDS A B: medians of A and B, run alternately after one warm-up each, appended
# to $WORK/figures as "NAME A B".
pair() {
    name=$1 rounds=$2 a=$3 b=$4
    : >"$WORK/a" && : >"$WORK/b"
    i=0
    while [ $i -le "$rounds" ]; do
        rm -rf "$WORK"/out1/* "$WORK"/out2/*
        ta=$(ms "$a")
        rm -rf "$WORK"/out1/* "$WORK"/out2/*
        tb=$(ms "$b")
        if [ $i -gt 0 ]; then echo "$ta" >>"$WORK/a" && echo "$tb" >>"$WORK/b"; fi
        i=$((i + 1))
    done
    echo "$name $(median <"$WORK/a") $(median <"$WORK/b")" >>"$WORK/figures"
}
