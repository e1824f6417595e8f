#!/usr/bin/env bash
# The relic of the bundled run: two shard stacks combine into a complete relic whose bonus
# follows its seed, the relic cursor asks before the relic goes into the sword, and the
# sword then carries the relic in its identity, its tool tip and the player's strength.
set -u
gamehost=$1
out=$("$gamehost" --quiet --frames 400 --step 250 2>/dev/null) || { echo "FAIL: run"; exit 1; }
expect() { grep -q "$1" <<<"$out" || { echo "FAIL: no line matches: $1"; exit 1; }; }
expect "^relics: the player finds .*Relic of the Boar (seed 4): Relic shard 3 of 5$"
expect "^relics: the stacks combine: yes; the first is Completed relic, bonus +40 Offensive Ability; the second is spent$"
expect "^relics: dialog: .* (yes)$"
expect "^relics: the sword holds Relic of the Boar at level 5 with bonus +40 Offensive Ability; the relic in the bag is spent$"
expect "^items: sword with its relic \[ItemRelicBonus\] +40 Offensive Ability$"
before=$(sed -n 's/^relics: the player.s strength \([0-9]*\) -> \([0-9]*\)$/\1/p' <<<"$out")
after=$(sed -n 's/^relics: the player.s strength \([0-9]*\) -> \([0-9]*\)$/\2/p' <<<"$out")
[ -n "$before" ] && [ "$after" -eq $((before + 10)) ] || { echo "FAIL: strength $before -> $after, not 10 more"; exit 1; }
second=$("$gamehost" --quiet --frames 400 --step 250 2>/dev/null | grep "^relics:")
[ "$second" = "$(grep "^relics:" <<<"$out")" ] || { echo "FAIL: a second run tells another relic story"; exit 1; }
echo "PASS: relic story"
