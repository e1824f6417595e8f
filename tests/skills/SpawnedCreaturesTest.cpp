// The skills that make creatures and objects without being used (the monster generator,
// the object left on death) and the faux attack: what the driving peer sends, and what
// every peer makes of it.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Game/core/GameEngine.h"
#include "Game/skills/SkillOnDeath.h"
#include "Game/skills/Skill_DemoFauxAttack.h"
#include "Game/skills/Skill_MonsterGenerator.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {

namespace {

class SpawnedCreaturesTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        previousSink = gEngine->SetLogSink([this](const LogLine& line) { log.push_back(line.text); });
        for (const char* name : {"Records/Test/Imp.dbr", "Records/Test/Wisp.dbr", "Records/Test/Bat.dbr"})
            RecordDatabase::Get().RegisterRecord(name, "Class,Monster,\ncharacterLife,10,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Remains.dbr", "Class,Actor,\n");
        RecordDatabase::Get().RegisterRecord("Records/Controllers/Monster/DefaultControllerAI.dbr",
                                             "Class,ControllerMonster,\n");
        owner = Place(Make("characterLife,50,\n"));
        fake.parent = owner;
        fake.services = &fake;
    }
    void TearDown() override
    {
        gEngine->SetLogSink(previousSink);
        CharacterWorldTest::TearDown();
    }
    template <class T>
    T* MakeSkill(const std::string& lines, unsigned level = 1)
    {
        const std::string name = "Records/Test/Spawning" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + T::GetStaticClassInfo().GetName() +
                                                       ",\nskillMaxLevel,3,\n" + lines);
        T* skill = ObjectManager::Get().template CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&fake);
            skill->SetSkillLevel(level);
        }
        return skill;
    }
    Skill_MonsterGenerator* MakeGenerator(const std::string& records = "Records/Test/Imp.dbr;Records/Test/Wisp.dbr")
    {
        return MakeSkill<Skill_MonsterGenerator>("spawnObjects," + records + ",\n");
    }
    // Every peer's side of each spawn sent since `from`.
    void Deliver(Skill& skill, size_t from = 0)
    {
        for (size_t i = from; i < fake.spawns.size(); ++i) {
            const FakeOwner::Spawn& spawn = fake.spawns[i];
            skill.SkillSpawnObject(*owner, spawn.coords, spawn.targetId, spawn.places, spawn.ids, spawn.seed);
        }
    }
    size_t Logged(const std::string& line) const { return std::count(log.begin(), log.end(), line); }

    LogSink previousSink;
    std::vector<std::string> log;
    FakeOwner fake;
    Character* owner = nullptr;
    int skills = 0;
};

