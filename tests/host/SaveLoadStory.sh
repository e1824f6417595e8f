#!/usr/bin/env bash
# The bundled run saved and loaded. A run with --save plays as the same run without it: it
# prints the same lines but for the save's own. A run with --load plays the character it
# read: the roster, its money, its experience, its skills, its quest and its bags go on from
# what the save held, and it fights in the outfit it was saved in, not in one handed afresh.
set -u
gamehost=$1
save=$(mktemp -d)/hero.chr
trap 'rm -rf "$(dirname "$save")"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
run=(--quiet --frames 400 --step 250)
plain=$("$gamehost" "${run[@]}" 2>/dev/null) || fail "the plain run failed"
saved=$("$gamehost" "${run[@]}" --save "$save" 2>/dev/null) || fail "the saving run failed"
own='^gamehost: saved "Hero" to \|^gamehost: quest state written to '
[ "$(grep -c "$own" <<<"$saved")" = 2 ] || fail "the saving run does not say what it saved"
diff <(echo "$plain") <(grep -v "$own" <<<"$saved") || fail "a run with --save plays otherwise than one without"

loaded=$("$gamehost" "${run[@]}" --load "$save" 2>"$save.log") || fail "the loading run failed"
read -r name level experience money < <(sed -n \
    's/^gamehost: loaded "\(.*\)": level \([0-9]*\), experience \([0-9]*\), money \([0-9]*\)$/\1 \2 \3 \4/p' <<<"$loaded")
[ "$level" -ge 2 ] || fail "the save holds a player of level ${level:-none}, not one the run raised"
grep -q "^gamehost: roster: player [0-9]* \"$name\" level $level on host 0$" <<<"$loaded" ||
    fail "the roster does not hold \"$name\" of level $level"
grep -q "^fight: frame [0-9]*: the player's experience rises from $experience to " <<<"$loaded" ||
    fail "the fight's experience does not start from the save's $experience"
first=$(sed -n '/^gamehost: loaded "/,$s/.*money \([0-9]*\) -> [0-9]*$/\1/p' <<<"$loaded" | head -1)
[ "$first" = "$money" ] || fail "the first money the run changes is $first, not the save's $money"
# The tree's mastery takes its next point from the level the saving run left it at.
mastery=$(sed -n 's/^skills: window: Warfare (Skill Mastery) level \([0-9]*\) .*/\1/p' <<<"$saved" | tail -1)
grep -q "^skills: a point into Warfare: level $((mastery + 1))$" <<<"$loaded" ||
    fail "the mastery saved at level $mastery is not raised from there"
grep -q "duplicate" "$save.log" && fail "the loaded player's skills were made twice: $(grep -m1 duplicate "$save.log")"
# The quest was complete when saved: its reward is not told again, for it is not paid again.
grep -q '^gamehost: quest state read from .*, quest complete$' <<<"$loaded" || fail "the save's quest is not read complete"
grep '^journal: frame [0-9]*: .* complete; reward: ' <<<"$loaded" && fail "the loaded run tells of a reward it does not pay"
# No outfit is handed to a character that wears its own.
grep -q "^outfit: player \|^items: outfit .* tooltip" <<<"$loaded" && fail "the loaded player is handed an outfit"
# What lay in its bags when it was saved still lies there after the fight.
cells() { sed -n "s/^bags: after the fight: \(bag [0-9]* cell ([0-9]*, [0-9]*): [^,]*\).*/\1/p" <<<"$1"; }
[ -n "$(cells "$saved")" ] || fail "the saving run's bags hold nothing"
missing=$(comm -23 <(cells "$saved" | sort) <(cells "$loaded" | sort))
[ -z "$missing" ] || fail "the bags after the fight lack what the save held: $missing"
# A part of the save whose place is a folder (inside the quest state's folder too) refuses
# the run before it plays: nothing is written.
quest=$(basename "$(ls "$save.quests"/*.que | head -1)")
again=$(dirname "$save")/again.chr
for part in quests.sav "$quest"; do
    rm -rf "$again".* && mkdir -p "$again.quests/$part"
    out=$("$gamehost" --quiet --frames 10 --save "$again" 2>&1)
    rc=$?
    [ "$rc" = 2 ] && [ "$out" = "gamehost: --save $again: $again.quests/$part is a folder, not a file" ] ||
        fail "a save whose $part is a folder is not refused at the start (status $rc): $out"
    [ -e "$again" ] && fail "a refused save wrote its character"
done
# A save whose quest state cannot be put in place (its main file made immutable, as a full
# disk would refuse it) fails whole: status 1, and every part of the save before it stays
# byte for byte. Only where the file system keeps the flag, which root alone sets.
parts() { (cd "$(dirname "$save")" && find hero.chr* -type f -print0 | sort -z | xargs -0 md5sum); }
before=$(parts)
if chattr +i "$save.quests/quests.sav" 2>/dev/null; then
    out=$("$gamehost" --quiet --frames 10 --save "$save" 2>/dev/null)
    rc=$?
    chattr -i "$save.quests/quests.sav"
    [ "$rc" = 1 ] && grep -q "^gamehost: saving to $save failed: .*; no file of the save changed$" <<<"$out" ||
        fail "a save whose quest state cannot be replaced is not told failed (status $rc)"
    [ "$(parts)" = "$before" ] || fail "a failed save changed the save before it"
fi
# Parts of two saves are no save: the quest state of another save of the same quest.
rm -rf "$again".*
"$gamehost" --quiet --frames 10 --save "$again" >/dev/null 2>&1 || fail "the second save failed"
cp "$again.quests/quests.sav" "$save.quests/quests.sav"
out=$("$gamehost" --quiet --frames 10 --load "$save" 2>&1)
rc=$?
[ "$rc" = 2 ] && [ "$out" = "gamehost: --load $save: $save.quests/quests.sav differs from the part $save.id lists (it changed after the save)" ] ||
    fail "a save with another save's quest state is not refused (status $rc): $out"
echo "PASS: a saving run plays as the plain one; \"$name\" of level $level plays the loaded run"
