#!/usr/bin/env bash
# The soak of the village played together: the four-host story (VillageNetStory.sh) run
# RUNS times back to back (20 by default), each time with a staying client killed
# (kill -9) at a random frame. Meant for the ASan build, where every host that ends by
# itself must report no error and no leak; not part of the default test run:
#   tests/host/VillageNetSoak.sh build/asan/host/gamehost data/Input [RUNS]
# Prints each run's verdict, then the runs, the failures and the time taken; returns 0
# only when every run passed. A failed run's files are kept under $SOAK_DIR when it is set.
set -u
gamehost=$1
inputs=$2
runs=${3:-20}
story="$(dirname "$0")/VillageNetStory.sh"
# Leaks are looked for at every exit (the build's own default, said aloud).
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
failures=0
start=$(date +%s)
for run in $(seq "$runs"); do
    keep=
    [ -n "${SOAK_DIR:-}" ] && keep="$SOAK_DIR/run$run"
    if out=$(KEEP_DIR="$keep" bash "$story" "$gamehost" "$inputs" kill 2>&1); then
        echo "run $run: $(grep '^killed' <<<"$out"); $(grep '^the \(server dropped\|level ended\)' <<<"$out"): passed"
        [ -n "$keep" ] && rm -rf "$keep"
    else
        failures=$((failures + 1))
        echo "run $run: failed"
        tail -30 <<<"$out"
    fi
done
echo "soak: $runs runs, $failures failures, $(($(date +%s) - start)) s"
[ "$failures" -eq 0 ]
