// Walls raised in rings around the user or the aimed point, made under the sent ids on
// every peer and taken down together; and the monsters' pet kind, which only tops its
// group up to the burst.
#include <gtest/gtest.h>

#include <cmath>

#include "characters/CharacterWorldFixture.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/skills/Skill_DefensiveWall.h"
#include "Game/skills/Skill_SpawnPet.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {
namespace {

// Degrees round the vertical from +x, as the rings turn, in [0, 360).
float TurnOf(const Vec3& offset)
{
    const float degrees = std::atan2(-offset.z, offset.x) * 57.29578f;
    return degrees < -1e-3f ? degrees + 360.0f : std::max(degrees, 0.0f);
}

class DefensiveWallTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord("Records/Controllers/Monster/DefaultControllerAI.dbr",
                                             "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Wall.dbr", "Class,Monster,\ncharacterLife,10,\n");
        caster = Place(Make());
        Team team;
        team.Set(kTeamMajorHuman, 2);
        caster->SetTeam(team);
        owner.parent = caster;
        owner.services = &owner;
    }
    template <class T>
    T* MakeSkill(const std::string& lines, const std::string& spawn = "Records/Test/Wall.dbr")
    {
        const std::string name = "Records/Test/Wall" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + T::GetStaticClassInfo().GetName() +
                                                       ",\nskillMaxLevel,3,\nskillManaCost,10,\n"
                                                       "skillCooldownTime,5,\nspawnObjects," +
                                                       spawn + ",\n" + lines);
        T* skill = ObjectManager::Get().template CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(1);
        }
        return skill;
    }
    // The spawn the last cast sent, delivered back as every peer gets it.
    void Deliver(Skill& skill, size_t index)
    {
        ASSERT_LT(index, owner.spawns.size());
        const FakeOwner::Spawn spawn = owner.spawns[index];
        skill.SkillSpawnObject(*caster, spawn.coords, 0, spawn.places, spawn.ids, 7);
        Frame();   // the new creatures' first update gives them their minds
    }

    FakeOwner owner;
    Character* caster = nullptr;
    int skills = 0;
};

TEST_F(DefensiveWallTest, RingsHoldAsManyWallsAsTheSpacingFitsAndEachRingStartsHalfASpacingOn)
{
    struct Row {
        const char* kind;
        float spacing;
        int rings;
        size_t perRing;
        float firstTurnOfRing2;
    };
    const Row rows[] = {
        {"Skill_DefensiveWall", 45.0f, 2, 8, 22.5f},
        {"Skill_DefensiveWall", 50.0f, 1, 7, 0.0f},
        {"Skill_DefensiveGround", 45.0f, 2, 8, 22.5f},
        {"Skill_DefensiveGround", 120.0f, 3, 3, 60.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.kind) + " " + std::to_string(row.spacing));
        owner.spawns.clear();
        const std::string keys = "spawnObjectsNumberOfRings," + std::to_string(row.rings) +
                                 ",\nspawnObjectsSpacingAngle," + std::to_string(row.spacing) +
                                 ",\nspawnObjectsDistanceInnerCircle,3,\nspawnObjectsDistanceIncrement,2,\n";
        const bool ground = std::string(row.kind) == "Skill_DefensiveGround";
        Skill_DefensiveWall* skill = ground ? MakeSkill<Skill_DefensiveGround>(keys) : MakeSkill<Skill_DefensiveWall>(keys);
        ASSERT_NE(skill, nullptr);
        const WorldVec3 aimed = At(10.0f, 4.0f);
        skill->ActivateNow(*caster, Name(), 0, aimed);
        ASSERT_EQ(owner.spawns.size(), 1u);
        const FakeOwner::Spawn& spawn = owner.spawns[0];
        const WorldVec3 centre = ground ? aimed : caster->GetCoords().GetPosition();
        EXPECT_EQ(spawn.coords.GetPosition(), centre);
        ASSERT_EQ(spawn.ids.size(), row.perRing * static_cast<size_t>(row.rings));
        ASSERT_EQ(spawn.places.size(), spawn.ids.size());
        for (size_t i = 0; i < spawn.places.size(); ++i) {
            const size_t ring = i / row.perRing;
            const Vec3 offset = spawn.places[i].GetPosition() - centre;
            EXPECT_NEAR(offset.Length(), 3.0f + 2.0f * static_cast<float>(ring), 1e-3f) << i;
            const float turn = static_cast<float>(ring) * row.spacing * 0.5f +
                               static_cast<float>(i % row.perRing) * row.spacing;
            EXPECT_NEAR(TurnOf(offset), std::fmod(turn, 360.0f), 1e-2f) << i;
        }
        if (row.rings > 1) {
            EXPECT_NEAR(TurnOf(spawn.places[row.perRing].GetPosition() - centre), row.firstTurnOfRing2, 1e-2f);
        }
    }
}

