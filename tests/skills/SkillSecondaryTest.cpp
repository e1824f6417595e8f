// Secondary skills: chains that jump one link at a time and let their bolts go one at a
// time, forks, what happens without a bolt to show, and the radius buff's switch-on.
#include <gtest/gtest.h>

#include <algorithm>

#include "characters/CharacterWorldFixture.h"
#include "Game/core/Team.h"
#include "Game/skills/SkillSecondaries.h"
#include "Game/world/Lightning.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {
namespace {

class SecondaryProbe : public SkillSecondary {
    GAME_DECLARE_CLASS(SecondaryProbe)

public:
    void PrimaryActivateNow(Character&, unsigned, const std::vector<uint32_t>&, const WorldVec3&) override
    {
        ++switchOns;
    }
    void ActivateNow(Character&, unsigned, const std::vector<uint32_t>&, const WorldVec3&) override { ++strikes; }
    int switchOns = 0, strikes = 0;
};
GAME_IMPLEMENT_CLASS(SecondaryProbe, SkillSecondary)

constexpr const char* kBolt = "Records/Test/SecondaryBolt.dbr";

class SkillSecondaryTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        // Sparks jump by the game's draws, which otherwise start from the clock.
        gGameEngine->GetRandomGen().Seed(1);
        RecordDatabase::Get().RegisterRecord(kBolt, "Class,Lightning,\nnumberOfBolts,1,\ntimeMin,0.5,\ntimeMax,0.5,\n");
        caster = OnTeam(kTeamMajorHuman, 0.0f);
        owner.parent = caster;
        owner.services = &owner;
    }
    template <class T>
    T* MakeSkill(const std::string& lines)
    {
        const std::string name = "Records/Test/Secondary" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + T::GetStaticClassInfo().GetName() +
                                                       ",\nskillMaxLevel,5,\noffensivePhysicalMin,10,\n"
                                                       "offensivePhysicalMax,10,\n" + lines);
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(1);
        }
        return skill;
    }
    Character* Foe(float x) { return OnTeam(kTeamMajorMonster, x, 0.0f, "characterLife,100,\n"); }
    static bool Struck(const Character* c) { return c->GetCurrentLife() < 100.0f; }
    // A frame of the world (the bolts travel), then the skill's own update.
    void Step(Skill& skill)
    {
        Frame(16);
        skill.Update(*caster, 16);
    }
    static size_t BoltsAlive(const SkillSecondary_ChainLightning& chain)
    {
        return static_cast<size_t>(std::count_if(chain.GetLinks().begin(), chain.GetLinks().end(), [](auto& l) {
            return ObjectManager::Get().GetObject<Lightning>(l.effectId) != nullptr;
        }));
    }

    FakeOwner owner;
    Character* caster = nullptr;
    int skills = 0;
};

TEST_F(SkillSecondaryTest, AChainJumpsOneLinkAtATimeAndLetsItsBoltsGoOneAtATime)
{
    Character* first = Foe(2.0f);
    std::vector<Character*> foes{Foe(4.0f), Foe(6.0f), Foe(8.0f)};
    Frame();   // first updates: the targets can be found
    auto* chain = MakeSkill<SkillSecondary_ChainLightning>(std::string("sparkGap,2.5,\nsparkChance,100,\n"
                                                                       "sparkMaxNumber,3,\nlightningName,") +
                                                           kBolt + ",\n");
    ASSERT_NE(chain, nullptr);
    chain->ActivateNow(*caster, first->GetObjectId(), {first->GetObjectId()}, first->GetCoords().GetPosition());
    ASSERT_EQ(owner.results.size(), 1u);
    const FakeOwner::Result sent = owner.results[0];
    std::vector<uint32_t> ids = sent.targets;
    ASSERT_EQ(ids.size(), 3u);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end());
    EXPECT_EQ(std::count(ids.begin(), ids.end(), first->GetObjectId()), 0);

    chain->TargetResult(*caster, sent.targets, sent.coords, sent.seed, 0, false);
    const auto& links = chain->GetLinks();
    ASSERT_EQ(links.size(), 3u);
    EXPECT_NE(links[0].effectId, 0u);
    // Each jump's bolt starts only after the one before has landed and struck.
    EXPECT_EQ(links[1].effectId, 0u);
    for (size_t link = 1; link < 3; ++link) {
        for (int i = 0; i < 100 && links[link].effectId == 0; ++i)
            Step(*chain);
        ASSERT_NE(links[link].effectId, 0u);
        const auto* before = ObjectManager::Get().GetObject<Lightning>(links[link - 1].effectId);
        ASSERT_NE(before, nullptr);
        EXPECT_TRUE(links[link - 1].done && before->HasReachedTarget());
        EXPECT_TRUE(before->IsPaused());   // held at its target until the release
    }
    for (int i = 0; i < 100 && !chain->IsChainComplete(); ++i)
        Step(*chain);
    for (Character* foe : foes)
        EXPECT_TRUE(Struck(foe));
    EXPECT_FALSE(Struck(first));
    EXPECT_EQ(BoltsAlive(*chain), 3u);

    // Released one at a time; a result arriving meanwhile is dropped.
    Step(*chain);
    chain->TargetResult(*caster, {first->GetObjectId()}, sent.coords, 1, 0, false);
    EXPECT_EQ(chain->GetLinks().size(), 3u);
    std::vector<size_t> alive;
    for (int i = 0; i < 200 && !chain->GetLinks().empty(); ++i) {
        alive.push_back(BoltsAlive(*chain));
        Step(*chain);
    }
    EXPECT_TRUE(chain->GetLinks().empty());
    EXPECT_TRUE(std::find(alive.begin(), alive.end(), 2u) != alive.end());
    EXPECT_TRUE(std::find(alive.begin(), alive.end(), 1u) != alive.end());
    EXPECT_FALSE(Struck(first));

    // Spark counts: a negative one sends nothing, a flood is held to the bound.
    auto* none = MakeSkill<SkillSecondary_ChainLightning>("sparkGap,9,\nsparkChance,100,\nsparkMaxNumber,-3,\n");
    none->ActivateNow(*caster, 0, {}, At(0.0f));
    EXPECT_EQ(owner.results.size(), 1u);
    auto* flood = MakeSkill<SkillSecondary_ChainLightning>("sparkGap,99,\nsparkChance,100,\nsparkMaxNumber,1e12,\n");
    for (int i = 0; i < 40; ++i)
        Foe(10.0f + 0.1f * static_cast<float>(i));
    Frame();
    flood->ActivateNow(*caster, 0, {}, At(0.0f));
    ASSERT_EQ(owner.results.size(), 2u);
    // A chance of 100 still fails on a draw of 100 (one in 101), so the count may fall short.
    EXPECT_LE(owner.results[1].targets.size(), SkillSecondary_ChainLightning::kMaxSparks);
    EXPECT_GT(owner.results[1].targets.size(), SkillSecondary_ChainLightning::kMaxSparks / 2);
}

