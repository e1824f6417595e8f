#!/usr/bin/env bash
# The bundled village played by four hosts together on 127.0.0.1: a server and three
# clients, each its own process with its own clicks. One client leaves in the middle (its
# own last frame), a fourth joins late (the server holds at its late-join frame until it
# has), and every host present at the end prints the same summary of the shared world.
#   VillageNetStory.sh GAMEHOST INPUTS          the story above
#   VillageNetStory.sh GAMEHOST INPUTS kill     ... and one of the staying clients, drawn at
#                                               random, is killed (kill -9) at a random frame
#                                               of the server: the server drops it and plays
#                                               on, and the hosts still present agree
# INPUTS is the folder of the scripted clicks (data/Input). Under ASan every host that
# ends by itself must report no error and no leak.
set -u
gamehost=$1
inputs=$2
mode=${3:-play}
source "$(dirname "$0")/lib.sh"
show_lines() { grep -v '^net: \|^\[' "$1" | tail -25; }
late_frame=300
# The server waits for its clients however slow a loaded machine makes them (--pace).
start_server server --quiet --level village --input "$inputs/Village.txt" --frames 1200 --step 250 \
    --clients 3 --late-join "$late_frame" --pace
server=$server_pid

# A client ends once its server has gone (or at its own last frame).
client() {
    local name=$1 frames=$2
    start_client "$name" --quiet --level village --input "$inputs/Village$name.txt" --frames "$frames" --step 250
    eval "pid_$name=$client_pid"
}
client North 100000
client South 120
client West 100000
for name in North South West; do
    wait_for "$dir/$name.txt" '^gamehost: joined 127.0.0.1' "$(eval echo "\$pid_$name")" || fail "$name never joined"
done
south_host=$(sed -n 's/^gamehost: joined 127.0.0.1:[0-9]* as host \([0-9]*\)$/\1/p' "$dir/South.txt")

# The killer: once the server has played the drawn frame, the victim goes, whatever the
# others are doing then.
staying=(North West Late)
if [ "$mode" = kill ]; then
    victim=$([ $((RANDOM % 2)) -eq 0 ] && echo North || echo West)
    # Drawn among the frames before the boss arena's end, so that the server mostly has
    # the time to drop the killed client before the level is over.
    kill_frame=$((1 + RANDOM % 450))
    victim_pid=$(eval echo "\$pid_$victim")
    (
        for _ in $(seq 6000); do
            frame=$(grep -o '^[a-z ]*: frame [0-9]*' "$dir/server.txt" | tail -1 | sed 's/.* frame //')
            [ "${frame:-0}" -ge "$kill_frame" ] && break
            kill -0 "$server" 2>/dev/null || break
            sleep 0.05
        done
        kill -9 "$victim_pid" 2>/dev/null
        echo "killed $victim at frame ${frame:-0} of the server (drawn $kill_frame)" >"$dir/killed"
    ) &
    killer=$!
    pids+=("$killer")
    staying=()
    for name in North West Late; do [ "$name" != "$victim" ] && staying+=("$name"); done
fi

# South leaves by itself; the late client comes once it has gone and the server holds for
# it at its late-join frame, long after the chest's loot has come to lie on the ground.
finished "$pid_South" || fail "the leaving client failed"
wait_for "$dir/server.txt" "^session: frame [0-9]*: host $south_host left" "$server" || fail "the server never saw South leave"
wait_for "$dir/server.txt" "^village: frame $late_frame: the server waits for a late client, up to 60 s$" "$server" ||
    fail "the server never waited for the late client"
client Late 100000

if [ "$mode" = kill ]; then
    finished "$killer"
    finished "$victim_pid" 2>/dev/null
    cat "$dir/killed"
fi

finished "$server" || fail "the server failed"
for name in "${staying[@]}"; do
    finished "$(eval echo "\$pid_$name")" || fail "client $name failed"
done

world() { grep '^world: ' "$1"; }
expect() { grep -q "$2" "$1" || fail "no line of $(basename "$1") matches: $2"; }
s="$dir/server.txt"
expect "$s" '^world: level village finished$'
expect "$s" '^world: monsters killed: [1-9]'
expect "$s" '^world: killed 1 of Typhon$'
expect "$s" '^world: quest "The Village Road" complete, 3 of 3 steps done$'
expect "$s" '^world: loot of the chest Chest: [1-9][0-9]* items$'
expect "$s" '^world: loot of the boss Typhon: [1-9][0-9]* items$'
expect "$s" "^village: frame $late_frame: a late client has joined (4 clients in all)$"
# The road's beast may fall at once: the first clients' players are invited into the server
# player's party before the first frame, and the server starts once they are in it. (On a
# loaded machine the leaving client may have played its part and gone before the server's
# first frame; the two that stay are there.) No one is invited after that until the late
# client comes.
[ "$(grep -c '^session: frame 0: the player invites player [0-9]* into its party$' "$s")" -ge 2 ] ||
    fail "the first clients' players were not all invited before the first frame"
