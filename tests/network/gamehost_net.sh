#!/usr/bin/env bash
# Two gamehost processes on 127.0.0.1: a server on a free port and a client that joins it.
#   gamehost_net.sh GAMEHOST play   both play to the end: the join, the party, the fight (with the
#                                   summoner's creatures and every character's actions), the
#                                   townsfolk (their talk and the quest's end) and
#                                   the roster's heartbeats, the item the server drops, the
#                                   monsters' loot, the merchant's stock and the client's
#                                   purchase are the same on both sides, the server's and the
#                                   client's players trade bracers for gold, and the client ends
#                                   cleanly once its server is gone
#   gamehost_net.sh GAMEHOST kill   the client is killed in the middle of the fight: the
#                                   server drops it after the time-out and plays on
set -u
gamehost=$1
mode=$2
source "$(dirname "$0")/../host/lib.sh"
show_lines() { grep -v "^gamehost: \(sword\|armour\|player pack\|monster skill\)" "$1" | tail -40; }

# The lines that must be alike on both sides, as far as the game promises them alike to two
# hosts that run their frames at their own pace: what travelled of each character, each in
# its own order (a client's player and the monster's blows cross on the way, and each side's
# player walks to its shrine once its own trade is over), the skills' results and spawns of
# each user in its order (the strikes with their seeds, the pool's picks, the chain's links,
# the hex), the buffs each monster takes and loses as their commands travel, the item the
# server dropped (its fingerprint), the loot of each monster both hosts saw roll and of each
# thing both saw lie on the ground (identities and fingerprints; a set, as each host sees
# them in a frame of its own), the merchant's stock and then the verdict on the client's
# purchase, the last roster heartbeat and the roster.
# What a host holds at a frame's end is no part of this comparison where the other host may
# pass over it between two of its frames: a monster or a spirit of a short life, or a pile
# picked up at once, is compared only where both hosts saw it (and the client never sees
# one that the server did not).
rolled='s/^loot: frame [0-9]*: monster \([0-9]*\) rolls its items .*/\1/p'
lying='s/^loot: frame [0-9]*: \(gold pile\|item\) \([0-9]*\) lies on the ground: .*/\2/p'
standing='s/^scenery: frame [0-9]*: spirit \([0-9]*\) stands .*/\1/p'
# Each host tells creatures of one name apart by a number after the name, in the order it
# first names them; the hosts may name them in different orders, so where a line also gives
# the creature's id the comparison takes the id and the name without its number.
unnumbered() { sed 's/^\([0-9]* \)\?\([^:]*[^0-9 ]\) [0-9][0-9]*\(:\| at \)/\1\2\3/; s/^\(monster [0-9]* \|net: townsperson [0-9]* \)\(.*[^0-9 ]\) [0-9][0-9]* at /\1\2 at /'; }
# shared FILE OTHER: FILE's lines, of what both FILE and OTHER saw.
shared() {
    local monsters piles spirits
    monsters=$(seen_by_both "$rolled" "$1" "$2")
    piles=$(seen_by_both "$lying" "$1" "$2")
    spirits=$(seen_by_both "$standing" "$1" "$2")
    grep "^net: monster" "$1" | per_object 's/^net: monster \([0-9]*\) .*/\1\t&/'
    # The client's own player travels from the client, which plays on past its server's
    # end: the server took the first of the client's lines, up to its own end.
    local guest='^net: player \(action: \)\{0,1\}268435458 ' taken
    taken=$(grep -c "$guest" "$dir/s.txt")
    { grep "^net: player" "$1" | grep -v "$guest"; grep "$guest" "$1" | head -n "$taken"; } |
        per_object 's/^net: player \(action: \)\{0,1\}\([0-9]*\) .*/\2\t&/'
    grep "^net: skill" "$1" | per_object 's/^net: skill .* by \([0-9]*\), seed .*/\1\t&/'
    grep "^net: spawn" "$1" | per_object 's/^net: spawn .* by \([0-9]*\), choice .*/\1\t&/'
    grep "^net: buff" "$1" | per_object 's/^net: buff .* by monster \([0-9]*\)$/\1\t&/'
    grep "^net: item" "$1"
    grep "^loot: frame [0-9]*: \(monster\|.* lies on the ground\)" "$1" | sed 's/^loot: frame [0-9]*: /loot: /' |
        grep -E "^loot: (monster ($monsters)|(gold pile|item) ($piles)) " | sort
    grep "^level: frame [0-9]*: monster" "$1" | sed 's/^level: frame [0-9]*: //' | unnumbered | sort
    grep -E "^scenery: frame [0-9]+: (statue [0-9]+ (stands|has risen)|spirit ($spirits) )" "$1" |
        sed 's/^scenery: frame [0-9]*: //' | sort
    grep "^net: market" "$1"
    grep "^gamehost: roster at the end\|^gamehost: the last heartbeat" "$1"
    # The townsfolk the server sent, the villagers' conversation, the players' talk with the
    # quest giver and the quest's end (the giver hidden, the door told to open) on each side,
    # each of the three in its order.
    grep "^net: townsperson [0-9]* \(Villager\|Elder\)\( [0-9]*\)\? at" "$1" | unnumbered | per_object 's/^net: townsperson \([0-9]*\) .*/\1\t&/'
    grep "^\(townsfolk\|quest giver\): frame [0-9]*: \(villager [12] says\|the villagers\|the player engages the quest giver\|the quest ended\)" "$1" |
        sed 's/^[a-z ]*: frame [0-9]*: //' |
        per_object 's/^\(villager\|the villagers\)/villagers\t&/; s/^the player engages/giver\t&/; s/^the quest ended/end\t&/'
    # The actions of every character as they travel, each character's in its order: those
    # the client knows from the start (the arena's monsters and the townsfolk) and those made
    # later (the summoner's creatures, the scenery, the champion). An action that waits on a
    # client for its character holds the newer ones for that character behind it.
    grep "^ai: frame [0-9]*: " "$1" | sed 's/^ai: frame [0-9]*: \(.*\) (\([0-9]*\)): /\2 \1: /' | unnumbered |
        per_object 's/^\([0-9]*\) .*/\1\t&/'
}

