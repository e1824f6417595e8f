#!/usr/bin/env bash
# The bundled boss arena (gamehost --level BossArena), fought by the rules: the player is
# mortal, every blow it deals is its own (the level holds its button on a foe) and the
# bosses' blows hurt it. The cyclops, woken, walks to its script point, roars (the boss
# music starts) and charges; the player fells it. The final boss takes a god's attacks from
# a statue and loses them when the player breaks that statue; its death starts the ending
# music, shows the story dialog and runs the end sequence twice. Megalesios, ordered by the
# quest, launches its bursts and attacks its conduit until the conduit is gone; Telkine
# emotes between its casts; its warriors, stirred by a blow, march and then fight; Zoverad,
# struck, pursues. The player fells them all. A level name with a path in it is refused.
set -u
gamehost=$1
source "$(dirname "$0")/lib.sh"
folder="$dir/data"
mkdir "$folder"
run() { "$gamehost" --quiet --seed 55 --level BossArena --frames 900 --step 100 2>/dev/null; }
first=$(run) || { echo "FAIL: the run failed"; exit 1; }
expect() { grep -q "$1" <<<"$first" || { echo "FAIL: no line matches: $1"; exit 1; }; }
cyclops=Cyclops
typhon=Typhon
expect "^gamehost: level BossArena: 15 objects, 10 scripted steps"
# No blow is the host's: no scripted strike, no invincible player; the bosses' blows land.
grep -q "^level: frame [0-9]*: the player strikes\|invincible" <<<"$first" && { echo "FAIL: a scripted blow or an invincible player"; exit 1; }
expect "^level: frame [0-9]*: the player is hurt: life [0-9.]* -> [0-9.]*$"
expect "^level: frame [0-9]*: $cyclops takes the player's blows: life 300.0 -> "
# The bosses are named as the game names them, never by their records.
grep -q "^\(boss\|level\): frame .*Records/Creatures" <<<"$first" && { echo "FAIL: a boss shows its record"; exit 1; }
expect "^boss: frame 20: $cyclops is in state ScriptedMove"
expect "^boss: frame [0-9]*: $cyclops is in state Roar"
expect "^music: frame [0-9]*: Records/Sounds/Music/CyclopsBattle.dbr"
expect "^boss: frame [0-9]*: $cyclops is in state BullRun"
expect "^boss: frame [0-9]*: $typhon is in state AttackStatue"
expect "^boss: frame [0-9]*: $typhon fights with \(zeus\|demeter\|hades\|apollo\)"
# The player breaks the statue of the god the boss wields, and the boss fights with its
# own attacks from then on; after a strike on a statue the boss takes up the player again.
god=$(grep -m1 "boss: frame [0-9]*: $typhon fights with [a-z]*$" <<<"$first" | sed 's/.* fights with //')
statue="Statue of ${god^}"
expect "^level: frame [0-9]*: the player attacks $statue (life 60 of 60)$"
broken=$(grep -m1 "^level: frame [0-9]*: $statue is dying$" <<<"$first" | sed 's/^[a-z]*: frame \([0-9]*\):.*/\1/')
[ -n "$broken" ] || { echo "FAIL: the player did not break the statue of $god"; exit 1; }
expect "^boss: frame $broken: $typhon fights with its own attacks"
grep -A1000 -m1 "state AttackStatue$" <<<"$first" | grep -q "boss: frame [0-9]*: $typhon is in state \(Pursue\|Attack\)$" ||
    { echo "FAIL: the boss stood still after the statue"; exit 1; }
expect "^boss: frame [0-9]*: $cyclops is in state Dying"
expect "^boss: frame [0-9]*: $cyclops is in state Dead"
expect "^level: frame [0-9]*: the player attacks $typhon (life 600 of 600)$"
expect "^level: frame [0-9]*: $typhon is dying"
expect "^boss: frame [0-9]*: $typhon is in state Dying"
expect "^boss: frame [0-9]*: $typhon is in state Dead"
expect "^ui: the final boss is defeated"
expect "^ui: save game (difficulty 1)"
dying=$(grep -m1 "^level: frame [0-9]*: $typhon is dying$" <<<"$first" | sed 's/^[a-z]*: frame \([0-9]*\):.*/\1/')
expect "^music: frame $((dying + 1)): Records/Sounds/Musicpak/OlympusEvent/OlympusEventEndingTheme.dbr"
expect "^ui: the story dialog is shown"
[ "$(grep -c '^ui: the end sequence runs' <<<"$first")" = 2 ] || { echo "FAIL: the end sequence did not run twice"; exit 1; }
# A state line of the boss of that name follows, at some later frame, the first line
# that matches the pattern.
later() {
    grep -A1000 -m1 "$2" <<<"$first" | grep -q "^boss: frame [0-9]*: $1 is in state $3$" ||
        { echo "FAIL: $1 was not in state $3 after: $2"; exit 1; }
}
megalesios=Megalesios
conduit="Conduit of Megalesios"
telkine=Telkine
warrior="Terracotta Warrior"
zoverad=Zoverad
expect "^boss: frame 1: $megalesios is in state Startup"
expect "^level: frame 100: the quest orders $megalesios to use a skill"
expect "^boss: frame 100: $megalesios is in state LaunchBursts"
expect "^boss: frame [0-9]*: $megalesios is in state AttackConduit"
# Its own attacks destroy the conduit; then the player fells it.
later "$megalesios" "level: frame [0-9]*: $conduit is dying" Idle
later "$megalesios" "level: frame [0-9]*: the player attacks $megalesios" Dying
later "$megalesios" "boss: frame [0-9]*: $megalesios is in state Dying" Dead
expect "^boss: frame 1: $telkine is in state AttackPhase1"
later "$telkine" "boss: frame [0-9]*: $telkine is in state Emote" AttackPhase1
later "$telkine" "level: frame [0-9]*: the player attacks $telkine" Dying
later "$telkine" "boss: frame [0-9]*: $telkine is in state Dying" Dead
# The two warriors of one name are told apart: each marches, fights and dies once.
for one in "$warrior" "$warrior 2"; do
    expect "^boss: frame [0-9]*: $one is in state AttackMarch$"
    later "$one" "boss: frame [0-9]*: $one is in state AttackMarch$" "\(Return\|Pursue\|Attack\)"
    [ "$(grep -c "^boss: frame [0-9]*: $one is in state Dead$" <<<"$first")" = 1 ] ||
        { echo "FAIL: $one did not die once"; exit 1; }
