#include "host/HostFight.h"

#include <cstdio>
#include <memory>
#include <string>

#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/DamageAttributeKinds.h"
#include "Game/combat/DamageAttributePhysical.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"

namespace GAME {

namespace {

constexpr const char* kCombatRecord = "Records/Game/Combat.dbr";
constexpr const char* kSwordRecord = "Records/Item/ArenaSword.dbr";
constexpr const char* kMonsterRecord = "Records/Creatures/ArenaMonster.dbr";
// An item offers its attributes to an attack at level 1.
constexpr unsigned kItemLevel = 1;
constexpr uint32_t kArenaRegionId = 1;
constexpr int kAttackIntervalMs = 1000;

// The fighters' numbers, until characters read them from their own records.
constexpr float kPlayerLife = 300.0f;
constexpr float kPlayerOffensiveAbility = 120.0f;
constexpr float kMonsterLife = 220.0f;
constexpr float kMonsterDefensiveAbility = 60.0f;

// A character made by class name, or from a record when the name ends in ".dbr".
Character* Place(const std::string& classOrRecord, const Vec3& position)
{
    ObjectManager& objects = ObjectManager::Get();
    const bool record = classOrRecord.ends_with(".dbr");
    auto* character = DynamicCast<Character>(record ? objects.CreateObjectFromFile(classOrRecord)
                                                    : objects.CreateObject(classOrRecord.c_str()));
    if (!character)
        return nullptr;
    Region* region = World::Get().GetRegionById(kArenaRegionId);
    if (!region)
        region = World::Get().AddRegion(kArenaRegionId, "Arena");
    Coords frame;
    frame.origin = position;
    World::Get().AddEntity(character, WorldCoords(region, frame));
    character->GetCombatManager().LoadRecord(kCombatRecord);
    return character;
}

// The sword's damage attributes: a weapon's base physical damage, then the kinds that its
// record carries (until the equipment store loads an item's attributes itself).
void LoadSword(DamageAttributeStore& sword, const LoadTable& record)
{
    DamageAttribute_BasePhysical::Create_BasePhysical(sword, record);
    DamageAttribute::Load(std::make_unique<DamageAttributeAbsBase_Fire>(), sword, record);
    DamageAttribute::Load(std::make_unique<DamageAttributeDur_Fire>(), sword, record);
    DamageAttribute::Load(std::make_unique<DamageAttributeReflex_Stun>(), sword, record);
}

// The sword's tool tip: the base lines, then the others.
void PrintToolTip(const DamageAttributeStore& sword)
{
    DamageAttribute::TextList texts1, texts2, texts3;
    for (const auto& attribute : sword.GetAttributes())
        attribute->CreateText(texts1, texts2, texts3, kItemLevel);
    for (const DamageAttribute::TextList* texts : {&texts1, &texts2, &texts3})
        for (const std::u16string& line : *texts)
            std::printf("gamehost: sword: %s\n", LocalizationManager::ToChar(line).c_str());
}

}  // namespace

bool HostFight::Start()
{
    if (!ObjectManager::Get().LoadTableFile(kCombatRecord))
        return false;
    const LoadTable* sword = ObjectManager::Get().LoadTableFile(kSwordRecord);
    if (!sword)
        return false;
    LoadSword(m_sword, *sword);
    Character* player = Place("Player", Vec3{0.0f, 0.0f, 0.0f});
    Character* monster = Place(kMonsterRecord, Vec3{1.0f, 0.0f, 0.0f});
    if (!player || !monster || !m_outfit.Dress(*monster))
        return false;
    static_cast<Player*>(player)->SetPlayerName(u"Hero");
    player->SetLifeLimit(kPlayerLife);
    player->SetCurrentLife(kPlayerLife);
    player->SetTotalCharAttribute(CharAttributeType_OffensiveAbility, kPlayerOffensiveAbility);
    monster->SetLifeLimit(kMonsterLife);
    monster->SetCurrentLife(kMonsterLife);
    monster->SetTotalCharAttribute(CharAttributeType_DefensiveAbility, kMonsterDefensiveAbility);
    m_playerId = player->GetObjectId();
    m_monsterId = monster->GetObjectId();
    std::printf("gamehost: a player (%u) and a monster (%u) face each other\n", m_playerId, m_monsterId);
    PrintToolTip(m_sword);
    m_outfit.PrintToolTip();
    HostOutfit::PrintPlayerPack();
    return true;
}

void HostFight::Update(int frame, int ms)
{
    ObjectManager& objects = ObjectManager::Get();
    auto* player = objects.GetObject<Player>(m_playerId);
    auto* monster = objects.GetObject<Monster>(m_monsterId);
    if (!player || !monster)
        return;
    player->GetCombatManager().Update(ms);
    monster->GetCombatManager().Update(ms);
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
    CombatAttributeAccumulator& acc = attack.accumulator;
    for (const auto& attribute : m_sword.GetAttributes())
        attribute->AddDamageToAccumulator(acc, kItemLevel, acc.GetRandomGen(), false);
    for (const auto& attribute : m_sword.GetAttributes())
        attribute->AddModifierToAccumulator(acc, kItemLevel, acc.GetRandomGen(), false);
    attack.accumulator.ProcessDamage(*player, 0.0f, 0.0f, 0.0f, 0.0f);

    const float before = monster->GetCurrentLife();
    const bool hit = monster->TakeAttack(attack);
    ++m_attacks;
    std::printf("frame %d: the player strikes: %s, monster life %.1f -> %.1f\n", frame, hit ? "hit" : "miss", before,
                monster->GetCurrentLife());
}

void HostFight::Stop()
{
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : {m_playerId, m_monsterId})
        if (Object* object = objects.GetObject(id))
            objects.DestroyObjectEx(object, "HostFight", __LINE__);
    m_outfit.Undress();
    objects.FlushDestroyedObjects();
    m_playerId = m_monsterId = 0;
}

}  // namespace GAME