# Each side's player walks to its shrine, which ends the quest, once its trade is over: a
# client that runs behind its server still does while the server plays, as the server waits
# for it (--pace). The server whose client is killed is one that strangers join: it does not.
frames=380
pace=--pace
[ "$mode" = kill ] && frames=2500 && pace=
start_server s --quiet --frames "$frames" --step 250 $pace
start_client c --quiet --frames 100000 --step 250

if [ "$mode" = kill ]; then
    # Mid-fight: the client has seen the monster struck a few times.
    wait_for "$dir/c.txt" '^net: monster' "$client_pid" 4 || fail "the client never saw the fight"
    kill -9 "$client_pid"
    finished "$client_pid" 2>/dev/null
    finished "$server_pid" || fail "the server failed"
    grep -q "^session: frame [0-9]*: host 1 timed out" "$dir/s.txt" || fail "the server never dropped the killed client"
    grep -q "^session: frame [0-9]*: player 268435458 \"Guest\" leaves the game" "$dir/s.txt" || fail "no leave"
    grep -q "^session: frame [0-9]*: the roster lists 1 player$" "$dir/s.txt" || fail "the roster did not shrink"
    grep -q "^gamehost: ran $frames frames" "$dir/s.txt" || fail "the server's frames did not go on"
    [ "$(grep -c '^gamehost: roster at the end' "$dir/s.txt")" -eq 1 ] || fail "the roster still lists the client"
    echo "PASS: kill"
    exit 0
fi

finished "$server_pid" || fail "the server failed"
finished "$client_pid" || fail "the client failed"

grep -q "^session: frame 0: host 1 joined" "$dir/s.txt" || fail "the client never joined"
# Each side says what it waits for, and how long: the server on its output, the client on
# its log (its output stays empty until it has joined).
grep -q "^gamehost: the server waits up to 60 s for a first client to join and bring its player$" "$dir/s.txt" ||
    fail "the server's wait is not told"
grep -q "^gamehost: --connect 127.0.0.1:$port: waiting up to 10 s for the server to answer$" "$dir/c.err" ||
    fail "the client's wait is not told"