TEST_F(DefensiveWallTest, ACastWithNowhereToStandSendsAndSpendsNothing)
{
    const std::string rings = "spawnObjectsNumberOfRings,2,\nspawnObjectsDistanceInnerCircle,3,\n";
    auto* ground = MakeSkill<Skill_DefensiveGround>(rings + "spawnObjectsSpacingAngle,45,\n");
    auto* flat = MakeSkill<Skill_DefensiveWall>(rings + "spawnObjectsSpacingAngle,0,\n");
    ASSERT_TRUE(ground && flat);
    // The path finder refuses every place around a point that is not a number.
    ground->ActivateNow(*caster, Name(), 0, At(std::nanf(""), 0.0f));
    ground->ActivateNow(*caster, Name(), 0, WorldVec3());   // aimed nowhere
    flat->ActivateNow(*caster, Name(), 0, At(1.0f));        // no spacing: no ring at all
    EXPECT_TRUE(owner.spawns.empty());
    EXPECT_EQ(owner.mana, 100.0f);
    EXPECT_LE(ground->GetCooldownRemaining(), 0);
    EXPECT_EQ(ground->GetWallTimeRemaining(), 0);
}

TEST_F(DefensiveWallTest, WallsComeUnderTheSentIdsAndExpireTogetherOnEveryPeer)
{
    auto* skill = MakeSkill<Skill_DefensiveWall>(
        "spawnObjectsNumberOfRings,1,\nspawnObjectsSpacingAngle,90,\nspawnObjectsDistanceInnerCircle,3,\n"
        "spawnObjectsTimeToLive,2,\n");
    ASSERT_NE(skill, nullptr);
    skill->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.spawns.size(), 1u);
    EXPECT_EQ(skill->GetWallTimeRemaining(), 2000);
    EXPECT_EQ(owner.mana, 100.0f);   // paid when the spawn comes back
    Deliver(*skill, 0);
    EXPECT_EQ(owner.mana, 90.0f);
    EXPECT_GT(skill->GetCooldownRemaining(), 0);
    const FakeOwner::Spawn spawn = owner.spawns[0];
    ASSERT_EQ(skill->GetWalls(), spawn.ids);
    for (size_t i = 0; i < spawn.ids.size(); ++i) {
        const Character* wall = ObjectManager::Get().GetObject<Character>(spawn.ids[i]);
        ASSERT_NE(wall, nullptr);
        EXPECT_TRUE(wall->IsInWorld());
        EXPECT_EQ(wall->GetCoords().GetPosition(), spawn.places[i].GetPosition());
        EXPECT_EQ(wall->GetTeam().GetTeamMajor(), kTeamMajorHuman);
    }

    // The driving peer sends the expiry once when the time is out; every peer then
    // takes the walls down.
    skill->Update(*caster, 1999);
    EXPECT_EQ(owner.spawns.size(), 1u);
    skill->Update(*caster, 1);
    skill->Update(*caster, 500);
    ASSERT_EQ(owner.spawns.size(), 2u);
    EXPECT_TRUE(owner.spawns[1].ids.empty());
    Deliver(*skill, 1);
    EXPECT_TRUE(skill->GetWalls().empty());
    EXPECT_EQ(owner.mana, 90.0f);
    for (uint32_t id : spawn.ids) {
        const Character* wall = ObjectManager::Get().GetObject<Character>(id);
        EXPECT_TRUE(!wall || !wall->IsAlive());
    }

    // Walls without a time to live stay until the skill is cast again or stopped.
    auto* lasting = MakeSkill<Skill_DefensiveGround>(
        "spawnObjectsNumberOfRings,1,\nspawnObjectsSpacingAngle,180,\nspawnObjectsDistanceInnerCircle,3,\n");
    ASSERT_NE(lasting, nullptr);
    lasting->ActivateNow(*caster, Name(), 0, At(20.0f));
    Deliver(*lasting, 2);
    const std::vector<uint32_t> first = lasting->GetWalls();
    ASSERT_EQ(first.size(), 2u);
    lasting->Update(*caster, 1000000);
    EXPECT_EQ(owner.spawns.size(), 3u);
    lasting->ActivateNow(*caster, Name(), 0, At(40.0f));
    Deliver(*lasting, 3);
    EXPECT_FALSE(ObjectManager::Get().GetObject<Character>(first[0])->IsAlive());
    EXPECT_EQ(lasting->GetWalls().size(), 2u);
    lasting->StopSkill(*caster);
    EXPECT_TRUE(lasting->GetWalls().empty());
}

