#!/usr/bin/env bash
# How the host names things, in the bundled run, the village and the boss arena: a record's
# path stands in few lines (the things nothing names: proxies, markers, music, a nameless
# chest or boulder), the play statistics aside; no two creatures share a name, wherever a
# line gives a creature's name beside its id; the blows on each creature are numbered 1, 2,
# 3, ... without a number told twice; and no creature dies twice.
#   NamesStory.sh GAMEHOST VILLAGE_INPUT
set -u
gamehost=$1
village_input=$2
fail() { echo "FAIL: $*"; exit 1; }

bundled=$("$gamehost" --quiet --frames 2400 --step 250 2>/dev/null) || fail "the bundled run failed"
village=$("$gamehost" --quiet --level village --input "$village_input" --frames 800 --step 250 2>/dev/null) ||
    fail "the village failed"
arena=$("$gamehost" --quiet --level BossArena --seed 55 --frames 900 --step 100 2>/dev/null) || fail "the arena failed"

# At most ten lines of a run show a record's path, its statistics aside.
for run in bundled village; do
    paths=$(grep -v '^statistics:' <<<"${!run}" | grep -c 'Records/')
    [ "$paths" -le 10 ] || { grep -v '^statistics:' <<<"${!run}" | grep 'Records/'; fail "$run: $paths lines show a record's path"; }
    echo "$run: $paths lines with a record's path"
done

# "NAME<TAB>ID" of every line that names a creature beside its id.
named() {
    sed 's/ on the player itself (/ on the player (/' | sed -n 's/^ai: frame [0-9]*: \(.*\) (\([0-9]*\)): .*/\1\t\2/p
            s/^level: frame [0-9]*: monster \([0-9]*\) \(.*\) at (.*/\2\t\1/p
            s/^treasure: frame [0-9]*: the dead \(.*\) (\([0-9]*\)) leaves .*/\1\t\2/p
            s/^fight: frame [0-9]*: the summoner.s creature \([0-9]*\) (\(.*\)) stands at .*/\2\t\1/p
            s/^fight: frame [0-9]*: .* uses .* on \(.*\) (\([0-9]*\)).*/\1\t\2/p
            s/^gamehost: a quest giver, \(.*\) (\([0-9]*\)), .*/\1\t\2/p' | sort -u
}
for run in bundled village; do
    pairs=$(named <<<"${!run}")
    [ -n "$pairs" ] || fail "$run: no line names a creature beside its id"
    shared=$(cut -f1 <<<"$pairs" | uniq -d)
    [ -z "$shared" ] || fail "$run: creatures of other ids share a name: $(grep -F -f <(echo "$shared") <<<"$pairs" | tr '\t\n' ' ')"
    twice=$(cut -f2 <<<"$pairs" | sort | uniq -d)
    [ -z "$twice" ] || fail "$run: a creature goes by two names: $twice"
done

# What a level places it names once each (the arena beyond the village's portal too).
for run in village arena; do
    placed=$(sed -n 's/^level: \(.*\) placed at (.*/\1/p' <<<"${!run}" | grep -v 'Records/')
    [ -n "$placed" ] || fail "$run: nothing placed"
    [ -z "$(sort <<<"$placed" | uniq -d)" ] || fail "$run: placed under one name: $(sort <<<"$placed" | uniq -d | tr '\n' ' ')"
done

# The blows on each creature run 1, 2, 3, ... in the order they are told.
for run in bundled village; do
    wrong=$(sed -n 's/^fight: frame [0-9]*: .* strikes (blow \([0-9]*\) on \(.*\)): .*/\2\t\1/p' <<<"${!run}" |
        awk -F'\t' '{ if ($2 != ++count[$1]) { print $1 " blow " $2 " after " count[$1] - 1; exit } }')
    [ -z "$wrong" ] || fail "$run: the blows on one name are numbered out of turn: $wrong"
    grep -q '^fight: frame [0-9]*: .* strikes (blow 2 on ' <<<"${!run}" || fail "$run: no blows told"
done

# Each creature of the arena is dead once, the two warriors of one name among them.
dead=$(sed -n 's/^level: frame [0-9]*: \(.*\) is dead$/\1/p' <<<"$arena" | sort)
[ -n "$dead" ] || fail "nobody died in the arena"
[ -z "$(uniq -d <<<"$dead")" ] || fail "dead twice: $(uniq -d <<<"$dead" | tr '\n' ' ')"
[ "$(grep -c '^Terracotta Warrior' <<<"$dead")" = 2 ] || fail "the two warriors are not both told dead"
echo "PASS: names story"
