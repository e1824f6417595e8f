#!/usr/bin/env bash
# Each bad input refuses the run before the game starts: its exit status is 2, standard
# output is empty, standard error holds one line that names the input and the reason (an
# unknown option: after the usage), and no file is written or changed (the folder a --save
# would write to, and a save given to --load, hold the same files with the same bytes
# before and after).
set -u
gamehost=$1
data=$2
source "$(dirname "$0")/lib.sh"
work="$dir/work"
mkdir -p "$work"

# shadow FROM TO: the folder TO holds a link to each entry of FROM, which can be taken out
# or replaced one by one.
shadow() { mkdir -p "$2"; for entry in "$1"/*; do ln -s "$entry" "$2/"; done; }
# A copy of the data folder whose levels and quests can be broken: every entry linked but
# the levels, which are copied.
copy="$dir/data"
shadow "$data" "$copy"
rm "$copy/Levels"
mkdir -p "$copy/Levels"
shadow "$data/Levels/Quests" "$copy/Levels/Quests"
cp "$data/Levels/BossArena.lvl" "$data/Levels/village.lvl" "$copy/Levels/"

village=(--quiet --level village --input "$data/Input/Village.txt" --frames 800 --step 250)
listing() { (cd "$work" && find . -type f -print0 | sort -z | xargs -0 -r md5sum); }

# refused NAME LINE ARGS...: the run exits 2, prints nothing on standard output and LINE
# (a pattern matched whole) alone on standard error ($dir/NAME.txt; the unknown option
# after the usage), and the work folder is as it was.
refused() {
    local name=$1 last=$2 before status=0
    shift 2
    before=$(listing)
    "$gamehost" "$@" >"$dir/$name.out" 2>"$dir/$name.txt" || status=$?
    [ "$status" -eq 2 ] || fail "$name: exit status $status, not 2"
    [ -s "$dir/$name.out" ] && fail "$name: standard output is not empty: $(head -c 300 "$dir/$name.out")"
    tail -1 "$dir/$name.txt" | grep -qx -- "$last" || fail "$name: the line on standard error is not: $last"
    if [ "$name" = unknown_option ]; then
        head -n -1 "$dir/$name.txt" | grep -v '^usage: gamehost \|^                [[F]' && fail "$name: more than the usage"
    else
        [ "$(wc -l <"$dir/$name.txt")" -eq 1 ] || fail "$name: more than one line on standard error"
    fi
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
refused step_then_option 'gamehost: --step: needs a value' --step --quiet
refused client_nowhere 'gamehost: --role client: a client needs the server to join (--connect HOST:PORT)' \
    --quiet --role client --frames 10
refused server_nowhere 'gamehost: --role server: a server needs the port to listen on (--listen PORT)' \
    --quiet --role server --frames 10
refused no_clients 'gamehost: --clients 0: a server waits for 1 to 15 clients' \
    --quiet --role server --listen 0 --level village --clients 0 --frames 10
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
printf 'player Records/Creatures/ArenaPlayer.dbr 0 0 0\nplace Records/Creatures/Arena\0Player.dbr 1 0 0\n' >"$copy/Levels/NulRecord.lvl"
refused nul_record "gamehost: $copy/Levels/NulRecord.lvl: line 2 \"place Records/Creatures/Arena\\\\x00Player.dbr 1 0 0\" does not parse (.*)" \
    --quiet --data "$copy" --level NulRecord
printf 'player Records/Creatures/ArenaPlayer.dbr 0 0 0\nplace Records/\377Creatures/Arena.dbr 1 0 0\n' >"$copy/Levels/NoText.lvl"
refused no_text "gamehost: $copy/Levels/NoText.lvl: line 2 \"place Records/\\\\xffCreatures/Arena.dbr 1 0 0\" does not parse (.*)" \
    --quiet --data "$copy" --level NoText
printf 'player Records/Creatures/ArenaPlayer.dbr 0 0 0\nplayer Records/Creatures/ArenaPlayer.dbr 2 0 0\n' >"$copy/Levels/TwoPlayers.lvl"
refused two_players "gamehost: $copy/Levels/TwoPlayers.lvl: line 2 \"player .*\" does not parse (a level has one player line)" \
    --quiet --data "$copy" --level TwoPlayers
mkdir "$copy/Levels/Folder.lvl"
refused level_folder "gamehost: $copy/Levels/Folder.lvl: is a folder, not a file" --quiet --data "$copy" --level Folder
# A byte order mark before the first line is no part of it: the level plays.
{ printf '\357\273\277'; cat "$data/Levels/BossArena.lvl"; } >"$copy/Levels/Marked.lvl"
"$gamehost" --quiet --data "$copy" --level Marked --frames 2 >"$dir/marked.out" 2>&1
grep -q '^gamehost: level Marked: ' "$dir/marked.out" || fail "a level after a byte order mark is not played"
printf "$(printf '\\%03o' $(seq 128 255) $(seq 128 255))" >"$copy/Levels/Bytes.lvl"
refused bytes "gamehost: $copy/Levels/Bytes.lvl: line 1 \"\\\\x80.*\.\.\.\" does not parse (.*)" \
    --quiet --data "$copy" --level Bytes
tail -1 "$dir/bytes.txt" | LC_ALL=C grep -q '[^[:print:]]' && fail "bytes: the reason holds bytes that are not printable"
[ "$(tail -1 "$dir/bytes.txt" | wc -c)" -lt 600 ] || fail "bytes: the reason is not bounded"

# What the bundled run plays is checked before it starts: its player's and monster's
# records, and its quest.
lean="$dir/lean"
shadow "$data" "$lean"
rm "$lean/Records"
shadow "$data/Records" "$lean/Records"
rm "$lean/Records/Creatures"
shadow "$data/Records/Creatures" "$lean/Records/Creatures"
rm "$lean/Records/Creatures/ArenaPlayer.dbr"
refused no_arena_player "gamehost: --data $lean: the player's record Records/Creatures/ArenaPlayer.dbr does not exist" \
    --quiet --data "$lean"
ln -s "$data/Records/Creatures/ArenaPlayer.dbr" "$lean/Records/Creatures/"
rm "$lean/Records/Creatures/ArenaMonster.dbr"
{ echo 'Class Monster'; tail -n +2 "$data/Records/Creatures/ArenaMonster.dbr"; } >"$lean/Records/Creatures/ArenaMonster.dbr"
refused broken_monster "gamehost: --data $lean: the monster's record Records/Creatures/ArenaMonster.dbr makes no monster (its class is \"\"; .*(1): record line does not parse.*)" \
    --quiet --data "$lean" --frames 2
ln -sf "$data/Records/Creatures/ArenaMonster.dbr" "$lean/Records/Creatures/"
rm "$lean/Records/Creatures/ArenaBystander.dbr"
refused no_bystander "gamehost: --data $lean: the bystander's record Records/Creatures/ArenaBystander.dbr does not exist" \
    --quiet --data "$lean" --frames 2
ln -s "$data/Records/Creatures/ArenaBystander.dbr" "$lean/Records/Creatures/"
# A fight that still cannot start (a skill of it missing) is no run done.
rm "$lean/Records/Skills"
shadow "$data/Records/Skills" "$lean/Records/Skills"
rm "$lean/Records/Skills/ArenaToughness.dbr"
status=0
"$gamehost" --quiet --data "$lean" --frames 2 >"$dir/no_skill.txt" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "no_skill: exit status $status, not 1"
grep -qx 'gamehost: the run ended short: its fight could not be started' "$dir/no_skill.txt" || fail "no_skill: no line says why"
ln -s "$data/Records/Skills/ArenaToughness.dbr" "$lean/Records/Skills/"
rm "$lean/Levels"
refused no_levels "gamehost: --data $lean: the quest Levels/Quests/ArenaTrial.qst does not exist" --quiet --data "$lean"
# A library that loads but is not the game library.
engine="$(dirname "$gamehost")/../Engine/libEngine.so"
refused engine_library "gamehost: --library $engine: no game library (it names itself libEngine.so, and the session plays the library named libGame.so)" \
    --quiet --library "$engine" --frames 2
# The records every game reads are there before it starts; a record that is a folder, or a
# device that never ends, is said to be so; a value that does not read as a number is told
# once, and the run plays on.
rm "$lean/Records/Controllers"
shadow "$data/Records/Controllers" "$lean/Records/Controllers"
rm "$lean/Records/Controllers/Monster"
shadow "$data/Records/Controllers/Monster" "$lean/Records/Controllers/Monster"
rm "$lean/Records/Controllers/Monster/DefaultControllerAI.dbr"
refused no_default_mind "gamehost: --data $lean: the default monster mind's record Records/Controllers/Monster/DefaultControllerAI.dbr does not exist" \
    --quiet --data "$lean" --frames 2
ln -s "$data/Records/Controllers/Monster/DefaultControllerAI.dbr" "$lean/Records/Controllers/Monster/"
rm "$lean/Records/Game"
shadow "$data/Records/Game" "$lean/Records/Game"
ln -sf /dev/zero "$lean/Records/Game/HealthManaRegen.dbr"
refused device_record "gamehost: --data $lean: Records/Game/HealthManaRegen.dbr is not a regular file (a character device)" \
    --quiet --data "$lean" --frames 2
rm "$lean/Records/Game/HealthManaRegen.dbr" && mkdir "$lean/Records/Game/HealthManaRegen.dbr"
refused folder_record "gamehost: --data $lean: the regeneration's record Records/Game/HealthManaRegen.dbr is a folder, not a file" \
    --quiet --data "$lean" --frames 2
rmdir "$lean/Records/Game/HealthManaRegen.dbr" && ln -s "$data/Records/Game/HealthManaRegen.dbr" "$lean/Records/Game/"
ln -s "$data/Levels" "$lean/"
rm "$lean/Records/Creatures/ArenaPlayer.dbr"
sed 's/^characterLife,.*/characterLife,1e40,/' "$data/Records/Creatures/ArenaPlayer.dbr" >"$lean/Records/Creatures/ArenaPlayer.dbr"
"$gamehost" --quiet --data "$lean" --frames 20 >"$dir/big_life.out" 2>"$dir/big_life.txt"
[ "$(grep -c 'does not read as' "$dir/big_life.txt")" = 1 ] &&
    grep -q '^\[warning\] record Records/Creatures/ArenaPlayer.dbr: characterLife "1e40" does not read as numbers; read as 0$' "$dir/big_life.txt" ||
    fail "big_life: the value that does not read is not told once with its record and field"
ln -sf "$data/Records/Creatures/ArenaPlayer.dbr" "$lean/Records/Creatures/"
# Files a user names that never end, and options said wrong.
refused device_input "gamehost: --input /dev/zero: is larger than [0-9]* bytes" --quiet --frames 2 --input /dev/zero
ln -s /dev/zero "$copy/Levels/Zero.lvl"
refused device_level "gamehost: $copy/Levels/Zero.lvl: is not a regular file (a character device)" --quiet --data "$copy" --level Zero
refused step_range "gamehost: --step 1000001: not a whole number of ms from 1 to 1000000" --quiet --step 1000001
refused step_word "gamehost: --step abc: not a whole number of ms from 1 to 1000000" --quiet --step abc
refused frames_blank "gamehost: --frames  5: not a whole number from 0 to 1000000" --quiet --frames " 5"
refused frames_sign "gamehost: --frames +5: not a whole number from 0 to 1000000" --quiet --frames +5
refused far_port "gamehost: --connect 127.0.0.1:99999: the port 99999 is not a whole number from 1 to 65535" \
    --quiet --role client --connect 127.0.0.1:99999
refused data_file "gamehost: --data $data/Levels/BossArena.lvl: is a file, not a folder" --quiet --data "$data/Levels/BossArena.lvl"
# A village's quest missing, or cut short.
cp "$data/Levels/village.lvl" "$copy/Levels/"
rm "$copy/Levels/Quests/VillageRoad.qst"
refused village_no_quest "gamehost: --level village: the quest Levels/Quests/VillageRoad.qst does not exist" \
    "${village[@]}" --data "$copy"
head -c 100 "$data/Levels/Quests/VillageRoad.qst" >"$copy/Levels/Quests/VillageRoad.qst"
refused village_cut_quest "gamehost: --level village: the quest Levels/Quests/VillageRoad.qst does not read (.*)" \
    "${village[@]}" --data "$copy"
ln -sf "$data/Levels/Quests/VillageRoad.qst" "$copy/Levels/Quests/"
# Clients are a village's; a level is named without its file's extension.
refused arena_clients "gamehost: --clients 2: only a village's server waits for clients (the level BossArena is no village)" \
    --quiet --role server --listen 0 --level BossArena --clients 2
refused clients_word 'gamehost: --clients abc: not a whole number from 1 to 15' \
    --quiet --role server --listen 0 --level village --clients abc
refused level_file "gamehost: --level village.lvl: a level is named without its .lvl (--level village)" \
    --quiet --level village.lvl
# Every part a save writes is checked at the start.
mkdir "$work/new.chr.tokens"
refused tokens_folder "gamehost: --save $work/new.chr: $work/new.chr.tokens is a folder, not a file" \
    --quiet --frames 2400 --step 250 --save "$work/new.chr"
rmdir "$work/new.chr.tokens"
mkdir "$work/new.chr.village"
refused progress_folder "gamehost: --save $work/new.chr: $work/new.chr.village is a folder, not a file" \
    "${village[@]}" --save "$work/new.chr"
rmdir "$work/new.chr.village"

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
refused bad_quest_state "gamehost: --load $work/hero.chr: the quest state in $work/hero.chr.quests does not read (quests.sav: .*)" \
    "${village[@]}" --load "$work/hero.chr"
grep -q '^[a-z ]*: frame [0-9]*: ' "$dir/bad_quest_state.out" && fail "a frame was played beside a broken quest state"
cp "$dir/quests.sav" "$work/hero.chr.quests/"
mv "$work/hero.chr.village" "$dir/progress"
refused no_progress "gamehost: --load $work/hero.chr: $work/hero.chr.village does not exist (.*)" \
    "${village[@]}" --load "$work/hero.chr"
mv "$dir/progress" "$work/hero.chr.village"

# A folder no file can be made in (root makes files anywhere but in /proc).
if [ "$(id -u)" -eq 0 ]; then locked=/proc; else locked="$dir/locked"; mkdir "$locked"; chmod 500 "$locked"; fi
refused locked_save "gamehost: --save $locked/hero.chr: the folder $locked cannot be written (.*)" \
    --quiet --frames 2 --save "$locked/hero.chr"
# The bundled run's save alike.
"$gamehost" --quiet --frames 100 --step 250 --save "$work/fight.chr" >"$dir/fight.txt" 2>&1 || fail "the fight was not saved"
cp "$work/fight.chr.quests/quests.sav" "$dir/fight.sav"
head -c 40 "$dir/quests.sav" >"$work/fight.chr.quests/quests.sav"
refused fight_quest_state "gamehost: --load $work/fight.chr: the quest state in $work/fight.chr.quests does not read (quests.sav: .*)" \
    --quiet --frames 100 --step 250 --load "$work/fight.chr" --save "$work/fight.chr"
cp "$dir/fight.sav" "$work/fight.chr.quests/quests.sav"
cp "$work/fight.chr" "$dir/fight.chr"
head -c 100 "$dir/fight.chr" >"$work/fight.chr"
refused fight_character "gamehost: --load $work/fight.chr: $work/fight.chr does not read (the bytes end .*)" \
    --quiet --frames 100 --step 250 --load "$work/fight.chr"
cp "$dir/fight.chr" "$work/fight.chr"
# A save of one level read as another's: the fight's save beside a village's progress, and
# the village's save in the bundled run. The quest would be dropped and played from nothing.
cp "$work/hero.chr.village" "$work/fight.chr.village"
refused other_village "gamehost: --load $work/fight.chr: $work/fight.chr.village is no part of this save ($work/fight.chr.id does not list it)" \
    "${village[@]}" --load "$work/fight.chr"
rm "$work/fight.chr.village"
# ... and a village's save read beside a quest file changed since (one byte of its title).
rm "$copy/Levels/Quests/VillageRoad.qst"
cp "$data/Levels/Quests/VillageRoad.qst" "$copy/Levels/Quests/"
printf 'X' | dd of="$copy/Levels/Quests/VillageRoad.qst" bs=1 seek=38 conv=notrunc status=none
refused changed_quest "gamehost: --load $work/hero.chr: $work/hero.chr.quests holds the state of another version of the quest Levels/Quests/VillageRoad.qst" \
    "${village[@]}" --data "$copy" --load "$work/hero.chr"
ln -sf "$data/Levels/Quests/VillageRoad.qst" "$copy/Levels/Quests/"
refused village_in_fight "gamehost: --load $work/hero.chr: $work/hero.chr.quests holds no state of the quest Levels/Quests/ArenaTrial.qst (a save of another level)" \
    --quiet --frames 100 --step 250 --load "$work/hero.chr"
# A save of a resumed run holds its quest state, and reads back.
"$gamehost" --quiet --frames 1 --load "$work/fight.chr" --save "$work/resumed.chr" >"$dir/resumed.txt" 2>&1 ||
    fail "a resumed run was not saved"
"$gamehost" --quiet --frames 1 --load "$work/resumed.chr" >"$dir/reread.txt" 2>&1 || fail "a resumed run's save does not read back"
rm -r "$work"/resumed.chr*
mv "$work/fight.chr.quests" "$dir/fight.quests"
touch "$work/fight.chr.quests"
refused quests_file "gamehost: --load $work/fight.chr: $work/fight.chr.quests is a file, not a folder (.*)" \
    --quiet --frames 100 --step 250 --load "$work/fight.chr"
rm "$work/fight.chr.quests"
mv "$dir/fight.quests" "$work/fight.chr.quests"
# A save whose quest state was taken away: its quest would play on from nothing.
rm -r "$work/fight.chr.quests"
refused fight_no_quest_state "gamehost: --load $work/fight.chr: $work/fight.chr.quests does not exist (.*)" \
    --quiet --frames 100 --step 250 --load "$work/fight.chr"
grep -q 'quest state read from' "$dir/fight_no_quest_state.out" && fail "a missing quest state was read"
mv "$work/hero.chr.quests" "$dir/hero.quests"
refused village_no_quest_state "gamehost: --load $work/hero.chr: $work/hero.chr.quests does not exist (.*)" \
    "${village[@]}" --load "$work/hero.chr"
grep -q '^[a-z ]*: frame [0-9]*: ' "$dir/village_no_quest_state.out" && fail "a frame was played without the save's quest state"
echo "PASS"