TEST_F(DefensiveWallTest, APeersSpawnListIsBoundedAndAWallThatCannotBeMadeIsLogged)
{
    auto* skill = MakeSkill<Skill_DefensiveWall>("spawnObjectsSpacingAngle,90,\n");
    auto* broken = MakeSkill<Skill_DefensiveWall>("", "Records/Test/NoSuchWall.dbr");
    ASSERT_TRUE(skill && broken);
    // Fewer places than ids: the rest stand at the centre.
    const std::vector<uint32_t> ids = FreshIds(3);
    const WorldCoords centre(region, Coords::MakeTranslation({5, 0, 5}));
    skill->SkillSpawnObject(*caster, centre, 0, {WorldCoords(region, Coords::MakeTranslation({1, 0, 1}))}, ids, 1);
    ASSERT_EQ(skill->GetWalls(), ids);
    EXPECT_EQ(ObjectManager::Get().GetObject<Character>(ids[2])->GetCoords().GetPosition(), centre.GetPosition());

    // Taken ids, id 0 and a flood make nothing beyond what one cast may make.
    LogCapture log;
    const size_t objects = ObjectManager::Get().GetObjectCount();
    skill->SkillSpawnObject(*caster, centre, 0, {}, {caster->GetObjectId(), 0}, 1);
    EXPECT_EQ(log.Count("Failed to spawn wall object (Records/Test/Wall.dbr)"), 2u);
    EXPECT_TRUE(skill->GetWalls().empty());
    EXPECT_LE(ObjectManager::Get().GetObjectCount(), objects);
    skill->SkillSpawnObject(*caster, centre, 0, {}, FreshIds(1000), 1);
    EXPECT_EQ(skill->GetWalls().size(), Skill_DefensiveWall::kMaxWalls);

    broken->SkillSpawnObject(*caster, centre, 0, {}, FreshIds(2), 1);
    EXPECT_EQ(log.Count("Failed to spawn wall object (Records/Test/NoSuchWall.dbr)"), 2u);
    EXPECT_TRUE(broken->GetWalls().empty());
}

// ---- The monsters' pet kind -------------------------------------------------------------

