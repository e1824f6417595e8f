#!/usr/bin/env bash
# Each bad input refuses the run: its last line names the input and the reason, its exit
# status is 2, and no file is written or changed (the folder a --save would write to, and a
# save given to --load, hold the same files with the same bytes before and after).
set -u
gamehost=$1
data=$2
source "$(dirname "$0")/lib.sh"
work="$dir/work"
mkdir -p "$work"

# A copy of the data folder whose levels can be broken: every entry linked but the levels.
copy="$dir/data"
mkdir -p "$copy/Levels"
for entry in "$data"/*; do [ "$(basename "$entry")" = Levels ] || ln -s "$entry" "$copy/"; done
ln -s "$data/Levels/Quests" "$copy/Levels/Quests"
cp "$data/Levels/BossArena.lvl" "$data/Levels/village.lvl" "$copy/Levels/"

village=(--quiet --level village --input "$data/Input/Village.txt" --frames 800 --step 250)
listing() { (cd "$work" && find . -type f -print0 | sort -z | xargs -0 -r md5sum); }

# refused NAME LAST-LINE ARGS...: the run exits 2, its last line is LAST-LINE (a pattern
# matched whole), and the work folder is as it was.
refused() {
    local name=$1 last=$2 before status=0
    shift 2
    before=$(listing)
    "$gamehost" "$@" >"$dir/$name.txt" 2>&1 || status=$?
    [ "$status" -eq 2 ] || fail "$name: exit status $status, not 2"
    tail -1 "$dir/$name.txt" | grep -qx -- "$last" || fail "$name: the last line is not: $last"
    [ "$(listing)" = "$before" ] || fail "$name: a file was written or changed"
}

# Help is no refusal: the usage alone, and exit status 0.
"$gamehost" --help >"$dir/help.txt" 2>&1 || fail "--help: exit status $?, not 0"
head -1 "$dir/help.txt" | grep -q '^usage: gamehost ' || fail "--help: no usage"
grep -v '^ *\[\|^usage: \| FRAME for one more)$' "$dir/help.txt" && fail "--help prints more than the usage"

refused unknown_option 'gamehost: --frame: unknown option' --quiet --frame 10
refused no_value 'gamehost: --frames: needs a value' --quiet --frames
refused bad_number 'gamehost: --frames ten: not a whole number from 0 to 1000000' --frames ten
refused no_step 'gamehost: --step 0: a frame must run some game time (a whole number of ms from 1 to 1000000)' \
    --quiet --frames 300 --step 0
refused twice 'gamehost: --frames: given more than once' --quiet --frames 10 --step 250 --frames 20
refused log_twice 'gamehost: --log Combat: given more than once' --quiet --log Combat --log Combat
refused no_channel 'gamehost: --log Nope: the game has no such log channel' --quiet --log Nope --frames 1
refused no_data "gamehost: --data $dir/nowhere: no such folder" \
    --quiet --data "$dir/nowhere" --frames 2400 --step 250 --save "$work/hero.chr"
refused no_input "gamehost: --input $dir/nowhere.txt: cannot be read (No such file or directory)" \
    --quiet --frames 200 --input "$dir/nowhere.txt" --save "$work/hero.chr"
refused no_save_folder "gamehost: --save $dir/nowhere/hero.chr: no such folder $dir/nowhere" \
    --quiet --frames 2 --save "$dir/nowhere/hero.chr"
refused no_village_save "gamehost: --load $work/hero.chr: no save there ($work/hero.chr does not exist)" \
    "${village[@]}" --load "$work/hero.chr"
refused no_level "gamehost: $copy/Levels/Nowhere.lvl: cannot be read (No such file or directory)" \
    --quiet --data "$copy" --level Nowhere
refused arena_save "gamehost: --save $work/hero.chr: the level BossArena has no save point" \
    --quiet --level BossArena --frames 900 --step 100 --save "$work/hero.chr"

# A level cut inside a line is refused by that line; the village reads the level beyond its
# portal before it plays, and saves nothing.
place=$(grep -n '^place ' "$data/Levels/BossArena.lvl" | tail -1 | cut -d: -f1)
{ head -n $((place - 1)) "$data/Levels/BossArena.lvl"; sed -n "${place}p" "$data/Levels/BossArena.lvl" | cut -c1-20 | tr -d '\n'; } \
    >"$copy/Levels/BossArena.lvl"
cut=$((place - 1))
refused cut_arena "gamehost: $copy/Levels/BossArena.lvl: line $((cut + 1)) \".*\" does not parse (.*)" \
    --quiet --data "$copy" --level BossArena --seed 55 --frames 900 --step 100
refused cut_arena_beyond "gamehost: $copy/Levels/BossArena.lvl: line $((cut + 1)) .* does not parse (.*)" \
    "${village[@]}" --data "$copy" --save "$work/hero.chr"
cp "$data/Levels/BossArena.lvl" "$copy/Levels/"
portal=$(grep -n '^at [0-9]* portal ' "$data/Levels/village.lvl" | cut -d: -f1)
{ head -n $((portal - 1)) "$data/Levels/village.lvl"; sed -n "${portal}s/portal.*/port/p" "$data/Levels/village.lvl" | tr -d '\n'; } \
    >"$copy/Levels/village.lvl"