grep -q "^gamehost: joined 127.0.0.1:$port as host 1" "$dir/c.txt" || fail "the client has no host number"
# The server's player, the monster, the two bystanders, the quest giver and the two villagers.
grep -q "^session: frame [0-9]*: the server's world arrived (7 characters)" "$dir/c.txt" || fail "no world for the client"
grep -q "^townsfolk: frame [0-9]*: the quest ended: the quest giver is hidden; the door is told to open$" "$dir/c.txt" ||
    fail "the quest did not end on the client"
[ "$(grep -c "^townsfolk: frame [0-9]*: villager [12] says" "$dir/c.txt")" -ge 2 ] || fail "no conversation on the client"
# Either bystander, the summoner or the plain one: each notices the player late, and the
# server's player leaves them for its shrine once its trade is over.
grep -q "^ai: frame [0-9]*: Bystander\( Summoner\)\? ([0-9]*): [A-Za-z]* -> Attack$" "$dir/c.txt" ||
    fail "the client never saw a bystander attack"
grep -q "^party: frame [0-9]*: answer from player 268435458: yes" "$dir/s.txt" || fail "no party answer"
grep -q "^dialog: frame [0-9]*: Hero invites you to join a party. -> yes" "$dir/c.txt" || fail "no invitation"
grep -q '^net: monster [0-9]* life 0.0, Life: Dying' "$dir/c.txt" || fail "the client never saw the monster killed"
grep -q '^net: player [0-9]* "Hero"' "$dir/c.txt" || fail "the client never saw the server's player"
grep -q '^net: player 268435458 "Guest"' "$dir/s.txt" || fail "the server never saw the client's player"
[ "$(grep -c '^gamehost: roster at the end: player .* party [0-9]*$' "$dir/s.txt")" -eq 2 ] || fail "server roster"
[ "$(grep -c '^gamehost: the last heartbeat' "$dir/c.txt")" -eq 2 ] || fail "no heartbeats reached the client"
grep -q '^net: skill Cleave (reference [0-9]*) by [0-9]*, seed [0-9]*, on [0-9]*$' "$dir/c.txt" || fail "no pool pick"
# The chain leaves at least two links: the summoner's creatures stand near enough to take more.
grep -q '^net: skill Chain Lightning (reference [0-9]*) by [0-9]*, seed [0-9]*, on [0-9]*\( [0-9]*\)\{1,\}$' "$dir/c.txt" ||
    fail "no chain of two links"
# The summoner's generator sends for its two creatures, each from one of its two records.
[ "$(grep -c '^net: spawn Brood (reference [0-9]*) by [0-9]*, choice [12], seed [0-9]*, ids [0-9]* at ' "$dir/c.txt")" -ge 2 ] ||
    fail "no creatures of the generator"
grep -q '^net: buff Hex lost by monster' "$dir/c.txt" || fail "no hex taken and lost"
grep -q '^net: skill Rally (reference [0-9]*) by [0-9]*, seed [0-9]*, on [0-9]* 268435458$' "$dir/c.txt" ||
    fail "no rally reaching both players"
grep -q '^net: skill Dispel (reference [0-9]*) by [0-9]*, seed [0-9]*, on [0-9]*$' "$dir/c.txt" || fail "no dispel"
grep -q '^net: skill Frost Nova (reference [0-9]*) by [0-9]*, seed [0-9]*, on [0-9][0-9 ]*$' "$dir/c.txt" ||
    fail "no frost nova ring"
grep -q '^net: skill Charge (reference [0-9]*) by [0-9]*, seed [0-9]*, on [0-9]*$' "$dir/c.txt" || fail "no charge"
grep -q '^net: item .* dropped (seed [0-9]*), fingerprint [0-9a-f]\{16\}$' "$dir/c.txt" || fail "no dropped item"
grep -q '^loot: frame [0-9]*: gold pile [0-9]* lies on the ground' "$dir/c.txt" || fail "no gold fell for the client"
grep -q '^loot: frame [0-9]*: item [0-9]* lies on the ground' "$dir/c.txt" || fail "no loot fell for the client"
[ "$(grep -c '^net: market stock [0-9]*: ' "$dir/c.txt")" -ge 3 ] || fail "no market stock on the client"
grep -q '^net: market verdict: stock item 2 of market [0-9]* sold to player 268435458$' "$dir/c.txt" ||
    fail "no verdict on the client's purchase"