TEST_F(DefensiveWallTest, AMonsterTopsItsGroupUpToTheBurstAndGoneIdsFreeTheirPlaces)
{
    auto* skill = MakeSkill<Skill_SpawnPetMonster>("petBurstSpawn,2,\npetLimit,4,\n");
    ASSERT_NE(skill, nullptr);
    // One living pet: the next cast makes exactly one.
    skill->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, FreshIds(1), 1);
    ASSERT_EQ(skill->GetPets().size(), 1u);
    EXPECT_EQ(skill->GetNumPets(*caster), 1u);
    skill->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.spawns.size(), 1u);
    EXPECT_EQ(owner.spawns[0].ids.size(), 1u);
    Deliver(*skill, 0);
    EXPECT_EQ(skill->GetPets().size(), 2u);
    // Full: no pet to make, nothing sent, and the skill cannot be used.
    EXPECT_EQ(skill->GetNumPets(*caster), 0u);
    skill->ActivateNow(*caster, Name(), 0, At(0.0f));
    EXPECT_EQ(owner.spawns.size(), 1u);
    EXPECT_FALSE(skill->SetAvailability(true, true));

    // A pet that is gone from the game no longer holds its place.
    Character* gone = ObjectManager::Get().GetObject<Character>(skill->GetPets()[0]);
    ASSERT_NE(gone, nullptr);
    ObjectManager::Get().DestroyObjectEx(gone, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    skill->Update(*caster, 16);
    EXPECT_EQ(skill->GetPets().size(), 1u);
    EXPECT_EQ(skill->GetNumPets(*caster), 1u);
    EXPECT_TRUE(skill->SetAvailability(true, true));
}

TEST_F(DefensiveWallTest, BurstsWithinTheLimitReleaseTheOldestFirst)
{
    struct Row {
        unsigned burst, limit, casts;
        size_t kept, firstKept;   // how many stay, and the index (in making order) of the oldest
    };
    const Row rows[] = {{3, 4, 2, 4, 2}, {3, 0, 2, 6, 0}, {2, 3, 3, 3, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.burst) + "/" + std::to_string(row.limit));
        auto* skill = MakeSkill<Skill_SpawnPet>("petBurstSpawn," + std::to_string(row.burst) + ",\npetLimit," +
                                                std::to_string(row.limit) + ",\n");
        ASSERT_NE(skill, nullptr);
        std::vector<uint32_t> made;
        for (unsigned cast = 0; cast < row.casts; ++cast) {
            const std::vector<uint32_t> ids = FreshIds(row.burst);
            skill->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, ids, 1);
            made.insert(made.end(), ids.begin(), ids.end());
            Frame();
        }
        EXPECT_EQ(skill->GetPets(), std::vector<uint32_t>(made.begin() + static_cast<long>(row.firstKept),
                                                          made.begin() + static_cast<long>(row.firstKept + row.kept)));
        for (size_t i = 0; i < row.firstKept; ++i)
            EXPECT_FALSE(ObjectManager::Get().GetObject<Character>(made[i])->IsAlive()) << i;
    }
}

// The bundled summoning records make each kind, and the wall record stands up.
TEST_F(DefensiveWallTest, TheBundledSummonsMakeEachKind)
{
    RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
    const char* kKinds[] = {"Skill_DefensiveWall", "Skill_DefensiveGround", "Skill_SpawnPetMonster"};
    const LoadTable* tree = RecordDatabase::Get().Load("Records/Skills/Summons/SummonsTree.dbr");
    ASSERT_NE(tree, nullptr);
    for (unsigned i = 0; i < std::size(kKinds); ++i) {
        const std::string name = tree->GetString(("skillName" + std::to_string(i + 1)).c_str(), "");
        auto* skill = DynamicCast<SkillActivated>(ObjectManager::Get().CreateObjectFromFile(name));
        ASSERT_NE(skill, nullptr) << name;
        EXPECT_STREQ(skill->GetClassInfo().GetName(), kKinds[i]);
        skill->SetManager(&owner);
        skill->SetSkillLevel(1);
        skill->ActivateNow(*caster, Name(), 0, At(8.0f));
        ASSERT_EQ(owner.spawns.size(), i + 1) << name;
        Deliver(*skill, i);
        for (uint32_t id : owner.spawns[i].ids)
            EXPECT_NE(ObjectManager::Get().GetObject<Monster>(id), nullptr) << name;
    }
}

}  // namespace
}  // namespace GAME