refused cut_village "gamehost: $copy/Levels/village.lvl: line $portal \"at [0-9]* port\" does not parse (.*)" \
    "${village[@]}" --data "$copy" --save "$work/hero.chr"

# A level whose player has no record, one holding NUL bytes and one of bytes that are no text:
# the reason is last, and the level's bytes are shown escaped and bounded.
printf 'player Records/Creatures/Nowhere.dbr 0 0 0\n' >"$copy/Levels/NoPlayer.lvl"
refused no_player_record "gamehost: $copy/Levels/NoPlayer.lvl: the player's record Records/Creatures/Nowhere.dbr does not exist" \
    --quiet --data "$copy" --level NoPlayer
printf 'player Records/Creatures/ArenaPlayer.dbr 0 0 0\nat 5\0wake x\n' >"$copy/Levels/Nul.lvl"
refused nul_bytes "gamehost: $copy/Levels/Nul.lvl: line 2 \"at 5\\\\x00wake x\" does not parse (.*)" \
    --quiet --data "$copy" --level Nul
printf "$(printf '\\%03o' $(seq 128 255) $(seq 128 255))" >"$copy/Levels/Bytes.lvl"
refused bytes "gamehost: $copy/Levels/Bytes.lvl: line 1 \"\\\\x80.*\.\.\.\" does not parse (.*)" \
    --quiet --data "$copy" --level Bytes
tail -1 "$dir/bytes.txt" | LC_ALL=C grep -q '[^[:print:]]' && fail "bytes: the reason holds bytes that are not printable"
[ "$(tail -1 "$dir/bytes.txt" | wc -c)" -lt 600 ] || fail "bytes: the reason is not bounded"

# A port another host listens on.
start_server listener --quiet --frames 1
refused port_in_use "gamehost: --listen $port: cannot listen on the port: Address already in use" \
    --quiet --role server --listen "$port" --frames 2
kill "$server_pid"

# A good village save, then its parts broken one at a time: each is refused before a frame
# is played, and the save is left as it was.
"$gamehost" "${village[@]}" --save "$work/hero.chr" >"$dir/saving.txt" 2>&1
[ -f "$work/hero.chr.village" ] && [ -f "$work/hero.chr.quests/quests.sav" ] || fail "the village was not saved"
refused load_and_save "gamehost: --save $work/again.chr: a run resumed from the save point (frame 200) never reaches it again" \
    "${village[@]}" --load "$work/hero.chr" --save "$work/again.chr"
cp "$work/hero.chr.quests/quests.sav" "$dir/quests.sav"
head -c 40 "$dir/quests.sav" >"$work/hero.chr.quests/quests.sav"
refused bad_quest_state "gamehost: --load $work/hero.chr: the quest state in $work/hero.chr.quests does not read" \
    "${village[@]}" --load "$work/hero.chr"
grep -q '^[a-z ]*: frame [0-9]*: ' "$dir/bad_quest_state.txt" && fail "a frame was played beside a broken quest state"
cp "$dir/quests.sav" "$work/hero.chr.quests/"
mv "$work/hero.chr.village" "$dir/progress"
refused no_progress "gamehost: --load $work/hero.chr: $work/hero.chr.village does not exist (.*)" \
    "${village[@]}" --load "$work/hero.chr"
mv "$dir/progress" "$work/hero.chr.village"

# The bundled run's save alike.
"$gamehost" --quiet --frames 100 --step 250 --save "$work/fight.chr" >"$dir/fight.txt" 2>&1 || fail "the fight was not saved"
head -c 40 "$dir/quests.sav" >"$work/fight.chr.quests/quests.sav"
refused fight_quest_state "gamehost: --load $work/fight.chr: the quest state in $work/fight.chr.quests does not read" \
    --quiet --frames 100 --step 250 --load "$work/fight.chr" --save "$work/fight.chr"
# A save whose quest state was taken away: its quest would play on from nothing.
rm -r "$work/fight.chr.quests"
refused fight_no_quest_state "gamehost: --load $work/fight.chr: $work/fight.chr.quests does not exist (.*)" \
    --quiet --frames 100 --step 250 --load "$work/fight.chr"
grep -q 'quest state read from' "$dir/fight_no_quest_state.txt" && fail "a missing quest state was read"
mv "$work/hero.chr.quests" "$dir/hero.quests"
refused village_no_quest_state "gamehost: --load $work/hero.chr: $work/hero.chr.quests does not exist (.*)" \
    "${village[@]}" --load "$work/hero.chr"
grep -q '^[a-z ]*: frame [0-9]*: ' "$dir/village_no_quest_state.txt" && fail "a frame was played without the save's quest state"
echo "PASS"
