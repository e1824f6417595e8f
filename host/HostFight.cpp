#include "host/HostFight.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/EnumConverter.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/ItemEquipment.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

constexpr const char* kCombatRecord = "Records/Game/Combat.dbr";
// The two fighters come from their records: gender, size, team, sounds; the combat record
// is the game-wide default that every character without its own takes.
constexpr const char* kPlayerRecord = "Records/Creatures/ArenaPlayer.dbr";
// The player's sword carries a suffix (its own jitter and a group of damage that applies
// together); the monster's armour, with a prefix and a suffix, protects it and strikes
// back with one of two elements.
constexpr const char* kSwordRecord = "Records/Item/ArenaSword.dbr";
constexpr const char* kSwordSuffixRecord = "Records/Item/Affix/SuffixOfSparks.dbr";
constexpr const char* kArmorRecord = "Records/Item/ArenaMail.dbr";
constexpr const char* kArmorPrefixRecord = "Records/Item/Affix/PrefixSturdy.dbr";
constexpr const char* kArmorSuffixRecord = "Records/Item/Affix/SuffixOfWarding.dbr";
// The monster comes from its own record (its resistances) and knows a passive skill.
constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
constexpr const char* kSkillRecord = "Records/Skills/ArenaToughness.dbr";
constexpr unsigned kSkillLevel = 2;
// The player attribute pack's lines are shown at the first balance level.
constexpr unsigned kPackLevel = 1;
// Fixed item seeds: every run rolls the same items.
constexpr uint32_t kSwordSeed = 4711;
constexpr uint32_t kArmorSeed = 815;
constexpr uint32_t kArenaRegionId = 1;
constexpr int kAttackIntervalMs = 1000;


// A character made from its record, placed in the arena; its record, size and team are
// printed.
template <class T>
T* Place(const char* recordName, const char* role, const Vec3& position)
{
    auto* character = ObjectManager::Get().CreateObjectFromFile<T>(recordName);
    if (!character)
        return nullptr;
    const Team team = character->GetTeam();
    std::printf("gamehost: the %s comes from %s: size %s, team %u/%u\n", role, recordName,
                EnumConverter::GetEnumAsString(character->GetSize()).c_str(), team.GetTeamMajor(), team.GetTeamMinor());
    Region* region = World::Get().GetRegionById(kArenaRegionId);
    if (!region)
        region = World::Get().AddRegion(kArenaRegionId, "Arena");
    Coords frame;
    frame.origin = position;
    World::Get().AddEntity(character, WorldCoords(region, frame));
    return character;
}

// An item rebuilt from its identity, as every peer rebuilds it; null when its record does
// not make equipment.
ItemEquipment* MakeItem(const char* recordName, const char* prefixName, const char* suffixName, uint32_t seed)
{
    ItemReplicaInfo identity;
    identity.baseName = recordName;
    identity.prefixName = prefixName;
    identity.suffixName = suffixName;
    identity.seed = seed;
    Item* item = Item::CreateItem(identity);
    auto* equipment = DynamicCast<ItemEquipment>(item);
    if (!equipment) {
        if (item)
            ObjectManager::Get().DestroyObjectEx(item, "HostFight", __LINE__);
        return nullptr;
    }
    return equipment;
}

void PrintLines(const char* name, const std::vector<std::u16string>& lines)
{
    for (const std::u16string& line : lines)
        std::printf("gamehost: %s: %s\n", name, LocalizationManager::ToChar(line).c_str());
}

// An item's tool tip: its name, then its stores' lines in the order of the families:
// damage, defence, retaliation, character, skill (each store's lists in order).
void PrintToolTip(const char* name, const ItemEquipment& item)
{
    if (const std::u16string title = item.GetGameDescription(false); !title.empty())
        PrintLines(name, {title});
    const unsigned level = ItemEquipment::kAttributeLevel;
    DamageAttribute::TextList texts1, texts2, texts3, base, bonus;
    item.GetDamageAttrStore().CreateText(texts1, texts2, texts3, level);
    item.GetDefenseAttrStore().CreateText(base, bonus, level);
    for (const DamageAttribute::TextList* texts : {&texts1, &texts2, &texts3, &base, &bonus})
        PrintLines(name, *texts);
    texts1.clear();
    texts2.clear();
    texts3.clear();
    base.clear();
    bonus.clear();
    item.GetRetaliationAttrStore().CreateText(texts1, texts2, texts3, level);
    item.GetCharAttrStore().CreateText(base, bonus, level);
    item.GetSkillAttrStore().CreateText(bonus, level);
    for (const DamageAttribute::TextList* texts : {&texts1, &texts2, &texts3, &base, &bonus})
        PrintLines(name, *texts);
}

// The lines of the game-wide bonuses every player has.
void PrintPlayerPack()
{
    std::vector<GameTextLine> lines;
    gGameEngine->GetPlayerAttributePak().GetUIDisplayText(kPackLevel, GameTextClass::ItemBonuses, lines);
    for (const GameTextLine& line : lines)
        PrintLines("player pack", {line.text});
}

}  // namespace

