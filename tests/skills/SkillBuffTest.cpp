// Buffs on the character they affect: their time, their filter, their ticks and pulses,
// their spreading, and the grants that put them on through the skill services.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Engine.h"
#include "Game/combat/CombatManager.h"
#include "Game/combat/ParametersCombat.h"
#include "Game/core/Team.h"
#include "Game/items/Weapon.h"
#include "Game/skills/SkillBuffSelf.h"
#include "Game/skills/SkillBuffs.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServices_Character.h"

namespace GAME {

// Takes no attack but notes who made it.
class NotedTarget : public Monster {
    GAME_DECLARE_CLASS(NotedTarget)
public:
    bool TakeAttack(ParametersCombat& params) override
    {
        attackers.push_back(params.attackerId);
        return true;
    }
    std::vector<uint32_t> attackers;
};
GAME_IMPLEMENT_CLASS(NotedTarget, Monster)

// A trap whose holder resists it by a quarter.
class QuarterResistedTrap : public SkillBuff_DebufTrap {
    GAME_DECLARE_CLASS(QuarterResistedTrap)
protected:
    float GetResistance(CombatAttributeAccumulator&) override { return 25.0f; }
};
GAME_IMPLEMENT_CLASS(QuarterResistedTrap, SkillBuff_DebufTrap)

namespace {

class SkillBuffTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        hero = Driven(0.0f);
    }
    // A character of the test's team whose manager drives its skills.
    Character* Driven(float x, const char* kind = "NotedTarget")
    {
        Character* character = OnTeam(kTeamMajorHuman, x, 0.0f, "characterLife,1000,\ncharacterMana,100,\n", kind);
        character->GetSkillManager().SetAsControllingManager();
        return character;
    }
    // A buff record of that class with these keys.
    std::string Record(const char* kind, const std::string& keys = "")
    {
        const std::string name = "Records/Test/Buff" + std::to_string(++buffs) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + kind + ",\nskillMaxLevel,5,\n" + keys);
        return name;
    }
    // Put on by command, as every peer does it; the buff made.
    template <class T = SkillBuff>
    T* Put(Character* on, const std::string& record, int32_t ms, uint32_t caster = 9)
    {
        on->GetSkillManager().CreateRemoveSkillBuff(0, record, 1, "", 0, "", 0, ms, caster, false);
        return ObjectManager::Get().GetObject<T>(on->GetSkillManager().FindSkillId(record));
    }
    float Hit(Character* on, float damage)
    {
        on->SetCurrentLife(1000.0f);
        const float before = on->GetCurrentLife();
        on->GetCombatManager().ApplyDamage(damage, {}, CombatAttributeType_Physical);
        return before - on->GetCurrentLife();
    }

    Character* hero = nullptr;
    int buffs = 0;
};

