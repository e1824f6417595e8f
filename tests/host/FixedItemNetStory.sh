#!/usr/bin/env bash
# The level's usable objects over the network: a server on a free port places them beside
# the client's player once the rest of the game is over, and the client's player walks them
# by clicks. Its uses travel to the server; what they change comes back. Both sides print
# the same uses, states, chest locks, landing and loot (the loot as a set: each side sees
# an item land in a frame of its own).
set -u
gamehost=$1
source "$(dirname "$0")/lib.sh"
show_lines() { grep "^fixed items: " "$1"; }
# The lines both sides print: all but what the client's own dialogs asked and what the
# server's host does itself, in order; the
# loot, the shrine's pulses, its phases and the chest's lock as sets, as each side sees
# them in frames of its own (a client may hear the shrine's waking and its winding down in
# one frame, before it runs either; the client sees the chest unlock before it uses it, the
# server as the use comes; the server prints a use as it passes it on, which may come after
# what the use changed in the same frame).
shared() {
    local own="loot\|the shrine takes effect\|the shrine is\|the chest is\|the chest becomes"
    grep "^fixed items: " "$1" | grep -v "^fixed items: \(here\|frame [0-9]*: the host\|$own\)"
    grep "^fixed items: \($own\)" "$1" | sort
}

# The server waits for its client (--pace), so the client walks them before the server ends.
start_server s --quiet --frames 1200 --step 250 --pace
start_client c --quiet --frames 100000 --step 250
finished "$server_pid" || fail "the server failed"
finished "$client_pid" || fail "the client failed"

c=$(grep "^fixed items: " "$dir/c.txt")
expect() { grep -qx "fixed items: $1" <<<"$c" || fail "no \"$1\" on the client"; }
expect "the chest is locked"
expect "player 268435458 uses the chest"
expect "the chest is unlocked"
expect "the chest becomes open"
expect "the door becomes open$"
expect "the door becomes closed$"
expect "the shrine is active"
expect "the shrine is dormant"
expect "player 268435458 uses the well"
expect "player 268435458 uses the quest object"
for time in 1 2; do
    expect "here the portal asks \"Step through the portal? There is no way back.\" (time $time); the player says no"
done
grep -q "^fixed items: loot from the chest: [0-9]* Gold$" <<<"$c" || fail "no gold from the chest"
[ "$(grep -c "^fixed items: loot from the chest: Health Potion$" <<<"$c")" -eq 2 ] ||
    fail "not one potion for each of the party's two players"
grep -q "^fixed items: player 268435458 lands in region [12]$" <<<"$c" || fail "the boat went nowhere"
grep -q "did not happen\|are gone\|no client" <<<"$c" && fail "a step of the walk never came"
diff <(shared "$dir/s.txt") <(shared "$dir/c.txt") || fail "the two sides differ"
# What both sides print of the whole run is so: a blow never raises life, a client's own
# player never leaves its game, a connection's end is not told twice, and the host says it
# takes the champion away.
for side in s c; do
    raised=$(sed -n 's/^fight: frame [0-9]*: .* strikes (blow [0-9]* on .*): hit, life \([0-9.]*\) -> \([0-9.]*\)\( (.*)\)\{0,1\}$/\1 \2/p' \
        "$dir/$side.txt" | awk '$2 > $1')
    [ -z "$raised" ] || fail "a hit raised life on $side: $raised"
    grep -q ': left: left$' "$dir/$side.txt" && fail "a connection's end told twice on $side"
done
grep -q '^session: frame [0-9]*: player 268435458 .* leaves the game' "$dir/c.txt" && fail "the client's own player left its game"
grep -q '^fixed items: frame [0-9]*: the host slays the champion (no blow of the player.s)$' "$dir/s.txt" ||
    fail "the server did not say it slays the champion"
diff <(grep '^net: ' "$dir/s.txt" | sort) <(grep '^net: ' "$dir/c.txt" | sort) >/dev/null || fail "the net lines differ"
echo "PASS: fixed item network story"