TEST_F(SpawnedCreaturesTest, TheGeneratorKeepsTwoCreaturesAtItsOwnersSidesAndReplacesTheDead)
{
    Skill_MonsterGenerator* generator = MakeGenerator();
    ASSERT_NE(generator, nullptr);
    generator->Update(*owner, 16);
    ASSERT_EQ(fake.spawns.size(), 2u);   // both in one frame
    EXPECT_TRUE(generator->IsRequestPending());
    // The owner faces +x: its first axis points to -z, its third along +x.
    const Vec3 sides[] = {{2.0f, 0.0f, -2.0f}, {2.0f, 0.0f, 2.0f}};
    for (size_t i = 0; i < 2; ++i) {
        const FakeOwner::Spawn& spawn = fake.spawns[i];
        EXPECT_EQ(spawn.skillId, generator->GetObjectId());
        EXPECT_EQ(spawn.coords.GetPosition(), WorldVec3(region, sides[i]));
        ASSERT_EQ(spawn.places.size(), 1u);
        EXPECT_EQ(spawn.places[0].GetPosition(), spawn.coords.GetPosition());
        EXPECT_GE(spawn.targetId, 1u);
        EXPECT_LE(spawn.targetId, 2u);
    }
    EXPECT_EQ(fake.spawns[0].ids, std::vector<uint32_t>{generator->GetFirstCreature()});
    EXPECT_EQ(fake.spawns[1].ids, std::vector<uint32_t>{generator->GetSecondCreature()});
    generator->Update(*owner, 16);   // nothing more while the request is on its way
    EXPECT_EQ(fake.spawns.size(), 2u);

    Deliver(*generator);
    EXPECT_FALSE(generator->IsRequestPending());
    for (size_t i = 0; i < 2; ++i) {
        const auto* creature = ObjectManager::Get().GetObject<Monster>(fake.spawns[i].ids[0]);
        ASSERT_NE(creature, nullptr);
        EXPECT_TRUE(creature->IsInWorld());
        EXPECT_TRUE(creature->IsOwnedByClient());
        EXPECT_EQ(creature->GetCoords().GetPosition(), WorldVec3(region, sides[i]));
    }
    generator->Update(*owner, 16);
    EXPECT_EQ(fake.spawns.size(), 2u);   // both live

    // The second dies: only it is replaced, on the mirror side again.
    const uint32_t first = generator->GetFirstCreature();
    ObjectManager::Get().GetObject<Character>(generator->GetSecondCreature())->SetLifeState(Character_LifeState_Dead);
    generator->Update(*owner, 16);
    ASSERT_EQ(fake.spawns.size(), 3u);
    EXPECT_EQ(generator->GetFirstCreature(), first);
    EXPECT_EQ(fake.spawns[2].ids, std::vector<uint32_t>{generator->GetSecondCreature()});
    EXPECT_EQ(fake.spawns[2].coords.GetPosition(), WorldVec3(region, sides[1]));
    Deliver(*generator, 2);

    // A dead owner asks for nothing, even with both creatures gone; nor does a peer that
    // does not drive the skill.
    for (uint32_t id : {generator->GetFirstCreature(), generator->GetSecondCreature()})
        ObjectManager::Get().DestroyObjectEx(ObjectManager::Get().GetObject(id), "test", __LINE__);
    owner->SetLifeState(Character_LifeState_Dead);
    generator->Update(*owner, 16);
    EXPECT_EQ(fake.spawns.size(), 3u);
    owner->SetLifeState(Character_LifeState_Alive);
    fake.services = nullptr;
    generator->Update(*owner, 16);
    EXPECT_EQ(fake.spawns.size(), 3u);
}

TEST_F(SpawnedCreaturesTest, TheChoiceNamesTheRecordAndChoiceZeroMakesNothingAndAsksAgain)
{
    Skill_MonsterGenerator* generator =
        MakeGenerator("Records/Test/Imp.dbr;Records/Test/Wisp.dbr;Records/Test/Bat.dbr");
    ASSERT_NE(generator, nullptr);
    const struct {
        unsigned choice;
        const char* record;   // null: nothing is made
    } cases[] = {{1, "Records/Test/Imp.dbr"}, {2, "Records/Test/Wisp.dbr"}, {3, "Records/Test/Bat.dbr"},
                 {9, "Records/Test/Bat.dbr"}, {0, nullptr}};
    for (const auto& c : cases) {
        const std::vector<uint32_t> ids = FreshIds(1);
        generator->SkillSpawnObject(*owner, owner->GetCoords(), c.choice, {}, ids, 1);
        const auto* creature = ObjectManager::Get().GetObject<Monster>(ids[0]);
        if (c.record) {
            ASSERT_NE(creature, nullptr) << c.choice;
            EXPECT_TRUE(RecordDatabase::NormalizeName(creature->GetObjectName()) ==
                        RecordDatabase::NormalizeName(c.record))
                << c.choice;
        } else {
            EXPECT_EQ(creature, nullptr);
            EXPECT_EQ(Logged("Failed to spawn pet object ()"), 1u);
        }
    }
    // A spawn naming a creature of its record that is there already (its image came to
    // this peer first) makes nothing, quietly; one naming another kind's is refused.
    const std::vector<uint32_t> imp = FreshIds(1);
    const std::vector<uint32_t> wisp = FreshIds(1);
    generator->SkillSpawnObject(*owner, owner->GetCoords(), 1, {}, imp, 1);
    generator->SkillSpawnObject(*owner, owner->GetCoords(), 2, {}, wisp, 1);
    generator->SkillSpawnObject(*owner, owner->GetCoords(), 1, {}, imp, 1);
    EXPECT_EQ(Logged("Failed to spawn pet object (Records/Test/Imp.dbr)"), 0u);
    generator->SkillSpawnObject(*owner, owner->GetCoords(), 1, {}, wisp, 1);
    EXPECT_EQ(Logged("Failed to spawn pet object (Records/Test/Imp.dbr)"), 1u);

    // A creature that was not made is asked for on the next frame.
    generator->Update(*owner, 16);
    ASSERT_EQ(fake.spawns.size(), 2u);
    fake.spawns[0].targetId = 0;
    Deliver(*generator);
    EXPECT_EQ(ObjectManager::Get().GetObject(generator->GetFirstCreature()), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject<Monster>(generator->GetSecondCreature()), nullptr);
    generator->Update(*owner, 16);
    ASSERT_EQ(fake.spawns.size(), 3u);
    EXPECT_EQ(fake.spawns[2].ids, std::vector<uint32_t>{generator->GetFirstCreature()});
}

