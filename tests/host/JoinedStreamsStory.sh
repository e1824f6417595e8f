#!/usr/bin/env bash
# Standard output and the log (standard error) joined into one file, as `> log 2>&1` does:
# every line of either reaches the file whole, so the joined file holds exactly the lines
# the two streams hold apart, and no log line starts inside another line. The combat trace
# logs many lines between the frames' printed ones.
set -u
gamehost=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
args=(--quiet --seed 7 --frames 100 --step 250 --log Combat)
"$gamehost" "${args[@]}" >"$dir/joined" 2>&1 || { echo "FAIL: the joined run failed"; exit 1; }
"$gamehost" "${args[@]}" >"$dir/out" 2>"$dir/err" || { echo "FAIL: the run failed"; exit 1; }
[ -s "$dir/out" ] && [ -s "$dir/err" ] || { echo "FAIL: a stream is empty"; exit 1; }
cut=$(grep -n '.\[\(info\|warning\|error\)[]:]' "$dir/joined" | head -3)
[ -z "$cut" ] || { echo "FAIL: a log line lands inside a line: $cut"; exit 1; }
cmp -s <(sort "$dir/joined") <(sort "$dir/out" "$dir/err") ||
    { echo "FAIL: the joined lines are not the lines of the two streams"; exit 1; }
echo "PASS"
