// The pet-spawning skill: room found for every pet, the pets made under the sent ids on
// every peer, the limit that releases the oldest, and the caster swapped with a pet.
#include <gtest/gtest.h>

#include "characters/CharacterWorldFixture.h"
#include "Engine/PathFinder.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/skills/Skill_SpawnPet.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {

// Swaps its caster with a pet: takes the last place for the caster and notes the move.
class SwappingPetSkill : public Skill_SpawnPet {
    GAME_DECLARE_CLASS(SwappingPetSkill)

public:
    bool SwapCasterWithPet() const override { return true; }
    WorldCoords GetNewCasterCoords(Character& caster, std::vector<WorldVec3>& points) override
    {
        Coords coords = caster.GetCoords().GetRegionCoords();
        coords.origin = points.back().GetRegionPosition();
        points.pop_back();
        return WorldCoords(caster.GetRegion(), coords);
    }
    void SetCasterCoords(Character&, const WorldCoords& coords) override { moves.push_back(coords.GetPosition()); }
    void PostPetSpawned(Character&, Character& pet) override { treated.push_back(pet.GetObjectId()); }
    std::vector<WorldVec3> moves;
    std::vector<uint32_t> treated;
};
GAME_IMPLEMENT_CLASS(SwappingPetSkill, Skill_SpawnPet)

// Tells the room its pets take.
class OpenPetSkill : public Skill_SpawnPet {
    GAME_DECLARE_CLASS(OpenPetSkill)

public:
    using Skill::GetPetExtents;
};
GAME_IMPLEMENT_CLASS(OpenPetSkill, Skill_SpawnPet)

namespace {

class SpawnPetTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().RegisterRecord("Records/Controllers/Monster/DefaultControllerAI.dbr",
                                             "Class,ControllerMonster,\n");
        RecordDatabase::Get().RegisterRecord("Records/Test/Imp.dbr", "Class,Monster,\ncharacterLife,10,\n");
        caster = Place(Make());
        owner.parent = caster;
        owner.services = &owner;
    }
    template <class T = Skill_SpawnPet>
    T* MakeSkill(const std::string& lines)
    {
        const std::string name = "Records/Test/Summon" + std::to_string(++skills) + ".dbr";
        RecordDatabase::Get().RegisterRecord(name, std::string("Class,") + T::GetStaticClassInfo().GetName() +
                                                       ",\nskillMaxLevel,3,\nspawnObjects,Records/Test/Imp.dbr,\n" +
                                                       lines);
        T* skill = ObjectManager::Get().template CreateObjectFromFile<T>(name);
        if (skill) {
            skill->SetManager(&owner);
            skill->SetSkillLevel(1);
        }
        return skill;
    }

    FakeOwner owner;
    Character* caster = nullptr;
    int skills = 0;
};

TEST_F(SpawnPetTest, ACastFindsRoomForEachPetAndEveryPeerMakesThemUnderTheSentIds)
{
    auto* skill = MakeSkill<OpenPetSkill>("petBurstSpawn,3,\n");
    ASSERT_NE(skill, nullptr);
    skill->PreLoadResources();
    skill->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.spawns.size(), 1u);
    const FakeOwner::Spawn& spawn = owner.spawns[0];
    ASSERT_EQ(spawn.ids.size(), 3u);
    ASSERT_EQ(spawn.places.size(), 3u);
    const float room = 1.5f * skill->GetPetExtents();
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_GE((spawn.places[i].GetPosition() - caster->GetCoords().GetPosition()).Length(),
                  (caster->GetExtents() + 2.0f) * 1.5f + room - 1e-3f);
        for (size_t j = 0; j < i; ++j)
            EXPECT_GE((spawn.places[i].GetPosition() - spawn.places[j].GetPosition()).Length(), 2.0f * room - 1e-3f);
    }

    // The receiving peer: the pets come under those ids where they were placed.
    skill->SkillSpawnObject(*caster, spawn.coords, 0, spawn.places, spawn.ids, 5);
    ASSERT_EQ(skill->GetPets(), spawn.ids);
    for (size_t i = 0; i < 3; ++i) {
        const Monster* pet = ObjectManager::Get().GetObject<Monster>(spawn.ids[i]);
        ASSERT_NE(pet, nullptr);
        EXPECT_TRUE(pet->IsInWorld());
        EXPECT_EQ(pet->GetCoords().GetPosition(), spawn.places[i].GetPosition());
    }
    EXPECT_GT(skill->GetCooldownRemaining(), -1);

    owner.services = nullptr;   // a peer that does not drive the skill sends nothing
    skill->ActivateNow(*caster, Name(), 0, At(0.0f));
    EXPECT_EQ(owner.spawns.size(), 1u);
}