bool HostFight::Start()
{
    if (!ObjectManager::Get().LoadTableFile(kCombatRecord))
        return false;
    ItemEquipment* sword = MakeItem(kSwordRecord, "", kSwordSuffixRecord, kSwordSeed);
    ItemEquipment* armor = MakeItem(kArmorRecord, kArmorPrefixRecord, kArmorSuffixRecord, kArmorSeed);
    auto* skill = ObjectManager::Get().CreateObjectFromFile<Skill>(kSkillRecord);
    m_swordId = sword ? sword->GetObjectId() : 0;
    m_armorId = armor ? armor->GetObjectId() : 0;
    m_skillId = skill ? skill->GetObjectId() : 0;
    Player* player = Place<Player>(kPlayerRecord, "player", Vec3{0.0f, 0.0f, 0.0f});
    Monster* monster = Place<Monster>(kMonsterRecord, "monster", Vec3{1.0f, 0.0f, 0.0f});
    if (!sword || !armor || !skill || !player || !monster)
        return false;
    player->GetCombatManager().GetEquipManager().SetRightHand(m_swordId);
    monster->GetCombatManager().GetEquipManager().SetBodyArmor(m_armorId);
    skill->SetSkillLevel(kSkillLevel);
    monster->GetSkillManager().AddToActiveList(skill);
    player->SetPlayerName(u"Hero");
    // Life and mana come from the records: the first update fills them.
    for (Character* fighter : std::initializer_list<Character*>{player, monster}) {
        fighter->GetCharacterBio().InitialUpdate(*fighter);
        fighter->GetCharacterBio().Update(*fighter, 0);
    }
    m_playerId = player->GetObjectId();
    m_monsterId = monster->GetObjectId();
    std::printf("gamehost: a player (%u) and a monster (%u) face each other\n", m_playerId, m_monsterId);
    for (const Character* fighter : std::initializer_list<const Character*>{player, monster})
        std::printf("gamehost: %s: life %.0f of %.0f, mana %.0f of %.0f\n", fighter == player ? "player" : "monster",
                    fighter->GetCurrentLife(), fighter->GetLifeLimit(), fighter->GetCurrentMana(),
                    fighter->GetCharacterBio().GetManaLimit());
    PrintToolTip("sword", *sword);
    PrintToolTip("armour", *armor);
    PrintPlayerPack();
    return true;
}

void HostFight::Update(int frame, int ms)
{
    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.GetObject<Player>(m_playerId);
    auto* monster = objects.GetObject<Monster>(m_monsterId);
    auto* sword = objects.GetObject<ItemEquipment>(m_swordId);
    if (!player || !monster || !sword)
        return;
    // Bio, combat manager and statistics run in each fighter's own frame (the world's walk).
    if (!monster->IsAlive() || monster->GetCurrentLife() <= 0.0f) {
        if (!m_reportedDeath)
            std::printf("frame %d: the monster falls after %d attacks\n", frame, m_attacks);
        m_reportedDeath = true;
        return;
    }
    m_sinceAttack += ms;
    if (m_sinceAttack < kAttackIntervalMs)
        return;
    m_sinceAttack = 0;

    // The attacker's side of one melee strike: the sword's damage, then its modifiers.
    ParametersCombat attack(gGameEngine->GetRandomGen());
    attack.attackerId = m_playerId;
    attack.combatType = ParametersCombatStyle::Probability;
    attack.offensiveAbility = player->GetTotalCharAttribute(CharAttributeType_OffensiveAbility);
    sword->GetOffensiveDamageAttributes(attack.accumulator);
    sword->GetOffensiveModifierAttributes(attack.accumulator);
    attack.accumulator.ProcessDamage(*player, 0.0f, 0.0f, 0.0f, 0.0f);

    // A hit may bring the monster's armour's retaliation back on the player.
    const float before = monster->GetCurrentLife();
    const float playerBefore = player->GetCurrentLife();
    const bool hit = monster->TakeAttack(attack);
    ++m_attacks;
    std::printf("frame %d: the player strikes: %s, monster life %.1f -> %.1f\n", frame, hit ? "hit" : "miss", before,
                monster->GetCurrentLife());
    if (player->GetCurrentLife() < playerBefore)
        std::printf("frame %d: the monster's armour strikes back: player life %.1f -> %.1f\n", frame, playerBefore,
                    player->GetCurrentLife());
}

void HostFight::Stop()
{
    ObjectManager& objects = ObjectManager::Get();
    // The run ends with what the player did, as its statistics tell it.
    if (auto* player = objects.GetObject<Player>(m_playerId)) {
        std::fflush(stdout);   // the log goes to standard error: keep the order
        player->GetPlayStats().Dump();
    }
    for (uint32_t id : {m_playerId, m_monsterId, m_swordId, m_armorId, m_skillId})
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, "HostFight", __LINE__);
    objects.FlushDestroyedObjects();
    m_playerId = m_monsterId = m_swordId = m_armorId = m_skillId = 0;
}

}  // namespace GAME
