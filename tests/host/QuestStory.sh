#!/usr/bin/env bash
# The bundled level's quest: the quest giver's conversation, the arena pack's kill and the
# shrine complete its three steps in order, with the journal and the rewards printed: from
# frame 240, the pack cleared, the player walks to the shrine and is rewarded on the frame
# the shrine tells of its entry. A run whose frame 240 comes before the kill walks nowhere
# and is paid nothing. A run saved after the first step and loaded again resumes it: the
# first step is not done again and the quest completes.
set -u
gamehost=$1
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
whole=$("$gamehost" --quiet --frames 260 --step 250 2>/dev/null) || { echo "FAIL: the run failed"; exit 1; }
expect() { grep -q "$2" <<<"$1" || { echo "FAIL: no line matches: $2"; exit 1; }; }
expect "$whole" '^gamehost: quest "The Arena Trial" loaded from Levels/Quests/ArenaTrial.qst: 3 steps'
expect "$whole" '^event: frame 3: GameEvent_InheritQuest'
expect "$whole" '^journal: frame 3: "The Arena Trial" step 1 "Hear the quest giver" done; next: Clear the arena'
expect "$whole" '^journal: frame [0-9]*: "The Arena Trial" step 2 "Clear the arena pack" done'
expect "$whole" '^quest: frame 240: the player walks to the shrine, [0-9.]* units away: a move$'
# The frame the shrine told of the player's entry: the step and the rewards come with it.
reached() { sed -n 's/^quest: frame \([0-9]*\): the player reaches the shrine$/\1/p' <<<"$1"; }
at=$(reached "$whole")
[ -n "$at" ] && [ "$at" -gt 240 ] || { echo "FAIL: the shrine was not walked to (reached at '$at')"; exit 1; }
expect "$whole" "^journal: frame $at: \"The Arena Trial\" step 3 \"Reach the shrine\" done"
expect "$whole" "^journal: frame $at: \"The Arena Trial\" complete; reward: 150 gold, 500 experience"
# The last step's actions: gold, an item drawn from the quest's loot table, experience,
# each announced for the quest, and the journal entry with the quest's rewards.
expect "$whole" "^reward banner: frame $at: \"150 Gold\"$"
expect "$whole" "^reward entry: frame $at: The Arena Trial, The Arena: \"Helm\"$"
expect "$whole" "^reward entry: frame $at: The Arena Trial, The Arena: \"500 Experience\"$"
expect "$whole" "^journal entry: frame $at: The Arena Trial, The Arena: Return victorious.; rewards 150 gold, 500 experience, A trial.s laurel, 0 skill and 0 attribute points; the quest is done (with its sound)$"
[ "$(grep -c '^reward banner: frame [0-9]*:' <<<"$whole")" = 3 ] || { echo "FAIL: not three rewards"; exit 1; }
[ "$(grep -c 'GameEvent_InheritQuest' <<<"$whole")" = 1 ] || { echo "FAIL: the quest was taken more than once"; exit 1; }

# Short frames: at frame 240 the monster lives, so the player walks nowhere and nothing is paid.
early=$("$gamehost" --quiet --frames 300 --step 16 2>/dev/null) || { echo "FAIL: the short-frame run failed"; exit 1; }
grep -q 'the player walks to the shrine\|reward banner\|step 3 .* done\|step 2 .* done' <<<"$early" &&
    { echo "FAIL: the quest went on while the pack lived"; exit 1; }

"$gamehost" --quiet --frames 100 --step 250 --save "$folder/hero.chr" >/dev/null 2>&1 || { echo "FAIL: the save run failed"; exit 1; }
[ -f "$folder/hero.chr.quests/quests.sav" ] || { echo "FAIL: no quest state"; exit 1; }
[ "$(ls "$folder/hero.chr.quests"/*.que | wc -l)" = 1 ] || { echo "FAIL: no quest state file"; exit 1; }
resumed=$("$gamehost" --quiet --frames 260 --step 250 --load "$folder/hero.chr" 2>/dev/null) || { echo "FAIL: the load run failed"; exit 1; }
expect "$resumed" '^gamehost: quest state read from .*: 1 fired trigger, quest active'
expect "$resumed" '^gamehost: quest step 1 "Hear the quest giver" was done before the save'
at=$(reached "$resumed")
[ -n "$at" ] || { echo "FAIL: the resumed run never reached the shrine"; exit 1; }
expect "$resumed" "^journal: frame $at: \"The Arena Trial\" complete"
expect "$resumed" "^reward banner: frame $at: \"150 Gold\"$"
grep -q 'GameEvent_InheritQuest\|step 1 "Hear the quest giver" done' <<<"$resumed" && { echo "FAIL: the first step was done again"; exit 1; }
echo "PASS"