# The trade: the server's player gives its bracers for the client's player's gold; each
# side prints what its own player carries before and after, and together they carry what
# they carried before.
holdings() {
    sed -n "s/^trade: $2: player [0-9]* carries \([0-9]*\) items\? (\([0-9]*\) of [^)]*) and \([0-9]*\) gold$/\1 \2 \3/p" "$1"
}
read -r s_items s_bracers s_gold <<<"$(holdings "$dir/s.txt" before)"
read -r s_items2 s_bracers2 s_gold2 <<<"$(holdings "$dir/s.txt" after)"
read -r c_items c_bracers c_gold <<<"$(holdings "$dir/c.txt" before)"
read -r c_items2 c_bracers2 c_gold2 <<<"$(holdings "$dir/c.txt" after)"
[ -n "$s_gold2" ] && [ -n "$c_gold2" ] || fail "the trade did not end on both sides"
# Nothing else reaches a player while its trade is open, in whatever frames each side's
# trade ran: the server's player took the gold of the loot before its trade, and each
# side's player reaches the shrine (whose quest rewards it) outside its trade.
# outside_trade FILE PATTERN [before]: a line matching PATTERN is there, outside the trade
# (with "before": ahead of it).
outside_trade() {
    awk -v line="$2" -v ahead="${3:-}" '/^trade: before:/ { open = 1; opened = 1 } /^trade: after:/ { open = 0 }
        $0 ~ line { seen = 1; if (open || (ahead && opened)) wrong = 1 }
        END { exit !(seen && !wrong) }' "$1"
}
outside_trade "$dir/s.txt" '^loot: frame [0-9]*: the player uses the gold pile' before ||
    fail "the server's player was paid the loot's gold after its trade opened"
for side in s c; do
    outside_trade "$dir/$side.txt" ' the player reaches the shrine$' ||
        fail "the shrine was not reached outside the trade ($side)"
done
[ "$s_bracers $s_bracers2 $c_bracers2" = "1 0 $((c_bracers + 1))" ] || fail "the bracers did not change hands"
[ "$((s_items2 + 1)) $((c_items2 - 1))" = "$s_items $c_items" ] || fail "items were lost or made in the trade"
[ "$((s_gold2 - 250)) $((c_gold2 + 250))" = "$s_gold $c_gold" ] || fail "the gold did not move as offered"
grep -q '^scenery: frame [0-9]*: statue [0-9]* has risen$' "$dir/c.txt" || fail "the client never saw the statue rise"
extra=$(seen_only_by "$rolled" "$dir/c.txt" "$dir/s.txt")
[ -z "$extra" ] || fail "the client saw a monster's loot roll that the server never had: $extra"
# What the server makes where the client's player sees it reaches the client, in whatever
# order and frames: every item of the monsters' loot and every gold pile that came to lie on
# the ground (seen as it lands, before a pick-up), and every spirit that stood (its body stays
# in the world as it dies, so a client's frame that passes over its life still finds it), each
# by its line without the frame: the two hosts' sets are the same, and the server's is not empty.
kept() { grep "^$2" "$1" | sed 's/^\([a-z]*\): frame [0-9]*: /\1: /' | sort; }
for what in 'loot: frame [0-9]*: item [0-9]* lies on the ground: ' 'loot: frame [0-9]*: gold pile [0-9]* lies on the ground: ' \
    'scenery: frame [0-9]*: spirit [0-9]* stands at '; do
    [ -n "$(kept "$dir/s.txt" "$what")" ] || fail "the server printed no line of: $what"
    diff <(kept "$dir/s.txt" "$what") <(kept "$dir/c.txt" "$what") ||
        fail "the client saw other lines than the server's (< server, > client) of: $what"
done
diff <(shared "$dir/s.txt" "$dir/c.txt") <(shared "$dir/c.txt" "$dir/s.txt") || fail "the two sides differ"
grep -q "^gamehost: the server went away; the game ends after frame" "$dir/c.txt" || fail "the client missed the end"
echo "PASS: play"