done
expect "^boss: frame 1: $zoverad is in state Startup"
later "$zoverad" "level: frame [0-9]*: $zoverad takes the player's blows" Pursue
later "$zoverad" "level: frame [0-9]*: the player attacks $zoverad" Dying
later "$zoverad" "boss: frame [0-9]*: $zoverad is in state Dying" Dead
"$gamehost" --quiet --level ../Records/Creatures/Boss/Typhon --frames 1 >/dev/null 2>&1 && { echo "FAIL: a path was taken as a level"; exit 1; }
# Over the network: the server plays the level and its script; a client that joins sees the
# final boss die and plays the same end of the game. The server plays the lone game's frames
# and a margin: how fast its fight goes depends on when each host hears the other. A client
# runs its frames at its own pace (the server waits for it, --pace) and, once its server has
# gone, plays on until it has applied what the server sent, its own end of the game included.
start_server s --quiet --seed 55 --level BossArena --frames 1200 --step 100 --pace
start_client c --quiet --level BossArena --frames 100000 --step 100
finished "$client_pid" || fail "the client failed"
finished "$server_pid" || fail "the server failed"
# A client may take a death and the body's removal in one frame of its own, so the deaths
# are not compared line by line: who died, and what each host's end of the game did, are.
shared() {
    grep "^level: frame [0-9]*: .* is dead$" "$1" | sed 's/^level: frame [0-9]*: //' | sort
    grep "^music: frame [0-9]*: Records/Sounds/Musicpak" "$1" | sed 's/^music: frame [0-9]*: //'
    # A client that runs on past its server's end may be asked for a plain save of its own.
    grep "^ui: " "$1" | grep -v "^ui: save game$"
}
[ "$(shared "$dir/s.txt")" = "$(shared "$dir/c.txt")" ] || {
    echo "FAIL: the server and the client differ"; diff <(shared "$dir/s.txt") <(shared "$dir/c.txt"); exit 1; }
grep -q "^ui: the end sequence runs" "$dir/c.txt" || { echo "FAIL: the client saw no end of the game"; exit 1; }
for boss in "$megalesios" "$conduit" "$telkine" "$zoverad"; do
    grep -q "^level: frame [0-9]*: $boss is dead$" "$dir/c.txt" || { echo "FAIL: the client did not see $boss die"; exit 1; }
done

# A level with a broken line is refused by that line's number before anything is played.
data=$(cd "$(dirname "$0")/../../data" && pwd)
for entry in "$data"/*; do ln -s "$entry" "$folder/"; done
rm "$folder/Levels" && mkdir "$folder/Levels"
printf '%s\n' 'player Records/Creatures/ArenaPlayer.dbr 0 0 0' 'place Records/Creatures/Boss/Cyclops.dbr 4 0 0' \
    'place Records/Creatures/Boss/Cyclops.dbr 1 2' 'at 2 wake Records/Creatures/Boss/Cyclops.dbr' >"$folder/Levels/Broken.lvl"
broken=$("$gamehost" --quiet --data "$folder" --level Broken --frames 2 2>&1) && { echo "FAIL: the broken level ran"; exit 1; }
[ "$(tail -1 <<<"$broken")" = "gamehost: $folder/Levels/Broken.lvl: line 3 \"place Records/Creatures/Boss/Cyclops.dbr 1 2\" does not parse (place RECORD X Y Z, each coordinate within 10000)" ] ||
    { echo "FAIL: the broken line was not named"; tail -3 <<<"$broken"; exit 1; }
grep -q "placed at" <<<"$broken" && { echo "FAIL: the broken level placed something"; exit 1; }
# A strike for an amount of life is no step of a level (the host deals no blow): a level
# that asks for one is refused by that line.
printf '%s\n' 'player Records/Creatures/ArenaPlayer.dbr 0 0 0' 'at 2 strike Records/Creatures/Boss/Cyclops.dbr 4000' \
    >"$folder/Levels/Struck.lvl"
struck=$("$gamehost" --quiet --data "$folder" --level Struck --frames 2 2>&1) && { echo "FAIL: a scripted strike was taken"; exit 1; }
grep -q 'Struck.lvl: line 2 .*does not parse' <<<"$struck" || { echo "FAIL: the strike's line was not named"; exit 1; }
echo "PASS"
