#!/usr/bin/env bash
# The level's usable objects after the fight, walked by clicks: the chest stays shut while
# its champion guards it and opens once it has gone, dropping its loot; the door opens and
# closes behind the player; the shrine blesses once and rests for good; the well stays a
# well; the armed quest object tells the quests of its touch; the final portal asks twice
# and a no each time leaves the game going; the boat asks and carries the player to the
# other region. Two runs print the same.
set -u
gamehost=$1
run() { "$gamehost" --quiet "$@" 2>/dev/null | grep "^fixed items: "; }
out=$(run --frames 400 --step 250)
[ "$out" = "$(run --frames 400 --step 250)" ] || { echo "FAIL: two runs differ"; exit 1; }
fail() { echo "FAIL: $*"; echo "$out"; exit 1; }
expect() { grep -qx "fixed items: $1" <<<"$out" || fail "no \"$1\""; }
expect "the chest is closed and locked"
expect "the player tries the chest: it stays closed"
expect "the champion has gone and the chest unlocks"
expect "the player opens the chest: open"
grep -q "^fixed items: loot from the chest: [0-9]* Gold$" <<<"$out" || fail "no gold from the chest"
[ "$(grep -c "^fixed items: loot from the chest: Health Potion$" <<<"$out")" -eq 2 ] ||
    fail "not one potion for each of the party's two players"
expect "the player opens the door: open$"
expect "the player walks away and the door closes behind it"
expect "the player prays at the shrine: active"
grep -q "^fixed items: the blessing ends: dormant, of interest no; the player's money \([0-9]*\) -> " <<<"$out" ||
    fail "the shrine did not rest"
money=$(sed -n "s/^fixed items: the blessing ends: .*money \([0-9]*\) -> \([0-9]*\)$/\1 \2/p" <<<"$out")
read -r before after <<<"$money"
[ $((after - before)) -eq 50 ] || fail "the blessing paid $((after - before)) gold, not two pulses of 25"
expect "the player drinks at the well: none, of interest no"
expect "the player touches the quest object: armed, of interest yes, 1 use told"
for time in 1 2; do
    expect "the portal asks \"Step through the portal? There is no way back.\" (time $time); the player says no"
done
[ "$(grep -c "^fixed items: the portal waits no longer; the level is not completed$" <<<"$out")" -eq 2 ] ||
    fail "a no did not leave the game going"
grep -q "^fixed items: the boat carries the player to region [12]$" <<<"$out" || fail "the boat went nowhere"
grep -q "did not happen" <<<"$out" && fail "a step of the walk never came"
grep -q "^fixed items: the walk took [0-9]* frames of its own, apart from the run.s ([0-9.]* s of game time); chest open" \
    <<<"$out" || fail "the walk's frames are not told as its own"
# Short frames (the default 16 ms) give each step as much game time: the walk still ends.
out=$(run --frames 10)
grep -q "did not happen" <<<"$out" && fail "a step of the walk never came in frames of 16 ms"
expect "the player walks away and the door closes behind it"
echo "PASS: fixed item story"
