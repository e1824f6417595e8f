// What an attack tells the rest of the game: the floating text of a critical hit, the
// play statistics and the damage register of the game engine.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/combat/CombatAttribute.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/PlayerManagerClient.h"
#include "Game/core/foundation/RandomUniform.h"
#include "tests/TestDraws.h"

using namespace GAME;

namespace {

constexpr int kCriticalHitTextOption = 2;
constexpr const char* kCriticalRecord = "Records/Combat/Critical.dbr";

class CombatCriticalHitTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Every hit is certain and doubles its damage.
        RecordDatabase::Get().RegisterRecord(kCriticalRecord, "probabilityToHitEquation,offensiveAbilityDV+0,\n"
                                                      "pthThreshold1,50,\npthDamageModifier6,2.0,\n");
        RecordDatabase::Get().RegisterRecord(kGameEngineRecordName, "CriticalHitOnMonsterStyle,Styles/CritMonster,\n"
                                                                    "CriticalHitOnPlayerStyle,Styles/CritPlayer,\n");
        LocalizationManager::Instance().RegisterTags("CriticalHitFormat=%.0f (x%.1f)\n");
        InitializeSeededObjects();
        ObjectManager& objects = ObjectManager::Get();
        m_player = DynamicCast<Player>(objects.CreateObject("Player"));
        m_monster = DynamicCast<Monster>(objects.CreateObject("Monster"));
        for (Character* character : {static_cast<Character*>(m_player), static_cast<Character*>(m_monster)}) {
            character->SetLifeLimit(1000.0f);
            character->SetCurrentLife(1000.0f);
            character->GetCombatManager().LoadRecord(kCriticalRecord);
        }
        gGameEngine->GetPlayerManagerClient()->SetMainPlayer(m_player->GetObjectId());
        gEngine->SetBoolOption(kCriticalHitTextOption, true);
        m_source.Seed(99);
    }
    void TearDown() override
    {
        gEngine->SetBoolOption(kCriticalHitTextOption, false);
        ShutdownObjects();
        ObjectManager::Get().DestroyAllObjects();
        RecordDatabase::Get().Clear();
        LocalizationManager::Instance().Clear();
    }

    ParametersCombat Hit(Character& attacker, float physical)
    {
        ParametersCombat params(m_source);
        params.attackerId = attacker.GetObjectId();
        params.combatType = ParametersCombatStyle::Probability;
        params.offensiveAbility = 100.0f;
        params.accumulator.AddDamage(
            std::make_unique<CombatAttributeDamage_BasePhysical>(CombatAttributeType_Physical, physical, 0.0f, false));
        params.accumulator.AddDamage(std::make_unique<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 10.0f));
        return params;
    }

    RandomUniform m_source;
    Player* m_player = nullptr;
    Monster* m_monster = nullptr;
};

}  // namespace

TEST_F(CombatCriticalHitTest, MainPlayersCriticalHitFloatsAboveTheMonster)
{
    EventCapture events;
    events.Keep<GameEvent_FloatingText>("GameEvent_FloatingText");
    ParametersCombat params = Hit(*m_player, 30.0f);
    EXPECT_TRUE(m_monster->TakeAttack(params));

    const auto sent = events.Kept<GameEvent_FloatingText>("GameEvent_FloatingText");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].objectId, m_monster->GetObjectId());
    EXPECT_EQ(sent[0].style, "Styles/CritMonster");
    EXPECT_EQ(sent[0].text, u"60 (x2.0)");
    EXPECT_EQ(m_monster->GetCurrentLife(), 1000.0f - 60.0f - 10.0f);   // only physical damage is doubled

    const PlayStats& stats = m_player->GetPlayStats();
    EXPECT_EQ(stats.GetCriticalHitsInflicted(), 1u);
    EXPECT_EQ(m_monster->GetPlayStats().GetCriticalHitsReceived(), 1u);
    EXPECT_EQ(stats.GetDamageInflicted({PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_PhysicalPierce}),
              60.0f);
    EXPECT_EQ(stats.GetDamageInflicted({PlayStatsDamageKind_CombatAttributeType, CombatAttributeType_Fire}), 10.0f);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(m_player->GetObjectId(), m_monster->GetObjectId()), 70.0f);
}

TEST_F(CombatCriticalHitTest, MonstersCriticalHitOnThePlayerHasThePlayersStyle)
{
    EventCapture events;
    events.Keep<GameEvent_FloatingText>("GameEvent_FloatingText");
    ParametersCombat params = Hit(*m_monster, 30.0f);
    EXPECT_TRUE(m_player->TakeAttack(params));
    const auto sent = events.Kept<GameEvent_FloatingText>("GameEvent_FloatingText");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].style, "Styles/CritPlayer");
    // A player's damage taken is not registered for rewards.
    EXPECT_EQ(gGameEngine->GetTotalDamageDone(m_player->GetObjectId()), 0.0f);
}

