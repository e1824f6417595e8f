#!/usr/bin/env bash
# The bundled run's fight, played twice: both runs print the same story, and it is the
# intended one. The player kills the monster; its strikes go through the pool, which picks
# the plain blow and a weighted attack; the smite's chain leaves two links; the hex takes hold on the
# monster and wears off; the ward goes on and, its mana gone, off; the rally
# buffs the player a second after it is raised and the buff goes with it; the shield's pool is spent
# and it goes off; the teleport question
# still comes at 90 s. After the fight the items show: a sword's tool tip, two pieces of a
# set worn (the set's bonus in the totals, the greaves' skill level), a potion drunk and a
# gold pile used. The monsters' minds: the bystanders roam about their places, notice the
# player, pursue it and take attack slots round it (their fists cannot kill it), as the
# summoner's two creatures do; the monster
# flees once when its life runs low, and dead it leaves its treasure, a proxy that places a
# chest.
set -u
gamehost=$1
run() { "$gamehost" --quiet --frames 400 --step 250 2>/dev/null; }
first=$("$gamehost" --quiet --frames 400 --step 250 2>/dev/null) || { echo "FAIL: the run failed"; exit 1; }
second=$(run)
[ "$first" = "$second" ] || { echo "FAIL: two runs differ"; exit 1; }
expect() { grep -q "$1" <<<"$first" || { echo "FAIL: no line matches: $1"; exit 1; }; }
expect "^fight: frame [0-9]*: Arena Beast dies"
# The play statistics count every skill the player used, those the host fires itself too.
for skill in ArenaFireball:Fireball ArenaHex:Hex; do
    used=$(grep -c "^fight: frame [0-9]*: the player \(casts\|uses\) ${skill#*:} " <<<"$first")
    grep -q "^statistics:         Records/Skills/${skill%%:*}.dbr : $used$" <<<"$first" ||
        { echo "FAIL: the statistics do not count $used uses of ${skill#*:}"; grep "Records/Skills" <<<"$first"; exit 1; }
done
grep -q "the player dies" <<<"$first" && { echo "FAIL: the player dies"; exit 1; }
expect "the player uses Attack (reference [0-9]*, seed [0-9]*) on Arena Beast ([0-9]*); the pool picks Cleave$"
expect "the player uses Attack .*; the pool picks Basic Attack$"
expect "the player uses Smite (reference [0-9]*, seed [0-9]*) on Arena Beast"
[ "$(grep -c "^fight: frame [0-9]*: lightning link [0-9]* at" <<<"$first")" -ge 2 ] || { echo "FAIL: no chain"; exit 1; }
expect "the player strikes (blow [0-9]* on Bystander): hit, life"
expect "Arena Beast takes the buff Hex for 4000 ms"
expect "Arena Beast's buff Hex is removed"
expect "the player uses Dispel (reference [0-9]*) on Arena Beast"
expect "the player.s Mana Ward is on"
expect "the player's Mana Ward is off (mana 0.0)"
expect "the player's Rally is on"
expect "the player takes the buff Rally for 1500 ms"
expect "the player's buff Rally is removed"
expect "the player's Aegis pool [0-9.]* -> 0.0$"
expect "the player's Aegis is off"
expect "^teleport: frame 361: the game asks whether to travel"
for name in Bystander "Bystander Summoner"; do
    expect "^ai: frame [0-9]*: $name ([0-9]*): Idle -> Roam$"
    expect "^ai: frame [0-9]*: $name ([0-9]*): \(Idle\|Roam\) -> Pursue$"
    expect "^ai: frame [0-9]*: $name ([0-9]*): Pursue -> Attack$"