TEST_F(SpawnPetTest, ALimitOfThreeKillsTheOldestAndABadSpawnMakesNothing)
{
    Skill_SpawnPet* skill = MakeSkill("petLimit,3,\n");
    ASSERT_NE(skill, nullptr);
    std::vector<uint32_t> made;
    for (int cast = 0; cast < 4; ++cast) {
        const std::vector<uint32_t> ids = FreshIds(1);
        skill->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, ids, 1);
        made.push_back(ids[0]);
        if (cast == 0) {
            auto* pet = ObjectManager::Get().GetObject<Character>(ids[0]);
            auto* mind = DynamicCast<ControllerCombat>(ObjectManager::Get().CreateObject("ControllerMonster"));
            ASSERT_TRUE(pet && mind);
            mind->AttachParent(pet->GetObjectId());
            pet->SetControllerId(mind->GetObjectId());
        }
    }
    EXPECT_EQ(skill->GetPets(), (std::vector<uint32_t>{made[1], made[2], made[3]}));
    const Character* oldest = ObjectManager::Get().GetObject<Character>(made[0]);
    ASSERT_NE(oldest, nullptr);
    EXPECT_FALSE(oldest->IsAlive());
    skill->Update(*caster, 16);   // the dead one is long gone from the list; the living stay
    EXPECT_EQ(skill->GetPets().size(), 3u);

    // A peer's command naming taken ids, or too many, makes nothing for those.
    const size_t objects = ObjectManager::Get().GetObjectCount();
    skill->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, {made[1], caster->GetObjectId(), 0}, 1);
    EXPECT_EQ(ObjectManager::Get().GetObjectCount(), objects);
    const std::vector<uint32_t> flood = FreshIds(1000);
    skill->SkillSpawnObject(*caster, caster->GetCoords(), 0, {}, flood, 1);
    const auto pets = std::count_if(flood.begin(), flood.end(),
                                    [](uint32_t id) { return ObjectManager::Get().GetObject<Monster>(id); });
    EXPECT_EQ(pets, SkillProfile::kMaxPetBurst + 1);

    skill->StopSkill(*caster);
    EXPECT_TRUE(skill->GetPets().empty());
}

TEST_F(SpawnPetTest, ASwappingKindMovesItsCasterToAPlaceAndTreatsEachPet)
{
    auto* skill = MakeSkill<SwappingPetSkill>("petBurstSpawn,2,\n");
    ASSERT_NE(skill, nullptr);
    skill->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.spawns.size(), 1u);
    const FakeOwner::Spawn& spawn = owner.spawns[0];
    // The caster takes a pet's place; a pet takes the caster's.
    ASSERT_EQ(spawn.ids.size(), 2u);
    EXPECT_NE(spawn.coords.GetPosition(), caster->GetCoords().GetPosition());
    EXPECT_EQ(spawn.places[0].GetPosition(), caster->GetCoords().GetPosition());
    skill->SkillSpawnObject(*caster, spawn.coords, 0, spawn.places, spawn.ids, 2);
    EXPECT_EQ(skill->moves, std::vector<WorldVec3>{spawn.coords.GetPosition()});
    EXPECT_EQ(skill->treated, spawn.ids);

    // No room at all: nothing is sent.
    std::vector<WorldVec3> points;
    EXPECT_FALSE(PathFinder::FillPointSet(WorldVec3(), {1.0f}, points, true));
    EXPECT_FALSE(PathFinder::FillPointSet(At(0.0f), {1.0f, std::nanf("")}, points, true));
    EXPECT_TRUE(points.empty());
}

}  // namespace
}  // namespace GAME