grep -q "^gamehost: not every client's player joined the party" "$s" &&
    fail "the server started before every client's player was in its party"
grep '^session: frame [0-9]*: the player invites player [0-9]* into its party$' "$s" |
    awk -v late="$late_frame" '{ f = $3 + 0; if (f > 0 && f <= late) bad = 1 } END { exit bad }' ||
    fail "a first client's player was invited after the first frame"
grep -q '^gamehost: not every client.s player joined the party' "$s" && fail "a client's player never joined the party"
expect "$s" "^session: frame [0-9]*: player [0-9]* \"Guest $south_host\" leaves the game"
# The summary names the players present: the server's and the staying clients'.
players=$(sed -n 's/^world: players at the end: //p' "$s" | wc -w)
[ "$mode" = kill ] || [ "$players" -eq 4 ] || fail "the summary lists $players players, not 4"
# Every client's player, the late one's too, is in the server player's party: the road's kill
# counts for the quest whoever lands the last blow.
[ "$mode" = kill ] || [ "$(grep -c '^gamehost: roster at the end: .* party 0$' "$s")" -eq 0 ] ||
    fail "a player at the end is in no party"
# A killed client is dropped as one that left, once it has not answered for 3 s: unless the
# level ended first, the summary no longer lists it.
if [ "$mode" = kill ]; then
    victim_host=$(sed -n 's/^gamehost: joined 127.0.0.1:[0-9]* as host \([0-9]*\)$/\1/p' "$dir/$victim.txt")
    if grep -q "^session: frame [0-9]*: host $victim_host timed out" "$s"; then
        expect "$s" "^session: frame [0-9]*: player [0-9]* \"Guest $victim_host\" leaves the game"
        [ "$players" -eq 3 ] || fail "the summary lists $players players, not 3, after the killed client was dropped"
        echo "the server dropped the killed client"
    else
        [ "$players" -eq 4 ] || fail "the summary lists $players players, not 4"
        echo "the level ended before the killed client's time-out"
    fi
fi
# South left before the end: it has no summary.
grep -q '^world: ' "$dir/South.txt" && fail "the client that left has a summary"
grep -q '^gamehost: the client leaves the village after frame 120$' "$dir/South.txt" || fail "South did not leave"
for name in "${staying[@]}"; do
    grep -q '^gamehost: the client has the summary' "$dir/$name.txt" || fail "$name never had the summary"
    diff <(world "$s") <(world "$dir/$name.txt") >/dev/null || {
        diff <(world "$s") <(world "$dir/$name.txt")
        fail "$name's summary differs from the server's"
    }
done
# Each client lists what it saw itself of the shared world ("seen:" lines) beside the
# server's summary: the monsters killed by name and the bosses' loot by identity. A client
# there before the first death in the level beyond the portal saw that level's fight as the
# server did: the deaths of what the level places, the final boss's, and what the bosses
# dropped. A client there from the start saw every kill the server counts, and no other: only
# the server decides the deaths of its creatures, and a client applies them as it is told.
joined_at() {
    local host
    host=$(sed -n 's/^gamehost: joined 127.0.0.1:[0-9]* as host \([0-9]*\)$/\1/p' "$dir/$1.txt")
    sed -n "s/^session: frame \([0-9]*\): host $host joined$/\1/p" "$s" | tail -1
}
killed_of() { sed -n "s|^$2: killed \([0-9]*\) of $3\$|\1|p" "$1"; }
listed() { sed -n "s/^$2: \($3\)\$/\1/p" "$1"; }
portal_frame=$(sed -n 's/^village: frame \([0-9]*\): the player steps through the portal into .*/\1/p' "$s")
beyond_level=$(sed -n 's/^village: frame [0-9]*: the player steps through the portal into \([A-Za-z0-9_-]*\)$/\1/p' "$s")
[ -n "$portal_frame" ] && [ -n "$beyond_level" ] || fail "the player never took the portal"
# What the level beyond the portal places, by the names the server printed as it placed them.
beyond=$(sed -n 's/^level: \(.*\) placed at (.*/\1/p' "$s" | sort -u)
[ -n "$beyond" ] || fail "the level $beyond_level beyond the portal places nothing"
first_death=$(sed -n 's/^level: frame \([0-9]*\): \(.*\) is \(dying\|dead\)$/\1 \2/p' "$s" |
    grep -F -f <(echo "$beyond") | awk -v from="$portal_frame" '$1 >= from { print $1 }' | sort -n | head -1)
