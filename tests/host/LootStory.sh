#!/usr/bin/env bash
# The monsters' loot in the bundled run. Every run prints the same (short and long): each
# monster wears what its loot seed rolled, some of it with affixes; when the
# fought monster dies, its gold piles come first and then exactly the items it wore, with
# the identities it wore them with; the player picks up one pile and its money rises by
# the pile's gold.
set -u
gamehost=$1
run() { "$gamehost" --quiet "$@" 2>/dev/null; }
for args in "--frames 400 --step 250" "--frames 2400 --step 250"; do
    [ "$(run $args)" = "$(run $args)" ] || { echo "FAIL: two runs differ ($args)"; exit 1; }
done
out=$(run --frames 400 --step 250)
loot() { grep "^loot: frame [0-9]*: " | sed 's/^loot: frame [0-9]*: //'; }
fail() { echo "FAIL: $*"; grep "loot: " <<<"$out"; exit 1; }

monster=$(sed -n 's/^fight: frame [0-9]*: the player uses [A-Za-z ]* (reference [0-9]*, seed [0-9]*) on Arena Beast (\([0-9]*\)).*/\1/p' <<<"$out" | head -1)
[ -n "$monster" ] || fail "no monster fought"
worn=$(sed -n "s/^loot: frame 1: monster $monster wears item //p" <<<"$out")
[ -n "$worn" ] || fail "the monster wears nothing"
# Named as the game names it: its prefix, its kind, its suffix.
grep -q "^[0-9]*: [A-Za-z]* [A-Za-z]* of [A-Za-z ]* (seed [0-9]*)" <<<"$worn" || fail "no item with both affixes"
grep -q "Records/" <<<"$(loot <<<"$out")" && fail "an item shows its record"
# The three placed monsters, the summoner's two creatures and the level's wisps in the world
# at the first frame.
wisps=$(grep -c "^level: frame 1: monster " <<<"$out")
[ "$(grep -c "^loot: frame 1: monster [0-9]* rolls its items from loot seed" <<<"$out")" -eq $((5 + wisps)) ] ||
    fail "not every monster rolls"

death=$(sed -n 's/^fight: frame \([0-9]*\): Arena Beast dies after.*/\1/p' <<<"$out")
[ -n "$death" ] || fail "the monster never dies"
ground=$(grep "^loot: frame $death: .* lies on the ground: " <<<"$out")
# Gold first, then the worn items, each as it was worn.
grep -q "gold pile" <<<"$(head -1 <<<"$ground")" || fail "gold does not come first"
dropped=$(sed -n 's/^loot: frame [0-9]*: item \(.*\) lies on the ground: /\1: /p' <<<"$ground" | sort)
[ "$dropped" = "$(sort <<<"$worn")" ] || fail "the drops are not what the monster wore"
[ "$(grep -c "lies on the ground" <<<"$(loot <<<"$out")")" -eq "$(wc -l <<<"$ground")" ] ||
    fail "something else fell"

# The pile the player uses pays exactly its gold.
used=$(sed -n 's/^loot: frame [0-9]*: the player uses the gold pile \([0-9]*\) (\([0-9]*\) gold): money \([0-9]*\) -> \([0-9]*\)$/\1 \2 \3 \4/p' <<<"$out")
read -r pile gold before after <<<"$used"
[ -n "$pile" ] || fail "no pile used"
grep -q ": gold pile $pile lies on the ground: $gold Gold (seed " <<<"$ground" || fail "the used pile never fell"
[ $((after - before)) -eq "$gold" ] || fail "money $before -> $after for $gold gold"
echo "PASS: loot story"
