#!/usr/bin/env bash
# The bundled village played alone through scripted clicks: the elder's quest taken, its
# steps done and rewarded, the road's loot picked up and sold, the chest opened once its
# champion is gone, the boss beyond the portal killed and the end of the game reached.
# The summary closes the run, which returns 0 only when the level was finished. A run
# saved at the quest's midpoint and resumed in a fresh process ends with the summary of
# the unbroken run, but for the time played. Beyond the portal the player fights by the
# rules: its own blows, and the bosses' blows hurt it.
set -u
gamehost=$1
clicks=$2
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
# run [--frames N] OPTIONS...: the village, 800 frames unless given.
run() {
    local frames=800
    [ "${1:-}" = --frames ] && { frames=$2; shift 2; }
    "$gamehost" --quiet --level village --input "$clicks" --frames "$frames" --step 250 "$@" 2>/dev/null
}
summary() { grep '^summary: ' <<<"$1"; }
# The summary but the time played: the fight beyond the portal is the game's, played anew
# by a resumed run in a world that holds the saved player alone, so it may take other frames.
outcome() { grep '^summary: ' <<<"$1" | grep -v '^summary: time played '; }
whole=$(run) || { echo "FAIL: the unbroken run did not finish the level"; exit 1; }
expect() { grep -q "$2" <<<"$1" || { echo "FAIL: no line matches: $2"; exit 1; }; }
expect "$whole" '^journal: frame 2: "The Village Road" step 1 "Hear the elder" done'
expect "$whole" '^journal: frame [0-9]*: "The Village Road" step 2 "Clear the road" done'
expect "$whole" '^input: frame [0-9]*: the player now carries Sturdy Helm'
expect "$whole" '^market: the player sells its loot (Sturdy Helm, Sells for: [0-9]*): sold; money'
expect "$whole" '^fixed items: the chest is closed and locked$'
expect "$whole" '^fixed items: the player tries the chest: it stays closed$'
expect "$whole" '^fixed items: the champion has gone and the chest unlocks'
expect "$whole" '^fixed items: the player opens the chest: open'
# From its quest line's frame the player walks to the road's shrine, and is rewarded once
# the shrine tells of its entry.
expect "$whole" '^quest: frame 225: the player walks to the shrine, [0-9.]* units away: a move$'
at=$(sed -n 's/^quest: frame \([0-9]*\): the player reaches the shrine$/\1/p' <<<"$whole")
[ -n "$at" ] && [ "$at" -gt 225 ] || { echo "FAIL: the road's shrine was not walked to"; exit 1; }
expect "$whole" "^journal: frame $at: \"The Village Road\" complete; reward: 150 gold, 500 experience"
expect "$whole" '^village: frame 260: the player steps through the portal into BossArena'
expect "$whole" '^level: frame [0-9]*: the player attacks Typhon (life 600 of 600)$'
expect "$whole" '^level: frame [0-9]*: Typhon takes the player.s blows: life '
grep -q '^level: frame [0-9]*: the player strikes\|invincible' <<<"$whole" && { echo "FAIL: a scripted blow or an invincible player"; exit 1; }
expect "$whole" '^level: frame [0-9]*: Typhon is dead'
expect "$whole" '^ui: the end sequence runs'
expect "$whole" '^summary: level village finished$'
expect "$whole" '^summary: quest "The Village Road" complete, 3 of 3 steps done$'
expect "$whole" '^summary: the player is level [0-9]* with [0-9]* experience and [0-9]* gold$'
expect "$whole" '^summary: item Staff$'
# Every creature and item by the name the game gives it, where its record gives one.
grep -q '^\(ai\|boss\|level\|summary\|loot\|input\|market\|fixed items\): .*Records/\(Creatures\|Item\)' <<<"$whole" &&
    { echo "FAIL: a creature or an item shows its record"; exit 1; }
expect "$whole" '^summary: time played [0-9]*\.[0-9][0-9][0-9] s of game time: [0-9]* frames of the level ([0-9.]* s) and the walk at the chest in frames of its own ([0-9.]* s)$'
# The time played is the level's frames of 250 ms and the walk's own.
sed -n 's/^summary: time played \([0-9.]*\) s .*: \([0-9]*\) frames of the level (\([0-9.]*\) s) .* (\([0-9.]*\) s)$/\1 \2 \3 \4/p' \
    <<<"$whole" | awk '{ exit !($2 * 0.25 == $3 && $3 + $4 == $1) }' || { echo "FAIL: the time played is not its parts"; exit 1; }