[ -n "$first_death" ] || fail "nobody died in $beyond_level"
for name in "${staying[@]}"; do
    f="$dir/$name.txt"
    joined=$(joined_at "$name")
    [ -n "$joined" ] || fail "the server never saw $name join"
    if [ "$joined" -eq 0 ]; then
        apart=$(diff <(listed "$s" world '\(monsters \)\?killed .*') <(listed "$f" seen '\(monsters \)\?killed .*') |
            grep '^[<>]' | tr '\n' ' ')
        [ -z "$apart" ] || fail "$name saw the kills apart from the server (< server, > $name): $apart"
    else
        # A client that came later saw no kill the server does not count.
        while read -r count record; do
            [ "$count" -le "$(killed_of "$s" world "$record")" ] ||
                fail "$name saw $count of $record killed, the server $(killed_of "$s" world "$record")"
        done < <(sed -n 's/^seen: killed \([0-9]*\) of \(.*\)$/\1 \2/p' "$f")
    fi
    if [ "$joined" -lt "$first_death" ]; then
        expect "$f" '^seen: killed 1 of Typhon$'
        while IFS= read -r record; do
            [ "$(killed_of "$f" seen "$record")" = "$(killed_of "$s" world "$record")" ] ||
                fail "$name saw $(killed_of "$f" seen "$record") of $record killed beyond the portal, the server $(killed_of "$s" world "$record")"
        done <<<"$beyond"
        diff <(listed "$s" world 'loot of the boss .*') <(listed "$f" seen 'loot of the boss .*') ||
            fail "$name saw other loot of the bosses than the server"
    else
        echo "$name joined at frame $joined, after the first death in $beyond_level"
    fi
done
# Each client lists what lies on the ground in its own world by identity ("seen:" lines). A
# client there when the chest opened sees every item of the chest's loot as the server
# lists it; so does the client that joins after it opened, told of the items lying on the
# ground as it joins.
chest_loot() { sed -n 's/^world: loot of the chest [^:]*: \(.*fingerprint.*\)$/\1/p' "$s" | sort; }
ground() { sed -n 's/^seen: on the ground: \(.*fingerprint.*\)$/\1/p' "$1" | sort; }
chest_frame=$(sed -n "s/^village: frame \([0-9]*\): the player walks the road's chest.*/\1/p" "$s")
[ -n "$chest_frame" ] || fail "the chest was never opened"
[ -n "$(chest_loot)" ] || fail "the server lists no item of the chest's loot"
for name in "${staying[@]}"; do
    grep -q '^seen: on the ground: [0-9]* items$' "$dir/$name.txt" || fail "$name lists nothing it sees"
    missing=$(comm -23 <(chest_loot) <(ground "$dir/$name.txt"))
    [ -z "$missing" ] || fail "$name does not see the chest's loot: $missing"
    if [ "$name" = Late ]; then
        late_host=$(sed -n 's/^gamehost: joined 127.0.0.1:[0-9]* as host \([0-9]*\)$/\1/p' "$dir/Late.txt")
        joined=$(sed -n "s/^session: frame \([0-9]*\): host $late_host joined$/\1/p" "$s" | tail -1)
        [ "${joined:-0}" -gt "$chest_frame" ] || fail "Late joined at frame ${joined:-0}, not after the chest opened"
        expect "$s" "^session: frame $joined: host $late_host was told of [0-9]* characters and [1-9][0-9]* items on the ground$"
        echo "Late joined at frame $joined, after the chest opened, and sees all of its loot"
    fi
done
for f in server South "${staying[@]}"; do
    grep -q 'Sanitizer\|runtime error' "$dir/$f.err" && fail "$f reports a sanitizer error"
done
# Only a character's owner decides its death: no client told the server of a death of a
# character not its own (a monster, the server's player, another client's player).
grep 'DiePacket from host [0-9]* dropped' "$dir/server.err" | head -5 | grep . &&
    fail "a client told the server of a death not its own"
# Every region the server's players go to is open on each client (the shore across the boat,
# the level beyond the portal), so that what the server tells of it is placed.
for f in South "${staying[@]}"; do
    grep -q 'unknown region\|no region holds' "$dir/$f.err" && {
        grep 'unknown region\|no region holds' "$dir/$f.err" | head -5
        fail "$f was told of a region it has not opened"
    }
done
echo "PASS: $mode"