done
# The minds' lines name each creature as the game does, never by its record.
grep -q "^ai: .*Records/" <<<"$first" && { echo "FAIL: a mind's line shows a record"; exit 1; }
expect "^fight: frame [0-9]*: attack slots round the player: .*Bystander in slot [0-9]*, .*Bystander Summoner in slot [0-9]*"
# The summoner's two creatures, each of its own record, take slots too.
creatures=$(sed -n 's/^fight: frame [0-9]*: the summoner.s creature [0-9]* (\(.*\)) stands at .*/\1/p' <<<"$first" | head -2 | paste -sd'|' | sed 's/|/\\|/g')
expect "^fight: frame [0-9]*: attack slots round the player: \($creatures\) in slot [0-9]*, \($creatures\) in slot [0-9]*"
expect "^fight: frame [0-9]*: Bystander strikes (blow [0-9]* on the player): \(hit\|miss\), life"
# A hit that leaves the life shown as it was says what took it away, or what it took.
expect "^fight: frame [0-9]*: .* strikes (blow [0-9]* on the player): hit, life .* (the shield blocks part of it"
expect "^fight: frame [0-9]*: .* strikes (blow [0-9]* on the player): hit, life .* (.*the Mana Ward absorbs [0-9.]*"
unexplained=$(sed -n 's/^fight: frame [0-9]*: .* strikes (blow [0-9]* on .*): hit, life \([0-9.]*\) -> \([0-9.]*\)$/\1 \2/p' \
    <<<"$first" | awk '$1 == $2')
[ -z "$unexplained" ] || { echo "FAIL: a hit left life as it was and says not why: $unexplained"; exit 1; }
expect "^ai: frame [0-9]*: Arena Beast ([0-9]*): Attack -> Flee$"
expect "^ai: frame [0-9]*: Arena Beast ([0-9]*): Dying -> Dead$"
expect "^treasure: frame [0-9]*: the dead Arena Beast ([0-9]*) leaves Records/Proxies/ArenaTreasure.dbr at"
expect "^treasure: frame [0-9]*: Records/FixedItems/ArenaTreasureChest.dbr stands at"
# The flight comes before the death.
fled=$(grep -n "Arena Beast ([0-9]*): Attack -> Flee$" <<<"$first" | head -1 | cut -d: -f1)
died=$(grep -n "^fight: frame [0-9]*: Arena Beast dies" <<<"$first" | head -1 | cut -d: -f1)
[ "$fled" -lt "$died" ] || { echo "FAIL: the monster fled after its death"; exit 1; }
# Every skill of the window by its name, every item by its words.
expect "^skills: window: Might (Passive Skill) level 1"
grep -q "^skills: window: Records/" <<<"$first" && { echo "FAIL: a skill of the window shows its record"; exit 1; }
expect "^outfit: player main left hand: Bulwark Shield, attached$"
expect "^items: sword tooltip \[ItemNameCommon\] Keen Sword of Embers$"
expect "^items: sword tooltip \[ItemBonuses\] 4 - 7 Fire Damage$"
expect "^gamehost: the player's play statistics follow, over its play time of [0-9]* s: \"Damage per second\" is the damage of its latest play only"
expect "^items: sword tooltip \[ItemRequirements\] Required Strength: [0-9]*$"
expect "^items: Might level 1 before the greaves are attached, 2 after$"
expect "^items: set \[ItemSetComponentNotAvailable\] Warden's Bracers$"
expect "^items: set \[ItemSetBonuses\] +6 Strength$"
expect "from a stack of 3: life [0-9.]*, 150.0 more to come, 2 left$"
# The set's bonus reaches the totals, the gold pile the purse.
sums() { sed -n "s/$1/\1 \2/p" <<<"$first" | awk "{ ok = \$1 - \$2 == $2 } END { exit !ok }"; }
sums '^items: set of 2 worn: strength \([0-9.]*\) in the totals, \([0-9.]*\) without the set$' 6 ||
    { echo "FAIL: no set bonus in the totals"; exit 1; }
sums '^items: the player uses .*(250 gold): money \([0-9]*\) -> \([0-9]*\)$' -250 ||
    { echo "FAIL: the gold never reached the purse"; exit 1; }
echo "PASS: fight story"
