#!/usr/bin/env bash
# A save killed at any moment of putting itself in place (before its first rename, after
# each, after its last) leaves the save before it or the new one, whole: --load plays one
# of the two characters with its own quest state, and the next save leaves no temporary
# file. So over a save with its list of parts, over one of the earlier layout (without it),
# and where the file system has no hard links. A save removes what the earlier save's own
# list names and it has not, and nothing else; a save's bad files are refused in one line.
set -u
gamehost=$1
shim=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The shim is preloaded before the sanitizer's runtime.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0"
save=$dir/run/hero.chr
# The old save (the quest complete) and the new one a crashed run writes (the quest active).
old=(--quiet --frames 400 --step 250)
new=(--quiet --frames 10)
mkdir "$dir/old" "$dir/run"
"$gamehost" "${old[@]}" --save "$dir/old/hero.chr" >/dev/null 2>&1 || fail "the old save failed"
# What --load plays of the save: the character, its tokens and its quest state.
holds() {
    "$gamehost" --quiet --frames 1 --load "$save" 2>&1 |
        grep '^gamehost: loaded \|^gamehost: quest state read from \|^gamehost: --load ' | sed "s|$save|SAVE|g"
}
restore() {
    rm -rf "$dir/run" && cp -a "$dir/old" "$dir/run"
    [ "$1" = earlier ] && rm "$save.id"
    return 0
}
leftovers() { find "$dir/run" -name '*.tmp' -o -name '*.commit'; }
restore id
was=$(holds)
grep -q 'quest complete$' <<<"$was" || fail "the old save does not load complete: $was"
"$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1 || fail "the new save failed"
now=$(holds)
grep -q 'quest active$' <<<"$now" && [ "$now" != "$was" ] || fail "the new save does not load as its own: $now"

for layout in id earlier nolink; do
    restore "$layout"
    shimmed=(env LD_PRELOAD="$shim" SAVE_CRASH_PATH="$save")
    [ "$layout" = nolink ] && shimmed+=(SAVE_CRASH_NO_LINK=1)
    rm -f "$dir/count"
    "${shimmed[@]}" SAVE_CRASH_COUNT="$dir/count" "$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1 ||
        fail "$layout: the save failed"
    [ "$(holds)" = "$now" ] || fail "$layout: the save does not load as the new one"
    [ -z "$(leftovers)" ] || fail "$layout: the save left $(leftovers)"
    renames=$(wc -l <"$dir/count")
    [ "$renames" -ge 5 ] || fail "$layout: the save renamed $renames files"
    for n in $(seq 0 "$renames"); do
        restore "$layout"
        "${shimmed[@]}" SAVE_CRASH_AFTER="$n" "$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1
        rc=$?
        [ "$rc" = 137 ] || fail "$layout: the save was not killed at rename $n (status $rc)"
        # Half the crashes are found by the next save, half by the next load.
        if [ "$layout" = id ] && [ $((n % 2)) = 1 ]; then
            "$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1 || fail "$layout: the save after a crash at $n failed"
            [ "$(holds)" = "$now" ] || fail "$layout: the save after a crash at $n does not load"
        else
            got=$(holds)
            [ "$got" = "$was" ] || [ "$got" = "$now" ] ||
                fail "$layout: killed after rename $n, the save loads as neither run's: $got"
        fi
        [ -z "$(leftovers)" ] || fail "$layout: killed after rename $n, the next run left $(leftovers)"
    done
done

# A bundled save over a village's removes the village's progress and quest, which its list
# names; files no save listed stay, in a fresh save's quest folder (another folder, through
# a link) as beside a save.
rm -rf "$dir/run" && mkdir "$dir/run" "$dir/elsewhere"
"$gamehost" --quiet --level village --frames 205 --save "$save" >/dev/null 2>&1
[ -e "$save.village" ] || fail "the village did not save"
"$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1 || fail "the save over the village's failed"
[ -e "$save.village" ] && fail "the save left the village's progress it does not hold"
[ "$(holds)" = "$now" ] || fail "the save over the village's does not load as its own"
rm -rf "$dir/run"/* && ln -s "$dir/elsewhere" "$save.quests" && touch "$dir/elsewhere/keep.que"
"$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1 || fail "the fresh save failed"
touch "$dir/elsewhere/stray.que" "$save.village"
"$gamehost" "${new[@]}" --save "$save" >/dev/null 2>&1 || fail "the second save failed"
for file in "$dir/elsewhere/keep.que" "$dir/elsewhere/stray.que" "$save.village"; do
    [ -e "$file" ] || fail "a save removed $file, which no save listed"
done

# Bad files of a save are refused in one line: a list of parts that is a pipe (at once), a
# quest state's main file that is a folder or a pipe (said as what it is), a part changed
# in place. A refused run leaves the folder it would save to as it was.
refused() {
    local rc
    said=$(timeout 20 "$gamehost" --quiet --frames 1 "$@" 2>&1 >/dev/null)
    rc=$?
    [ "$rc" = 2 ] && [ "$(wc -l <<<"$said")" = 1 ] || fail "$* is not refused in one line (status $rc): $said"
}
restore id
rm "$save.id" && mkfifo "$save.id"
refused --load "$save"
restore id
rm "$save.quests/quests.sav" && mkdir "$save.quests/quests.sav"
refused --load "$save"
[ "$said" = "gamehost: --load $save: $save.quests/quests.sav is a folder, not a file" ] ||
    fail "a quest state's main file that is a folder is not told so: $said"
rmdir "$save.quests/quests.sav" && mkfifo "$save.quests/quests.sav"
refused --load "$save"
grep -q 'holds no' <<<"$said" && fail "a quest state's main file that is a pipe is told missing: $said"
restore id
printf 'x' | dd of="$save.tokens" bs=1 seek=20 conv=notrunc status=none
refused --load "$save"
[ "$said" = "gamehost: --load $save: $save.tokens differs from the part $save.id lists (it changed after the save)" ] ||
    fail "a part changed in place is not told so: $said"
before=$(stat -c %y "$dir/run")
refused --level BossArena --save "$save"
[ "$(stat -c %y "$dir/run")" = "$before" ] || fail "a refused run touched the folder it would save to"
echo "PASS: a save killed at any of its renames leaves the old save or the new one, whole"
