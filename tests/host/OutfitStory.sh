#!/usr/bin/env bash
# The outfit the fighters are dressed in: the player's slots and hand state once it is worn,
# the ring left detached on its finger when the amulet whose strength it needs comes off,
# the spear of the alternate set changing the hand state, and a save that carries it all:
# the loaded character wears what the saving run wore last.
set -u
gamehost=$1
save=$(mktemp -d)/outfit.sav
trap 'rm -rf "$(dirname "$save")"' EXIT
saved=$("$gamehost" --quiet --frames 400 --step 250 --save "$save" 2>/dev/null) || { echo "FAIL: saving run"; exit 1; }
loaded=$("$gamehost" --quiet --frames 1 --load "$save" 2>/dev/null) || { echo "FAIL: loading run"; exit 1; }
expect() { grep -q "$1" <<<"$saved" || { echo "FAIL: no line matches: $1"; exit 1; }; }
for place in "head: Helm" "neck: Amulet" "upper body: Breastplate" "lower body: Greaves" "first finger: Ring" \
             "forearm: Armband" "main right hand: Sword of Sparks" "main left hand: Bulwark Shield"; do
    expect "^outfit: player $place, attached$"
done
expect "^items: outfit shield tooltip \[ItemBaseStats\] 36% Chance to block"
expect "^outfit: player hand state 1 (single-handed)$"
expect "^outfit: strength [0-9]* without the amulet: the ring is still on the first finger, detached$"
# The strength with the amulet and without it differ by what its tool-tip says it adds.
with=$(sed -n 's/^outfit: strength \([0-9]*\) with the amulet.*/\1/p' <<<"$saved")
without=$(sed -n 's/^outfit: strength \([0-9]*\) without the amulet.*/\1/p' <<<"$saved")
bonus=$(sed -n 's/^items: outfit amulet tooltip \[ItemBonuses\] +\([0-9]*\) Strength$/\1/p' <<<"$saved")
[ -n "$bonus" ] && [ "$((with - without))" = "$bonus" ] ||
    { echo "FAIL: strength $with with the amulet, $without without, its tool-tip +$bonus"; exit 1; }
expect "^outfit: player alternate right hand: Spear, attached$"
expect "^outfit: player hand state 4 (spear)$"
# The last slot block of the saving run, read back.
last=$(sed -n '/^outfit: the player draws its alternate weapon set$/,$p' <<<"$saved" | grep "^outfit: player" | sed 's/^outfit: player/outfit: loaded player/')
back=$(grep "^outfit: loaded player" <<<"$loaded")
[ "$last" = "$back" ] || { printf 'FAIL: the save does not carry the outfit\nsaved:\n%s\nloaded:\n%s\n' "$last" "$back"; exit 1; }
echo "PASS: outfit story"