// A timed buff goes on the first update below 0, one of 0 ms never; the same grant again
// starts its time anew without a command; a copy of it lives for what is left.
TEST_F(SkillBuffTest, TimeRunsOutBelowZeroARefreshSendsNothingAndACopyGetsTheTimeLeft)
{
    const std::string record = Record("SkillBuff");
    SkillServicesBase& services = *hero->GetSkillManager().GetSkillServices();
    const SkillBuffTransfer grant{record, 1, "", 0, "", 0, 1000, 9};
    services.CreateUpdateSkillBuff(grant, {}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
    gEngine->RunActorCommands();
    auto* buff = ObjectManager::Get().GetObject<SkillBuff>(hero->GetSkillManager().FindSkillId(record));
    ASSERT_NE(buff, nullptr);
    EXPECT_EQ(buff->GetCasterId(), 9u);
    buff->Update(*hero, 600);
    services.CreateUpdateSkillBuff(grant, {}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    EXPECT_EQ(buff->GetTimeToLive(), 1000);

    buff->Update(*hero, 700);
    std::vector<SkillManager::_SkillBuffReplica> replica;
    hero->GetSkillManager().GetSkillBuffReplica(replica);
    ASSERT_EQ(replica.size(), 1u);
    EXPECT_EQ(replica[0].durationMs, 300);
    buff->Update(*hero, 300);   // at 0: not yet
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    hero->GetSkillManager().GetSkillBuffReplica(replica);
    EXPECT_EQ(replica[1].durationMs, 1);   // still timed
    buff->Update(*hero, 1);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
    gEngine->RunActorCommands();
    EXPECT_FALSE(hero->GetSkillManager().IsSkillBuffActive(record));

    // Never runs out; a replica naming it twice (in two spellings) leaves one buff.
    SkillBuff* forever = Put(hero, record, 0);
    ASSERT_NE(forever, nullptr);
    forever->Update(*hero, 1000000);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    replica.clear();
    hero->GetSkillManager().GetSkillBuffReplica(replica);
    ASSERT_EQ(replica.size(), 1u);
    EXPECT_EQ(replica[0].durationMs, 0);
    Character* copy = Driven(5.0f);
    replica.push_back(replica[0]);
    replica[1].buff.skillName = "RECORDS/test/" + record.substr(13);
    copy->GetSkillManager().SetSkillBuffReplica(replica);
    EXPECT_EQ(copy->GetSkillManager().GetUITempSkillList().size(), 1u);
}

// Another caster replaces a grant only with a higher total; a bow-only buff needs a bow
// in either hand.
TEST_F(SkillBuffTest, ReplacementNeedsAHigherTotalAndABowOnlyBuffABowInEitherHand)
{
    const std::string record = Record("SkillBuff");
    SkillServicesBase& services = *hero->GetSkillManager().GetSkillServices();
    services.CreateUpdateSkillBuff({record, 2, "", 0, "", 0, 1000, 7}, {}, false);
    services.CreateUpdateSkillBuff({record, 2, "", 0, "", 0, 1000, 8}, {}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
    services.CreateUpdateSkillBuff({record, 3, "", 0, "", 0, 1000, 8}, {}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 2u);
    services.CreateUpdateSkillBuff({record, 1, "", 0, "", 0, 1000, 8}, {}, false);   // its own caster
    EXPECT_EQ(hero->GetQueuedCommandCount(), 3u);

    const std::string bowOnly = Record("SkillBuff");
    EquipManager& hands = hero->GetCombatManager().GetEquipManager();
    hands.AttachItemAction(ObjectManager::Get().CreateObject("WeaponMelee_Sword")->GetObjectId(), EquipLocation_RightHand);
    services.CreateUpdateSkillBuff({bowOnly, 1, "", 0, "", 0, 0, 7}, {Weapon_Bow}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 3u);
    hands.AttachItemAction(ObjectManager::Get().CreateObject("WeaponHunting_Bow")->GetObjectId(), EquipLocation_LeftHand);
    services.CreateUpdateSkillBuff({bowOnly, 1, "", 0, "", 0, 0, 7}, {Weapon_Bow}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 4u);
}

// Percent first, then the cap; a shield wears out and goes on the next update; after
// uninstall or destruction no damage reaches the filter (ASan).
TEST_F(SkillBuffTest, FiltersTakePercentThenCapAShieldWearsOutAndAGoneBuffFiltersNothing)
{
    const std::string keys = "physicalDamageQualifier,1,\ndamageAbsorption,50,\ndamageAbsorptionPercent,20,\n";
    SkillBuff* buff = Put(hero, Record("SkillBuff_Passive", keys), 0);
    ASSERT_NE(buff, nullptr);
    buff->Install(hero);   // installed again: still one filter
    EXPECT_FLOAT_EQ(Hit(hero, 100.0f), 30.0f);
    EXPECT_FLOAT_EQ(buff->ModifyDamage(100.0f, CombatAttributeType_Fire), 100.0f);   // not qualifying
    buff->UnInstall(hero);
    EXPECT_FLOAT_EQ(Hit(hero, 100.0f), 100.0f);
    buff->Install(hero);
    ObjectManager::Get().DestroyObjectEx(buff, "test", __LINE__);   // without uninstall
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_FLOAT_EQ(Hit(hero, 100.0f), 100.0f);

    auto* shield = Put<SkillBuff_PassiveShield>(
        hero, Record("SkillBuff_PassiveShield", "physicalDamageQualifier,1,\ndamageAbsorption,100,\n"), 0);
    ASSERT_NE(shield, nullptr);
    EXPECT_FLOAT_EQ(shield->ModifyDamage(50.0f, CombatAttributeType_Physical), 0.0f);
    shield->Update(*hero, 10);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 0u);
    EXPECT_FLOAT_EQ(shield->ModifyDamage(50.0f, CombatAttributeType_Physical), 0.0f);
    EXPECT_FLOAT_EQ(shield->GetShieldLeft(), 0.0f);
    shield->Update(*hero, 10);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
}

// A debuff ticks on its first update, as its caster, then every second; a trap resisted
// by a quarter lasts three quarters.
TEST_F(SkillBuffTest, ADebuffTicksAtOnceAsItsCasterAndAResistedTrapIsShorter)
{
    auto* holder = static_cast<NotedTarget*>(hero);
    SkillBuff* debuff = Put(hero, Record("SkillBuff_Debuf"), 0, 42);
    ASSERT_NE(debuff, nullptr);
    debuff->Update(*hero, 16);
    EXPECT_EQ(holder->attackers, std::vector<uint32_t>{42});
    debuff->Update(*hero, 999);
    EXPECT_EQ(holder->attackers.size(), 1u);
    debuff->Update(*hero, 1);
    EXPECT_EQ(holder->attackers.size(), 2u);

    SkillBuff* trap = Put(hero, Record("QuarterResistedTrap"), 4000);
    ASSERT_NE(trap, nullptr);
    EXPECT_EQ(trap->GetTimeToLive(), 3000);
    EXPECT_EQ(trap->GetTotalTimeToLive(), 4000);
}

// Two at a time and three in all; one that already carries it does not count.
TEST_F(SkillBuffTest, ContagionInfectsAtMostItsLimitPerSpreadAndItsSpreadInAll)
{
    std::vector<Character*> friends;
    for (int i = 1; i <= 5; ++i)
        friends.push_back(Driven(static_cast<float>(i)));
    Frame();   // the searches take updated characters only
    const std::string record = Record("SkillBuff_Contageous", "contagionInterval,0.001,\ncontagionRadius,10,\n"
                                                              "contagionLimit,2,\ncontagionMaxSpread,3,\n");
    Put(friends[0], record, 0);   // already infected
    auto* source = Put<SkillBuff_Contageous>(hero, record, 0);
    ASSERT_NE(source, nullptr);
    auto infected = [&] {
        gEngine->RunActorCommands();
        int n = 0;
        for (Character* c : friends)
            n += c->GetSkillManager().IsSkillBuffActive(record) ? 1 : 0;
        return n - 1;
    };
    source->Update(*hero, 1);
    EXPECT_EQ(infected(), 2);
    source->Update(*hero, 1);
    EXPECT_EQ(infected(), 3);
    EXPECT_EQ(source->GetSpreadLeft(), 0);
    source->Update(*hero, 1);
    EXPECT_EQ(infected(), 3);
}

// The switch goes out as a command; switched on, the bonus comes once, the upkeep drains
// the mana and at 0 the buff stops itself; the filter leaves with the skill (ASan).
TEST_F(SkillBuffTest, ATogglePaysItsUpkeepGivesItsBonusOnceAndStopsAtNoMana)
{
    const std::string record = Record("Skill_BuffSelfToggled", "skillManaBonus,20,\nskillActiveManaCost,10,\n"
                                                               "physicalDamageQualifier,1,\ndamageAbsorption,50,\n");
    auto* toggle = ObjectManager::Get().CreateObjectFromFile<Skill_BuffSelfToggled>(record);
    ASSERT_NE(toggle, nullptr);
    hero->GetSkillManager().AddSkill(toggle);
    toggle->SetSkillLevel(1);
    toggle->Install(hero);
    toggle->Install(hero);   // still one filter
    Frame();   // the character's limits from its record
    hero->SetCurrentMana(5.0f);
    const float startMana = hero->GetCurrentMana();
    toggle->ActivateNow(*hero, Name(), 0, At(0.0f));
    EXPECT_FALSE(toggle->GetActiveState().active);   // not before its command runs
    gEngine->RunActorCommands();
    ASSERT_TRUE(toggle->GetActiveState().active);
    const float bonus = hero->GetCurrentMana() - startMana;
    EXPECT_GT(bonus, 0.0f);
    EXPECT_FLOAT_EQ(Hit(hero, 100.0f), 50.0f);

    int frames = 0;
    while (toggle->GetActiveState().active && frames++ < 10) {
        toggle->Update(*hero, 1000);
        Frame();   // the drained mana leaves at the character's update
    }
    EXPECT_FALSE(toggle->IsSwitchedOn());
    EXPECT_FALSE(toggle->GetActiveState().active);
    EXPECT_LE(hero->GetCurrentMana(), 0.0f);   // no second bonus on the way out
    toggle->Update(*hero, 1000);
    Frame();
    EXPECT_LE(hero->GetCurrentMana(), 0.0f);
    EXPECT_FLOAT_EQ(Hit(hero, 100.0f), 100.0f);

    toggle->Install(hero);
    ObjectManager::Get().DestroyObjectEx(toggle, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_FLOAT_EQ(Hit(hero, 100.0f), 100.0f);
}

}  // namespace

}  // namespace GAME
