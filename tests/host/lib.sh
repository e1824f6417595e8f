# What the stories that start several gamehost processes on 127.0.0.1 share, sourced once
# `gamehost` is set:
#   source "$(dirname "$0")/lib.sh"      (tests/network: "$(dirname "$0")/../host/lib.sh")
# A scratch folder ($dir, kept under $KEEP_DIR when that is set), the hosts started in the
# background with their output in $dir/NAME.txt and $dir/NAME.err, the waits, the failure
# report and the clean-up of every host still running when the story ends.
# Each wait is for a line or for a process to end, never for a time: a loop's count only
# caps a wait that would never end (as `timeout` does around the server), so that a story
# ends by itself.
# A story may define `show_lines FILE`: what a failure prints of a host's output (its last
# 30 lines unless defined).

dir=$(mktemp -d)
# The hosts (and helpers) started and not yet waited for.
pids=()
server_pid=
port=

cleanup() {
    local pid
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    [ -n "${KEEP_DIR:-}" ] && cp -r "$dir" "$KEEP_DIR"
    rm -rf "$dir"
}
trap cleanup EXIT

# Prints the reason, what each host printed last and any sanitizer report, and ends the
# story as failed.
fail() {
    local f
    echo "FAIL: $*"
    for f in "$dir"/*.txt; do
        [ -e "$f" ] || continue
        echo "---- $(basename "$f")"
        if declare -F show_lines >/dev/null; then show_lines "$f"; else tail -30 "$f"; fi
    done
    for f in "$dir"/*.err; do
        [ -e "$f" ] && grep -q 'Sanitizer' "$f" && { echo "---- $(basename "$f")"; head -40 "$f"; }
    done
    exit 1
}

# Until FILE has COUNT (1 unless given) lines matching PATTERN, or the process PID that
# writes it is gone.
wait_for() {
    local file=$1 pattern=$2 pid=$3 count=${4:-1}
    for _ in $(seq 3000); do
        has_lines "$file" "$pattern" "$count" && return 0
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    has_lines "$file" "$pattern" "$count"
}

has_lines() {
    local found
    found=$(grep -c "$2" "$1" 2>/dev/null)
    [ "${found:-0}" -ge "$3" ]
}

# Waits for PID to end; it is no longer cleaned up. False when it failed.
finished() {
    local pid=$1 status=0 kept=() p
    wait "$pid" || status=$?
    for p in "${pids[@]}"; do [ "$p" != "$pid" ] && kept+=("$p"); done
    pids=("${kept[@]}")
    return "$status"
}

# start_server NAME ARGS...: a server on a free port (under `timeout`, which caps a run that
# would never end); sets server_pid and, once it listens, port.
start_server() {
    local name=$1
    shift
    timeout 600 "$gamehost" --role server --listen 0 "$@" >"$dir/$name.txt" 2>"$dir/$name.err" &
    server_pid=$!
    pids+=("$server_pid")
    wait_for "$dir/$name.txt" '^gamehost: listening on port [0-9]*$' "$server_pid" || fail "the server never listened"
    port=$(sed -n 's/^gamehost: listening on port \([0-9]*\)$/\1/p' "$dir/$name.txt")
}

# start_client NAME ARGS...: a client of that server; sets client_pid. No `timeout` around
# it, so that its own id is the one a story kills; it ends with its server in any case.
start_client() {
    local name=$1
    shift
    "$gamehost" --role client --connect "127.0.0.1:$port" "$@" >"$dir/$name.txt" 2>"$dir/$name.err" &
    client_pid=$!
    pids+=("$client_pid")
}

# What two hosts that run their frames at their own pace both promise to print, for the
# stories that compare a server's output with a client's:
# per_object SED: the lines read, each object's in their own order and the objects one
# after the other. SED turns a line into its object's key, a tab and the line; a line it
# does not turn keeps the key "-". Packets travel in order, but one host's lines about two
# objects interleave as its frames happen to take them (a client's own packets and the
# server's cross on the way).
per_object() {
    sed "$1" | awk -F'\t' 'NF < 2 { print "-\t" $0; next } { print }' | sort -s -t"$(printf '\t')" -k1,1 | cut -f2-
}
# seen_by_both SED FILE OTHER: the keys (SED prints one a line) of what both hosts saw, as
# an alternative for grep -E ("x", which no number matches, when there is none). What a
# host sees only at a frame's end (a monster that rolls its loot, a thing that lies on the
# ground, a spirit that stands) a host whose frames pass over its short life never sees.
seen_by_both() {
    local keys
    keys=$(comm -12 <(sed -n "$1" "$2" | sort -u) <(sed -n "$1" "$3" | sort -u) | paste -sd'|')
    echo "${keys:-x}"
}
# seen_only_by SED FILE OTHER: the keys FILE saw and OTHER did not.
seen_only_by() {
    comm -23 <(sed -n "$1" "$2" | sort -u) <(sed -n "$1" "$3" | sort -u) | paste -sd' '
}