TEST_F(SkillSecondaryTest, WithoutABoltChainsAndForksStrikeAtOnceAndEnd)
{
    Character* a = Foe(2.0f);
    Character* b = Foe(4.0f);
    Frame();
    const std::vector<uint32_t> both{a->GetObjectId(), b->GetObjectId()};
    for (const std::string bolt : {"", "Records/Test/NoSuchBolt.dbr"}) {
        a->SetCurrentLife(100.0f), b->SetCurrentLife(100.0f);
        auto* chain = MakeSkill<SkillSecondary_ChainLightning>("lightningName," + bolt + ",\n");
        chain->TargetResult(*caster, both, caster->GetCoords(), 5, 0, false);
        EXPECT_TRUE(Struck(a) && Struck(b)) << bolt;
        chain->Update(*caster, 16);
        EXPECT_TRUE(chain->GetLinks().empty()) << bolt;
        // The next result is no longer dropped.
        a->SetCurrentLife(100.0f);
        chain->TargetResult(*caster, {a->GetObjectId()}, caster->GetCoords(), 6, 0, false);
        EXPECT_TRUE(Struck(a)) << bolt;

        b->SetCurrentLife(100.0f);
        auto* fork = MakeSkill<SkillSecondary_ForkLightning>("lightningName," + bolt + ",\n");
        fork->TargetResult(*caster, both, caster->GetCoords(), 5, 0, false);
        EXPECT_TRUE(Struck(b)) << bolt;
        EXPECT_TRUE(fork->GetForks().empty()) << bolt;
    }

    // With a bolt, forks all leave from one point and strike as they land.
    a->SetCurrentLife(100.0f), b->SetCurrentLife(100.0f);
    auto* fork = MakeSkill<SkillSecondary_ForkLightning>(std::string("lightningName,") + kBolt + ",\n");
    fork->TargetResult(*caster, both, caster->GetCoords(), 5, 0, false);
    ASSERT_EQ(fork->GetForks().size(), 2u);
    EXPECT_EQ(fork->GetForks()[0].sourcePoint, fork->GetForks()[1].sourcePoint);
    EXPECT_FALSE(Struck(a));
    for (int i = 0; i < 100 && !fork->GetForks().empty(); ++i)
        Step(*fork);
    EXPECT_TRUE(fork->GetForks().empty());
    EXPECT_TRUE(Struck(a) && Struck(b));
}

TEST_F(SkillSecondaryTest, ARadiusBuffStartsItsSecondariesOncePerSwitchOnAndPerResult)
{
    RecordDatabase::Get().RegisterRecord("Records/Test/Aura.dbr", "Class,Skill,\nskillMaxLevel,5,\nskillTargetRadius,9,\n");
    RecordDatabase::Get().RegisterRecord("Records/Test/Probe.dbr", "Class,SecondaryProbe,\n");
    Character* friend1 = OnTeam(kTeamMajorHuman, 2.0f);
    Character* friend2 = OnTeam(kTeamMajorHuman, 3.0f);
    Frame();
    auto* radius = MakeSkill<SkillSecondary_BuffRadius>("buffSkillName,Records/Test/Aura.dbr,\n");
    auto* probe = ObjectManager::Get().CreateObjectFromFile<SecondaryProbe>("Records/Test/Probe.dbr");
    ASSERT_TRUE(radius && probe);
    radius->AddSecondarySkill(probe->GetObjectId());
    radius->PrimaryActivateNow(*caster, 0, {}, caster->GetCoords().GetPosition());
    EXPECT_TRUE(radius->IsBuffActive());
    EXPECT_EQ(probe->switchOns, 1);
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_TRUE(owner.results[0].melee);   // the switch-on's bonus
    EXPECT_GE(owner.results[0].targets.size(), 2u);
    radius->TargetResult(*caster, {friend1->GetObjectId(), friend2->GetObjectId()}, caster->GetCoords(), 1, 0, true);
    EXPECT_EQ(probe->strikes, 1);
    // Later pulses hand out the buff, and start nothing.
    radius->Update(*caster, 1000);
    ASSERT_EQ(owner.results.size(), 2u);
    EXPECT_FALSE(owner.results[1].melee);
    radius->TargetResult(*caster, owner.results[1].targets, caster->GetCoords(), 1, 0, false);
    EXPECT_EQ(probe->strikes, 1);
}

}  // namespace
}  // namespace GAME
