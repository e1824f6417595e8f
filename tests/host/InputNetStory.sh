#!/usr/bin/env bash
# Scripted clicks on the network: a server and a client on 127.0.0.1, each steering its own
# player through its own input file. What the clicks become (moves, pick-ups, talks) travels
# between the hosts, and both print the same of it: each player's actions in their order.
# (How the fight goes depends on when the packets arrive, so only its start is looked at.)
set -u
gamehost=$1
fight=$2
guest=$3
source "$(dirname "$0")/lib.sh"
show_lines() { grep "input\|net: player action" "$1" | tail -30; }

# The server waits for its client (--pace), so the client's clicks come in the server's frames.
start_server s --quiet --frames 200 --step 250 --input "$fight" --pace
start_client c --quiet --frames 100000 --step 250 --input "$guest"
finished "$client_pid" || fail "the client failed"
finished "$server_pid" || fail "the server failed"

# Each host steers its own player only.
grep -q "^input: frame 5: new primary click at (3.0, 8.0): a move, the player at (0.0, 4.0) MoveTo$" "$dir/c.txt" ||
    fail "the client's player did not walk"
grep -q "^input: frame 3: new primary click at (10.0, 0.0) on Arena Beast" "$dir/s.txt" ||
    fail "the server's player did not go for the monster"
# Per player, in order: the lines of each side are alike. The client plays on past its
# server's last frame (and on a loaded machine may run ahead of the server's frames, to its
# walk to the quest's shrine): what the server took of the client's player is what the
# client did up to then.
actions() { grep "^net: player action: $2 " "$1"; }
client=268435458
for player in $(grep -o "^net: player action: [0-9]*" "$dir/s.txt" "$dir/c.txt" | awk '{print $4}' | sort -u); do
    taken=$(actions "$dir/s.txt" "$player" | wc -l)
    if [ "$player" = $client ]; then
        diff <(actions "$dir/s.txt" "$player") <(actions "$dir/c.txt" "$player" | head -n "$taken")
    else
        diff <(actions "$dir/s.txt" "$player") <(actions "$dir/c.txt" "$player")
    fi || fail "player $player's actions differ"
done
[ "$(actions "$dir/s.txt" $client | grep -c "moves to (\(3.00, 8.00\|-3.00, 8.00\|0.00, 4.00\)),")" -eq 3 ] ||
    fail "the client's three moves did not arrive"
actions "$dir/c.txt" 5 | grep -q "talks to" || fail "the server's player's talk did not arrive"
echo "input net story: ok"