# Every line says what is so: the texts told, not their tags or colour codes; a boulder that
# lies still is told once; a blow never raises life; the village's header counts its own steps.
expect "$whole" '^townsfolk: frame [0-9]*: villager 1 says "Did you hear?'
expect "$whole" '^fixed items: the boat asks "Take the boat across the water?"; the player says yes$'
expect "$whole" '^gamehost: village: quest Levels/Quests/VillageRoad.qst, .*; 4 scripted steps of the level$'
grep -q 'says tag\|"tag\|\^[a-zA-Z]\|units/s, heading (0.00, 0.00, 0.00)' <<<"$whole" && { echo "FAIL: a tag, a colour code or a still boulder flying"; exit 1; }
[ "$(grep -c '^fight: frame [0-9]*: projectile [0-9]* (Boulder) lies still at' <<<"$whole")" = 2 ] || { echo "FAIL: the boulders were not told lying still"; exit 1; }
grep -q '(Boulder) at (-15.00, 0.00, -17.00)\|(Boulder) at (-9.00, 0.00, -17.00)' <<<"$whole" && { echo "FAIL: a boulder lying still told every frame"; exit 1; }
raised=$(sed -n 's/^fight: frame [0-9]*: .* strikes (blow [0-9]* on .*): hit, life \([0-9.]*\) -> \([0-9.]*\)\( (.*)\)\{0,1\}$/\1 \2/p' <<<"$whole" | awk '$2 > $1')
[ -z "$raised" ] || { echo "FAIL: a hit raised life: $raised"; exit 1; }
# The run stops once the level is over; the summary is its last word but the player's
# statistics and the shut-down.
[ "$(summary "$whole" | tail -1)" = "$(grep -v '^gamehost: \|^\[\|^statistics:' <<<"$whole" | tail -1)" ] ||
    { echo "FAIL: the summary is not the end of the run"; exit 1; }

# Too few frames: the level is not finished, and the run says so.
short=$(run --frames 150) && { echo "FAIL: an unfinished level returned 0"; exit 1; }
expect "$short" '^summary: level village not finished$'
expect "$short" '^summary: quest "The Village Road" active, 2 of 3 steps done$'

# Saved at the midpoint, resumed in a fresh process: the same summary but the time played.
saved=$(run --save "$folder/hero.chr") || { echo "FAIL: the saving run did not finish the level"; exit 1; }
expect "$saved" '^village: frame 200: the run is saved at the quest.s midpoint$'
[ "$(summary "$saved")" = "$(summary "$whole")" ] || { echo "FAIL: saving changed the run"; exit 1; }
resumed=$(run --load "$folder/hero.chr") || { echo "FAIL: the resumed run did not finish the level"; exit 1; }
expect "$resumed" '^gamehost: quest step 2 "Clear the road" was done before the save'
grep -q '^[a-z ]*: frame \([0-9]\|[0-9][0-9]\|1[0-9][0-9]\|200\):' <<<"$resumed" && { echo "FAIL: the resumed run played the frames before the save"; exit 1; }
[ "$(outcome "$resumed")" = "$(outcome "$whole")" ] ||
    { echo "FAIL: the resumed run ends otherwise"; diff <(summary "$whole") <(summary "$resumed"); exit 1; }
expect "$resumed" '^summary: time played [0-9.]* s of game time: [0-9.]* s up to the save point at frame 200 (as saved), then [0-9]* frames of the level ([0-9.]* s) and the walk at the chest in frames of its own ([0-9.]* s)$'

# A save whose progress or character is broken is refused before anything is played: a
# progress file changed by hand is not the one the save wrote.
cp "$folder/hero.chr.village" "$folder/progress"
echo "frame 17" >"$folder/hero.chr.village"
# The refusal is the one line on standard error; nothing is printed on standard output.
refusal() {
    "$gamehost" --quiet --level village --input "$clicks" --frames 800 --step 250 "$@" 2>"$folder/refusal" >"$folder/printed" &&
        return 1
    [ -s "$folder/printed" ] && { echo "FAIL: a refused run printed: $(head -3 "$folder/printed")"; exit 1; }
    cat "$folder/refusal"
}
broken=$(refusal --load "$folder/hero.chr") || { echo "FAIL: a broken progress file was taken"; exit 1; }
expect "$broken" 'hero.chr.village differs from the part .*hero.chr.id lists (it changed after the save)$'
cp "$folder/progress" "$folder/hero.chr.village"
head -c 200 "$folder/hero.chr" >"$folder/short" && mv "$folder/short" "$folder/hero.chr"
broken=$(refusal --load "$folder/hero.chr") || { echo "FAIL: a cut character save was taken"; exit 1; }
expect "$broken" '^gamehost: --load .*hero.chr: .*hero.chr does not read'
[ "$(wc -l <<<"$broken")" -eq 1 ] || { echo "FAIL: more than the refusal on standard error: $broken"; exit 1; }
echo "PASS"