// The choice is drawn from 1 up: every request names a record, so every creature asked
// for is made; a generator without records asks for nothing.
TEST_F(SpawnedCreaturesTest, EveryRequestOfTheGeneratorMakesACreature)
{
    Skill_MonsterGenerator* generator = MakeGenerator();
    ASSERT_NE(generator, nullptr);
    engine->GetRandomGen().Seed(7);
    for (int round = 0; round < 12; ++round) {
        const size_t before = fake.spawns.size();
        generator->Update(*owner, 16);
        ASSERT_EQ(fake.spawns.size(), before + 2) << round;
        Deliver(*generator, before);
        for (uint32_t id : {generator->GetFirstCreature(), generator->GetSecondCreature()}) {
            auto* creature = ObjectManager::Get().GetObject<Character>(id);
            ASSERT_NE(creature, nullptr) << round;
            creature->SetLifeState(Character_LifeState_Dead);
        }
    }
    EXPECT_EQ(Logged("Failed to spawn pet object ()"), 0u);

    Skill_MonsterGenerator* empty = MakeGenerator("");
    ASSERT_NE(empty, nullptr);
    const size_t sent = fake.spawns.size();
    empty->Update(*owner, 16);
    EXPECT_EQ(fake.spawns.size(), sent);
    EXPECT_FALSE(empty->IsRequestPending());
    EXPECT_EQ(empty->GetFirstCreature(), 0u);
}

TEST_F(SpawnedCreaturesTest, TheOnDeathSkillLeavesItsObjectWhereItsOwnerDied)
{
    owner->SetPathPosition(At(0.0f));
    auto* idle = MakeSkill<Skill_OnDeathSpawnActor>("spawnObjects,Records/Test/Remains.dbr,\n", 0);
    ASSERT_NE(idle, nullptr);
    idle->ActivateOnDeathNow(*owner);
    EXPECT_TRUE(fake.spawns.empty());   // level 0 leaves nothing

    auto* remains = MakeSkill<Skill_OnDeathSpawnActor>("spawnObjects,Records/Test/Remains.dbr,\n");
    ASSERT_NE(remains, nullptr);
    EXPECT_FALSE(remains->IsRepeatable());
    remains->ActivateOnDeathNow(*owner);
    ASSERT_EQ(fake.spawns.size(), 1u);
    const FakeOwner::Spawn& spawn = fake.spawns[0];
    EXPECT_EQ(spawn.coords.GetPosition(), owner->GetCoords().GetPosition());
    EXPECT_EQ(spawn.targetId, 0u);
    ASSERT_EQ(spawn.ids.size(), 1u);
    ASSERT_EQ(spawn.places.size(), 1u);
    Deliver(*remains);
    const auto* left = ObjectManager::Get().GetObject<Actor>(spawn.ids[0]);
    ASSERT_NE(left, nullptr);
    EXPECT_TRUE(left->IsInWorld());
    EXPECT_EQ(left->GetCoords().GetPosition(), spawn.places[0].GetPosition());

    // A record that makes no actor is logged; a taken id makes nothing either.
    auto* broken = MakeSkill<Skill_OnDeathSpawnActor>("spawnObjects,Records/Test/Missing.dbr,\n");
    ASSERT_NE(broken, nullptr);
    broken->SkillSpawnObject(*owner, owner->GetCoords(), 0, {}, FreshIds(1), 3);
    EXPECT_EQ(Logged("Failed to spawn object (Records/Test/Missing.dbr)"), 1u);
    remains->SkillSpawnObject(*owner, owner->GetCoords(), 0, {}, {owner->GetObjectId()}, 3);
    EXPECT_EQ(Logged("Failed to spawn object (Records/Test/Remains.dbr)"), 1u);
}

