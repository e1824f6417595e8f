#!/usr/bin/env bash
# The player's bags after the fight: pick-ups in the first free cells of the main bag, a
# potion stacked beneath the first of its record, a sack adding the second bag, one health
# potion drunk by need; and a save that carries the bags and the hot slots: the loaded
# character prints the bags and slots the saving run printed.
set -u
gamehost=$1
save=$(mktemp -d)/bags.sav
trap 'rm -rf "$(dirname "$save")"' EXIT
saved=$("$gamehost" --quiet --frames 400 --step 250 --save "$save" 2>/dev/null) || { echo "FAIL: saving run"; exit 1; }
loaded=$("$gamehost" --quiet --frames 1 --load "$save" 2>/dev/null) || { echo "FAIL: loading run"; exit 1; }
expect() { grep -q "$1" <<<"$saved" || { echo "FAIL: no line matches: $1"; grep "^bags: " <<<"$saved"; exit 1; }; }
# The quest's reward, a helm, came first and holds the first cell.
expect "^bags: after the fight: bag 0 cell (0, 0): Helm$"
expect "^bags: the player picks up Axe: bag 0, cell (0, 1)$"
expect "^bags: the player picks up Staff: bag 0, cell (1, 1)$"   # the first column is full
expect "^bags: the player picks up Health Potion: beneath a potion of its record (1 bag)$"
expect "^bags: the player picks up Sack of Coins: used at once (2 bags); money [0-9]* -> [0-9]*$"
# The sack's gold (its record's 50) is told with it.
sack=$(sed -n 's/^bags: .*Sack of Coins: used at once (2 bags); money \([0-9]*\) -> \([0-9]*\)$/\2 - \1/p' <<<"$saved")
[ "$((sack))" = 50 ] || { echo "FAIL: the sack pays $((sack)) gold"; exit 1; }
expect "^bags: at life [0-9.]* of [0-9.]* the player drinks by need: a potion; health potions 3 -> 2, "
expect "^bags: after the fight: bag 0 cell (0, 2): Health Potion, 1 beneath$"
expect "^bags: after the fight: hot slot 0: skill Fireball$"
expect "^bags: after the fight: hot slot 8: Health Potion$"
# Every item and slot by the name the game gives it, never by its record.
grep -q "^bags: .*Records/" <<<"$saved" && { echo "FAIL: a bag's line shows a record"; exit 1; }
held=$(sed -n 's/^bags: after the fight: //p' <<<"$saved")
read=$(sed -n 's/^bags: loaded: //p' <<<"$loaded")
[ "$(wc -l <<<"$held")" -ge 20 ] || { echo "FAIL: the bags are short:"; echo "$held"; exit 1; }
[ "$held" = "$read" ] || { echo "FAIL: the loaded bags differ"; diff <(echo "$held") <(echo "$read"); exit 1; }
echo "PASS: bags story ($(wc -l <<<"$held") lines read back alike)"