TEST_F(CombatCriticalHitTest, NoTextWithTheOptionOffOrWithoutTheMainPlayer)
{
    EventCapture events;
    gEngine->SetBoolOption(kCriticalHitTextOption, false);
    ParametersCombat first = Hit(*m_player, 30.0f);
    EXPECT_TRUE(m_monster->TakeAttack(first));
    gEngine->SetBoolOption(kCriticalHitTextOption, true);
    Monster* other = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    ParametersCombat second = Hit(*other, 30.0f);
    EXPECT_TRUE(m_monster->TakeAttack(second));
    EXPECT_EQ(events.Count("GameEvent_FloatingText"), 0u);
    EXPECT_EQ(m_player->GetPlayStats().GetCriticalHitsInflicted(), 1u);
}

TEST_F(CombatCriticalHitTest, PetsDamageCountsForItsMaster)
{
    Monster* pet = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    pet->SetMasterId(m_player->GetObjectId());
    ParametersCombat params = Hit(*pet, 5.0f);
    m_monster->TakeAttack(params);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(m_player->GetObjectId(), m_monster->GetObjectId()), 20.0f);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(pet->GetObjectId(), m_monster->GetObjectId()), 0.0f);
}

// The amounts of one hit reach the register in one go, summed one by one in the order
// they were taken: 2^24 + 1 + 1 stays 2^24 in single precision, as it always did.
TEST_F(CombatCriticalHitTest, RegisterTakesAHitAsItsAmountsInOrder)
{
    m_monster->SetLifeLimit(1.0e8f);
    m_monster->SetCurrentLife(1.0e8f);
    ParametersCombat params(m_source);
    params.attackerId = m_player->GetObjectId();
    params.combatType = ParametersCombatStyle::Direct;
    params.accumulator.AddDamage(params.Make<CombatAttributeAbsDamage>(CombatAttributeType_Fire, 16777216.0f));
    params.accumulator.AddDamage(params.Make<CombatAttributeAbsDamage>(CombatAttributeType_Cold, 1.0f));
    params.accumulator.AddDamage(params.Make<CombatAttributeAbsDamage>(CombatAttributeType_Lightning, 1.0f));
    EXPECT_TRUE(m_monster->TakeAttack(params));
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(m_player->GetObjectId(), m_monster->GetObjectId()), 16777216.0f);

    // Damage outside a hit (over time) is registered as it comes, for its own attacker.
    Monster* other = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    m_monster->GetCombatManager().SetAttacker(other->GetObjectId());
    m_monster->ApplyDamage(4.0f, {}, CombatAttributeType_Poison);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(other->GetObjectId(), m_monster->GetObjectId()), 4.0f);
    EXPECT_EQ(gGameEngine->GetTotalDamageDone(m_monster->GetObjectId()), 16777220.0f);
}

// The ticks of one update reach the register by its end, each attacker's amounts summed
// one by one in the order the tracks were applied: 2^24 + 1 + 1 stays 2^24.
TEST_F(CombatCriticalHitTest, RegisterTakesTheTicksOfAnUpdateInOrder)
{
    m_monster->SetLifeLimit(1.0e8f);
    m_monster->SetCurrentLife(1.0e8f);
    Monster* other = DynamicCast<Monster>(ObjectManager::Get().CreateObject("Monster"));
    const uint32_t player = m_player->GetObjectId();
    DurationDamageManager& dot = m_monster->GetDurationDamageMgr();
    dot.AddDamageReplication(CombatAttributeType_Fire, player, {{16777216.0f, 2.0f}});
    dot.AddDamageReplication(CombatAttributeType_Poison, other->GetObjectId(), {{4.0f, 2.0f}});
    dot.AddDamageReplication(CombatAttributeType_Cold, player, {{1.0f, 2.0f}});
    dot.AddDamageReplication(CombatAttributeType_Lightning, player, {{1.0f, 2.0f}});

    dot.Update(50);   // no tick due: nothing registered
    EXPECT_EQ(gGameEngine->GetTotalDamageDone(m_monster->GetObjectId()), 0.0f);
    dot.Update(60);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(player, m_monster->GetObjectId()), 16777216.0f);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(other->GetObjectId(), m_monster->GetObjectId()), 4.0f);
    dot.Update(101);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(player, m_monster->GetObjectId()), 33554432.0f);
    EXPECT_EQ(gGameEngine->GetDamageByAttacker(other->GetObjectId(), m_monster->GetObjectId()), 8.0f);
}