TEST_F(SpawnedCreaturesTest, TheFauxAttackStrikesItsTargetWithoutDamage)
{
    Character* target = Place(Make("characterLife,80,\n"), 30.0f);   // far beyond any reach
    target->GetCharacterBio().InitialUpdate(*target);
    auto* faux = MakeSkill<Skill_DemoFauxAttack>("");
    ASSERT_NE(faux, nullptr);
    EXPECT_TRUE(faux->IsPrimary() && faux->IsSecondary());

    faux->ActivateNow(*owner, Name(), faux->GetObjectId(), At(0.0f));   // not a character
    EXPECT_TRUE(fake.results.empty());
    faux->ActivateNow(*owner, Name(), target->GetObjectId(), At(30.0f));
    ASSERT_EQ(fake.results.size(), 1u);
    const FakeOwner::Result& result = fake.results[0];
    EXPECT_EQ(result.skillId, faux->GetObjectId());
    EXPECT_EQ(result.targets, std::vector<uint32_t>{target->GetObjectId()});
    EXPECT_EQ(result.coords.GetPosition(), owner->GetCoords().GetPosition());

    const float life = target->GetCurrentLife();
    const uint32_t hits = target->GetPlayStats().GetHitsReceived();
    faux->TargetResult(*owner, {target->GetObjectId(), faux->GetObjectId()}, result.coords, result.seed, 0, false);
    EXPECT_EQ(target->GetPlayStats().GetHitsReceived(), hits + 1);
    EXPECT_EQ(target->GetCurrentLife(), life);
}

// The bundled records of each kind: the arena's summoner knows the generator, whose two
// creatures are monsters, the first leaving remains when it dies.
TEST_F(SpawnedCreaturesTest, TheBundledRecordsMakeEachKind)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    ObjectManager& objects = ObjectManager::Get();
    auto* generator = objects.CreateObjectFromFile<Skill_MonsterGenerator>("Records/Skills/ArenaGenerator.dbr");
    auto* remains = objects.CreateObjectFromFile<Skill_OnDeathSpawnActor>("Records/Skills/ArenaRemains.dbr");
    auto* faux = objects.CreateObjectFromFile<Skill_DemoFauxAttack>("Records/Skills/ArenaFauxStrike.dbr");
    ASSERT_TRUE(generator && remains && faux);
    const SkillProfile* profile = generator->GetSkillProfile();
    ASSERT_NE(profile, nullptr);
    ASSERT_EQ(profile->GetNumberOfSpawnObjects(), 2u);
    for (unsigned choice = 1; choice <= 2; ++choice) {
        auto* creature = objects.CreateObjectFromFile<Monster>(profile->GetSpawnObject(choice));
        ASSERT_NE(creature, nullptr) << choice;
        EXPECT_EQ(creature->GetSkillManager().FindSkillId("Records/Skills/ArenaRemains.dbr") != 0, choice == 1);
    }
    remains->SetSkillLevel(1);
    EXPECT_NE(objects.CreateObjectFromFile<Actor>(remains->GetSkillProfile()->GetSpawnObject(1)), nullptr);
    auto* summoner = objects.CreateObjectFromFile<Monster>("Records/Creatures/ArenaSummoner.dbr");
    ASSERT_NE(summoner, nullptr);
    EXPECT_NE(objects.GetObject<Skill_MonsterGenerator>(
                  summoner->GetSkillManager().FindSkillId("Records/Skills/ArenaGenerator.dbr")),
              nullptr);
}

}  // namespace

}  // namespace GAME
