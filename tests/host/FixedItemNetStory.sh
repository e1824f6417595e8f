#!/usr/bin/env bash
# The level's usable objects over the network: a server on a free port places them beside
# the client's player once the rest of the game is over, and the client's player walks them
# by clicks. Its uses travel to the server; what they change comes back. Both sides print
# the same uses, states, chest locks, landing and loot (the loot as a set: each side sees
# an item land in a frame of its own).
# Each wait is for a line or for a process to end, never for a time: the loop's count only
# caps a wait that would never end, so that the script ends by itself.
set -u
gamehost=$1
dir=$(mktemp -d)
server_pid=
client_pid=
cleanup() {
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    [ -n "$client_pid" ] && kill "$client_pid" 2>/dev/null
    [ -n "${KEEP_DIR:-}" ] && cp -r "$dir" "$KEEP_DIR"; rm -rf "$dir"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    for f in s.txt c.txt; do echo "---- $f"; grep "^fixed items: " "$dir/$f"; done
    exit 1
}
# The lines both sides print: all but what the client's own dialogs asked, in order; the
# loot and the shrine's pulses as sets, as each side sees them in frames of its own.
shared() {
    grep "^fixed items: " "$1" | grep -v "^fixed items: \(here\|loot\|the shrine takes effect\)"
    grep "^fixed items: \(loot\|the shrine takes effect\)" "$1" | sort
}

timeout 300 "$gamehost" --role server --listen 0 --quiet --frames 1200 --step 250 >"$dir/s.txt" 2>"$dir/s.err" &
server_pid=$!
for _ in $(seq 1200); do
    grep -q '^gamehost: listening on port [0-9]*$' "$dir/s.txt" && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
port=$(sed -n 's/^gamehost: listening on port \([0-9]*\)$/\1/p' "$dir/s.txt")
[ -n "$port" ] || fail "the server never listened"
"$gamehost" --role client --connect "127.0.0.1:$port" --quiet --frames 100000 --step 250 \
    >"$dir/c.txt" 2>"$dir/c.err" &
client_pid=$!
wait "$server_pid" || fail "the server failed"
server_pid=
wait "$client_pid" || fail "the client failed"
client_pid=

c=$(grep "^fixed items: " "$dir/c.txt")
expect() { grep -qx "fixed items: $1" <<<"$c" || fail "no \"$1\" on the client"; }
expect "the chest is locked"
expect "player 268435458 uses the chest"
expect "the chest is unlocked"
expect "the chest becomes open"
expect "the door becomes door open"
expect "the door becomes door closed"
expect "the shrine is active"
expect "the shrine is dormant"
expect "player 268435458 uses the well"
expect "player 268435458 uses the quest object"
for time in 1 2; do
    expect "here the portal asks \"Step through the portal? There is no way back.\" (time $time); the player says no"
done
grep -q "^fixed items: loot from the chest: Records/Item/OneShot/Gold.dbr" <<<"$c" || fail "no gold from the chest"
[ "$(grep -c "^fixed items: loot from the chest: Records/Item/OneShot/HealthPotion.dbr" <<<"$c")" -eq 2 ] ||
    fail "not one potion for each of the party's two players"
grep -q "^fixed items: player 268435458 lands in region [12]$" <<<"$c" || fail "the boat went nowhere"
grep -q "did not happen\|are gone\|no client" <<<"$c" && fail "a step of the walk never came"
diff <(shared "$dir/s.txt") <(shared "$dir/c.txt") || fail "the two sides differ"
echo "PASS: fixed item network story"
