#!/usr/bin/env bash
# No file the host is given can hold it: a FIFO in place of a save's list, the library, a
# record, an animation, a level or a text, and an input script nobody writes, each refuses the
# run within seconds (a run that waits is ended by `timeout` and fails) with exit status 2 and
# one line; so do a data file past its bound, a library cut short, a text table that is a
# device and an empty record every run needs. A script given through a pipe plays the clicks
# the same file given by name plays.
set -u
gamehost=$1
data=$(realpath "$2")
input="$data/Input/Fight.txt"
source "$(dirname "$0")/lib.sh"

# refused NAME LINE ARGS...: the run ends by itself with exit status 2, nothing on standard
# output and LINE (a pattern matched whole) alone on standard error.
refused() {
    local name=$1 line=$2 status=0
    shift 2
    timeout 60 "$gamehost" --quiet --frames 2 "$@" >"$dir/$name.out" 2>"$dir/$name.txt" || status=$?
    [ "$status" -eq 2 ] || fail "$name: exit status $status, not 2"
    [ -s "$dir/$name.out" ] && fail "$name: standard output is not empty"
    [ "$(wc -l <"$dir/$name.txt")" -eq 1 ] && grep -qx -- "$line" "$dir/$name.txt" ||
        fail "$name: the line on standard error is not: $line"
}
# in_place FILE: FILE of the data copy becomes a FIFO nobody writes to (put back by restore).
copy="$dir/data"
cp -rs "$data" "$copy"
in_place() { mv "$copy/$1" "$copy/$1.kept" && mkfifo "$copy/$1"; }
restore() { rm "$copy/$1" && mv "$copy/$1.kept" "$copy/$1"; }

for file in Records/Game/HealthManaRegen.dbr Animations/Fighter/Run.anm Text/English.txt; do
    in_place "$file"
    refused "fifo_${file##*/}" "gamehost: --data $copy: $file is not a regular file (a FIFO)" --data "$copy"
    restore "$file"
done
mkfifo "$copy/Levels/Pipe.lvl"
refused fifo_level "gamehost: $copy/Levels/Pipe.lvl: is not a regular file (a FIFO)" --data "$copy" --level Pipe
mkfifo "$dir/clicks.fifo"
refused fifo_input "gamehost: --input $dir/clicks.fifo: sent nothing for [0-9]* ms (.*)" --input "$dir/clicks.fifo"
mkfifo "$dir/lib.fifo"
refused fifo_library "gamehost: --library $dir/lib.fifo: is not a regular file (a FIFO)" --library "$dir/lib.fifo"
library="$(dirname "$gamehost")/../Game/libGame.so"
head -c 100000 "$library" >"$dir/libGame.so"
refused cut_library "gamehost: --library $dir/libGame.so: no game library (.*)" --library "$dir/libGame.so"

timeout 120 "$gamehost" --quiet --frames 20 --save "$dir/hero.chr" >"$dir/save.txt" 2>&1 || fail "the save run failed"
rm "$dir/hero.chr.id" && mkfifo "$dir/hero.chr.id"
refused fifo_save_id "gamehost: --load $dir/hero.chr: $dir/hero.chr.id is not a regular file (a FIFO) (.*)" \
    --load "$dir/hero.chr"

head -c 70000 /dev/zero | tr '\0' '#' >"$copy/Animations/Fighter/Long.anm"
refused long_animation "gamehost: --data $copy: Animations/Fighter/Long.anm is larger than 65536 bytes" --data "$copy"
rm "$copy/Animations/Fighter/Long.anm"
ln -s /dev/zero "$copy/Text/Zero.txt"
refused device_text "gamehost: --data $copy: Text/Zero.txt is not a regular file (a character device)" --data "$copy"
rm "$copy/Text/Zero.txt"
rm "$copy/Records/Game/HealthManaRegen.dbr" && : >"$copy/Records/Game/HealthManaRegen.dbr"
refused empty_record "gamehost: --data $copy: the regeneration's record Records/Game/HealthManaRegen.dbr holds no values (it is empty)" \
    --data "$copy"
ln -sf "$data/Records/Game/HealthManaRegen.dbr" "$copy/Records/Game/"
rm "$copy/Records/Controllers/Player/PlayerController.dbr"
echo 'Class,Monster,' >"$copy/Records/Controllers/Player/PlayerController.dbr"
refused mindless_record "gamehost: --data $copy: the player mind's record Records/Controllers/Player/PlayerController.dbr makes no player mind (its class is \"Monster\")" \
    --data "$copy"

# The clicks of a script read through a pipe are those of the file.
clicks() { timeout 120 "$gamehost" --quiet --frames 200 --step 250 --input "$@" 2>/dev/null | grep '^input:'; }
by_name=$(clicks "$input")
[ -n "$by_name" ] || fail "the script given by name plays no click"
[ "$(clicks <(cat "$input"))" = "$by_name" ] || fail "a script given as <(...) plays other clicks"
[ "$(cat "$input" | clicks /dev/stdin)" = "$by_name" ] || fail "a script piped to /dev/stdin plays other clicks"
echo "PASS"
