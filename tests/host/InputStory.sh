#!/usr/bin/env bash
# The bundled fight played through scripted clicks: the player talks to the quest giver on
# the first click, walks to the monster on the next and strikes it while the button is
# held, picks up the monster's loot with three clicks, and clicks the merchant, whose shop
# opens for a purchase and a sale (it comes beside where the player stands, which the
# crowding may have moved a little; the player walks up to it when the click's move
# has taken it away); the same run prints the same twice.
# A file with broken lines logs each of them and plays the rest.
set -u
gamehost=$1
input=$2
run() { "$gamehost" --quiet --frames 200 --step 250 --input "$1" 2>&1; }
# The story reads what is printed; the log (standard error) would cut its lines apart.
printed() { "$gamehost" --quiet --frames 200 --step 250 --input "$1" 2>/dev/null; }
first=$(printed "$input") || { echo "FAIL: the run failed"; exit 1; }
second=$(printed "$input")
[ "$first" = "$second" ] || { echo "FAIL: two runs differ"; exit 1; }
expect() { grep -q "$1" <<<"$first" || { echo "FAIL: no line matches: $1"; exit 1; }; }
expect "^input: frame 3: new primary click at (10.0, 0.0) on Arena Beast: no move, the player at ([0-9.-]*, [0-9.-]*) MoveToUseSkill$"
expect "^input: frame [0-9]*: held primary click at (10.0, 0.0) on Arena Beast: no move, the player at ([0-9.]*, 0.0) UseSkill$"
expect "^input: frame 2: new primary click at (-1.8, 0.0) on Elder: no move, the player at (0.0, 0.0) TalkToNpc$"
expect "^ui: Elder.s dialog ([0-9.]* s) shown to player [0-9]*$"
grep -q "the player engages the quest giver" <<<"$first" && { echo "FAIL: a staged talk"; exit 1; }
expect "^fight: frame [0-9]*: the player strikes (blow 1 on Arena Beast)"
expect "^fight: frame [0-9]*: Arena Beast dies"
expect "^input: frame 140: new primary click at (1.0, -5.0): a move"
# Each item is picked up by a click on it where it fell, once the monster has died: the
# button may still be held on that spot when the body goes.
died=$(grep -n "^fight: frame [0-9]*: Arena Beast dies" <<<"$first" | head -1 | cut -d: -f1)
for item in Shield Helm Armband; do
    # By the item's name, which holds its affixes around its kind.
    expect "^input: frame [0-9]*: \(new\|held\) primary click at (10.0, 0.0) on [A-Za-z ]*$item[A-Za-z ]*: no move"
    carried=$(grep -n "^input: frame [0-9]*: the player now carries [A-Za-z ]*$item[A-Za-z ]* ([0-9]*)$" <<<"$first" | head -1 | cut -d: -f1)
    [ -n "$carried" ] && [ "$carried" -gt "$died" ] || { echo "FAIL: $item was not picked up after the fight"; exit 1; }
done
expect "^market: frame [0-9]*: a merchant, Aldo the Trader ([0-9]*), comes to ([01].[0-9], [34].[0-9])$"
expect "^input: frame 150: new primary click at (1.0, 4.2) on Aldo the Trader: no move, the player at ([0-9.-]*, [0-9.-]*) \(TalkToNpc\|MoveToNpc\)$"
expect "^market: the shop opens on page 1 (armour and shields)$"
expect "^market: the player buys stock item [0-9]* (.*): asked; now sold"
expect "^market: the player sells what it just bought (.*): sold"
# The visit after the frames is the clicks' now: one merchant, one shop.
[ "$(grep -c "^market: the shop opens" <<<"$first")" -eq 1 ] || { echo "FAIL: the shop opened twice"; exit 1; }
grep -q "the player dies" <<<"$first" && { echo "FAIL: the player dies"; exit 1; }
# The host no longer strikes for the player: every strike follows a click.
grep -q "the player runs to Arena Beast" <<<"$first" && { echo "FAIL: a staged run"; exit 1; }

broken=$(mktemp)
trap 'rm -f "$broken"' EXIT
printf '2 click primary 10 0\nabc click primary 1 1\n3 click middle 1 1\n4 click primary nan 0\n5 dance\n6 clear\n' >"$broken"
out=$(run "$broken") || { echo "FAIL: the broken file ended the run"; exit 1; }
[ "$(grep -c "input line not understood, skipped" <<<"$out")" -eq 4 ] || { echo "FAIL: broken lines not logged"; exit 1; }
grep -q "^input: frame 6: the player clears its target$" <<<"$out" || { echo "FAIL: the good lines were not played"; exit 1; }
echo "input story: ok"
