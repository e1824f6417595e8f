// The boss skills with the bundled boss records: the chain laser's three beams and the
// sickle, the spirit bursts that raise statues, and the skill transfer's beam; what a
// client may report of them.
#include <gtest/gtest.h>

#include <memory>

#include "characters/CharacterWorldFixture.h"
#include "Game/ai/ControllerSpirit.h"
#include "Game/ai/ControllerTyphonChained.h"
#include "Game/ai/ControllerZoverad.h"
#include "Game/core/TeamManager.h"
#include "Game/combat/CombatManager.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_BossKinds.h"
#include "Game/skills/Skill_ZoveradChainLaser.h"
#include "Game/world/EffectEntity.h"
#include "skills/FakeSkillOwner.h"

namespace GAME {
namespace {

constexpr const char* kLaser = "Records/Skills/Boss/ZoveradChainLaser.dbr";       // beam velocity 2.0
constexpr const char* kSpirit = "Records/Skills/Boss/MegalesiosSpirit.dbr";       // burst velocity 10
constexpr const char* kTransfer = "Records/Skills/Boss/TyphonSkillTransfer.dbr";  // beam velocity 1.0

class BossSkillsTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase::Get().SetDataRoot(GAME_DATA_DIR);
        owner.services = &owner;
    }
    template <class T>
    T* MakeSkill(const char* record, Character& user)
    {
        T* skill = ObjectManager::Get().CreateObjectFromFile<T>(record);
        EXPECT_NE(skill, nullptr);
        owner.parent = &user;
        skill->SetManager(&owner);
        skill->SetSkillLevel(1);
        return skill;
    }
    template <class T = Character>
    T* Creature(const char* record, float x, float z = 0.0f)
    {
        T* creature = ObjectManager::Get().CreateObjectFromFile<T>(record);
        EXPECT_NE(creature, nullptr);
        EXPECT_TRUE(World::Get().AddEntity(creature, WorldCoords(region, Coords::MakeTranslation({x, 0, z}))));
        return creature;
    }
    // A monster on the statue's controller, which it is told apart by.
    Character* Statue(float x)
    {
        Character* statue = Creature("Records/Creatures/Boss/SpiritStatue.dbr", x);
        statue->SetInvincible(true);
        return statue;
    }
    static ControllerSpiritHost* StatueMind(const Character& statue)
    {
        return ObjectManager::Get().GetObject<ControllerSpiritHost>(statue.GetControllerId());
    }

    FakeOwner owner;
};

// ---- Chain laser ---------------------------------------------------------------------------

TEST_F(BossSkillsTest, TheLaserStrikesTheChainsOfAChainedCreatureWithin20AndNothingElse)
{
    auto* boss = Creature<Zoverad>("Records/Creatures/Boss/Zoverad.dbr", 0.0f);
    auto* chained = Creature<TyphonChained>("Records/Creatures/Boss/TyphonChained.dbr", 15.0f);
    Creature("Records/Creatures/Boss/SpiritStatue.dbr", 5.0f);   // no chained creature
    Frame();   // the chained creature puts its chains on
    ASSERT_NE(chained->GetChains(), nullptr);
    EXPECT_TRUE(chained->GetChains()->IsAttachedTo(chained));
    auto* laser = MakeSkill<Skill_ZoveradChainLaser>(kLaser, *boss);

    laser->ActivateNow(*boss, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_EQ(owner.results[0].targets, (std::vector<uint32_t>{chained->GetChains()->GetObjectId()}));
    EXPECT_EQ(owner.results[0].skillId, laser->GetObjectId());

    World::Get().SetCoords(chained, WorldCoords(region, Coords::MakeTranslation({25.0f, 0, 0})));
    laser->ActivateNow(*boss, Name(), 0, At(0.0f));
    owner.services = nullptr;
    World::Get().SetCoords(chained, WorldCoords(region, Coords::MakeTranslation({5.0f, 0, 0})));
    laser->ActivateNow(*boss, Name(), 0, At(0.0f));
    EXPECT_EQ(owner.results.size(), 1u);
}

TEST_F(BossSkillsTest, BeamsAtVelocity2AreDrawnAfter500msTrailAfterAndAreDoneAfter1000msThenTheSickleBlows)
{
    auto* boss = Creature<Zoverad>("Records/Creatures/Boss/Zoverad.dbr", 0.0f);
    auto* chained = Creature<TyphonChained>("Records/Creatures/Boss/TyphonChained.dbr", 10.0f);
    Frame();
    boss->GetSkillManager().SetAsControllingManager();
    ItemReplicaInfo info;
    info.baseName = "Records/Item/Weapons/Sword.dbr";
    Item* sickle = Item::CreateItem(info);
    ASSERT_NE(sickle, nullptr);
    const uint32_t sickleId = sickle->GetObjectId();
    boss->GetInventory().AddItemToInventory(sickleId, false);
    boss->AttachItemAction(sickleId, EquipLocation_RightHand);
    auto* laser = MakeSkill<Skill_ZoveradChainLaser>(kLaser, *boss);
    for (size_t i = 0; i < Skill_ZoveradChainLaser::kBeams; ++i)
        ASSERT_NE(laser->GetBeam(i), nullptr);

    laser->TargetResult(*boss, {chained->GetChains()->GetObjectId()}, boss->GetCoords(), 1, 0, false);
    EXPECT_TRUE(laser->IsLaserRunning());
    EXPECT_TRUE(laser->GetBeam(0)->IsInWorld());
    EXPECT_EQ(laser->GetBeam(0)->GetTopPercent(), 0.0f);
    struct Step { int atMs; float top, bottom; bool done; };
    const Step steps[] = {
        {250, 0.5f, 0.0f, false},   // growing out of the boss
        {500, 1.0f, 0.0f, false},   // fully drawn
        {750, 1.0f, 0.5f, false},   // the tail has left the boss
        {1050, 0.0f, 0.0f, true},   // past its run: hidden
    };
    int elapsed = 0;
    for (const Step& step : steps) {
        for (; elapsed < step.atMs; elapsed += 50)
            laser->Update(*boss, 50);
        for (size_t i = 0; i < Skill_ZoveradChainLaser::kBeams; ++i) {
            SCOPED_TRACE(testing::Message() << step.atMs << " ms, beam " << i);
            EXPECT_NEAR(laser->GetBeam(i)->GetTopPercent(), step.top, 1e-4f);
            EXPECT_NEAR(laser->GetBeam(i)->GetBottomPercent(), step.bottom, 1e-4f);
            EXPECT_EQ(laser->IsBeamDone(i), step.done);
        }
        EXPECT_EQ(boss->IsSickleGone(), step.done);
    }
    EXPECT_FALSE(laser->IsLaserRunning());
    // The sickle leaves the hand and the inventory, from the peer that decides.
    Frame();
    EXPECT_EQ(boss->GetCombatManager().GetEquipManager().GetItemId(EquipLocation_RightHand), 0u);
    EXPECT_FALSE(boss->HasItem(sickleId));
    // The beams stay with the skill, out of sight, while the world's frames pass.
    Frame(1000);
    EXPECT_NE(laser->GetBeam(2), nullptr);
}

TEST_F(BossSkillsTest, ChainsThatVanishMidLaserHideEveryBeamAtOnceAndTheSickleStillDrops)
{
    auto* boss = Creature<Zoverad>("Records/Creatures/Boss/Zoverad.dbr", 0.0f);
    auto* chained = Creature<TyphonChained>("Records/Creatures/Boss/TyphonChained.dbr", 10.0f);
    Frame();
    auto* laser = MakeSkill<Skill_ZoveradChainLaser>(kLaser, *boss);
    laser->TargetResult(*boss, {chained->GetChains()->GetObjectId()}, boss->GetCoords(), 1, 0, false);
    laser->Update(*boss, 300);
    EXPECT_GT(laser->GetBeam(1)->GetTopPercent(), 0.5f);

    ObjectManager::Get().DestroyObjectEx(chained, "test", __LINE__);   // its chains go with it
    laser->Update(*boss, 16);
    for (size_t i = 0; i < Skill_ZoveradChainLaser::kBeams; ++i) {
        EXPECT_TRUE(laser->IsBeamDone(i));
        EXPECT_EQ(laser->GetBeam(i)->GetTopPercent(), 0.0f);
    }
    EXPECT_TRUE(boss->IsSickleGone());
    EXPECT_FALSE(laser->IsLaserRunning());
}

// ---- Spirit bursts -------------------------------------------------------------------------

TEST_F(BossSkillsTest, TheSpiritCastNamesEveryStatueWithin80AndNoOtherMonster)
{
    Character* caster = Creature("Records/Creatures/Boss/Megalesios.dbr", 0.0f);
    Character* near = Statue(50.0f);
    Statue(95.0f);
    Creature("Records/Creatures/Boss/Zoverad.dbr", 10.0f);
    Frame();
    auto* spirit = MakeSkill<Skill_SpawnMegalesiosSpirit>(kSpirit, *caster);
    ASSERT_NE(StatueMind(*near), nullptr);

    spirit->ActivateNow(*caster, Name(), 0, At(0.0f));
    ASSERT_EQ(owner.results.size(), 1u);
    EXPECT_EQ(owner.results[0].targets, (std::vector<uint32_t>{near->GetObjectId()}));
}

TEST_F(BossSkillsTest, ABurstAt10Per95msFrameMoves095AndRaisesItsStatueOnTheFirstFrameUnder095Away)
{
    Character* caster = Creature("Records/Creatures/Boss/Megalesios.dbr", 0.0f);
    Character* statue = Statue(4.0f);
    Frame();
    auto* spirit = MakeSkill<Skill_SpawnMegalesiosSpirit>(kSpirit, *caster);
    spirit->TargetResult(*caster, {statue->GetObjectId(), caster->GetObjectId() + 0x100}, caster->GetCoords(), 1, 0,
                         false);
    ASSERT_EQ(spirit->GetBursts().size(), 1u);   // the id that names nothing makes no burst
    const uint32_t effectId = spirit->GetBursts()[0].effectId;
    ASSERT_NE(ObjectManager::Get().GetObject<EffectEntity>(effectId), nullptr);

    // 4.0 units: 3.05, 2.10, 1.15, 0.20 left after four frames; the fifth arrives.
    const float left[] = {3.05f, 2.10f, 1.15f, 0.20f};
    for (const float expected : left) {
        spirit->Update(*caster, 95);
        ASSERT_EQ(spirit->GetBursts().size(), 1u);
        const WorldVec3& at = spirit->GetBursts()[0].position;
        EXPECT_NEAR(4.0f - at.GetRegionPosition().x, expected, 1e-4f);
        EXPECT_NEAR(ObjectManager::Get().GetObject<EffectEntity>(effectId)->GetCoords().GetRegionCoords().origin.x,
                    at.GetRegionPosition().x, 1e-5f);
        EXPECT_EQ(StatueMind(*statue)->GetStateName(), "Startup");
    }
    spirit->Update(*caster, 95);
    EXPECT_TRUE(spirit->GetBursts().empty());
    // Without a rise animation to wait for, the statue is a monster at once; the change
    // of its vulnerability is a queued command, run with the next frame.
    EXPECT_EQ(StatueMind(*statue)->GetStateName(), "Idle");
    EXPECT_TRUE(StatueMind(*statue)->IsAnimated());
    Frame();
    EXPECT_FALSE(statue->IsInvincible());
    EXPECT_EQ(ObjectManager::Get().GetObject<EffectEntity>(effectId), nullptr);
}

TEST_F(BossSkillsTest, ABurstWhoseStatueIsGoneEndsAndTakesItsEffectOutOfTheWorld)
{
    Character* caster = Creature("Records/Creatures/Boss/Megalesios.dbr", 0.0f);
    Character* statue = Statue(30.0f);
    auto* spirit = MakeSkill<Skill_SpawnMegalesiosSpirit>(kSpirit, *caster);
    spirit->TargetResult(*caster, {statue->GetObjectId()}, caster->GetCoords(), 1, 0, false);
    const uint32_t effectId = spirit->GetBursts().at(0).effectId;
    spirit->Update(*caster, 95);

    ObjectManager::Get().DestroyObjectEx(statue, "test", __LINE__);
    spirit->Update(*caster, 95);
    EXPECT_TRUE(spirit->GetBursts().empty());
    EXPECT_EQ(ObjectManager::Get().GetObject<EffectEntity>(effectId), nullptr);
}

// ---- Skill transfer ------------------------------------------------------------------------

TEST_F(BossSkillsTest, TheTransferStrikesThenItsBeamGrowsForASecondRetractsForTheNextAndThenHides)
{
    Character* caster = Creature("Records/Creatures/Boss/TyphonChained.dbr", 0.0f);
    Character* target = Creature("Records/Creatures/Boss/Megalesios.dbr", 6.0f);
    auto* transfer = MakeSkill<Skill_TyphonSkillTransfer>(kTransfer, *caster);
    ASSERT_NE(transfer->GetBeam(), nullptr);
    transfer->ActivateNow(*caster, Name(), target->GetObjectId(), At(6.0f));
    ASSERT_EQ(owner.results.size(), 1u);
    transfer->TargetResult(*caster, owner.results[0].targets, caster->GetCoords(), owner.results[0].seed, 0, false);
    EXPECT_EQ(target->GetAttackerId(), caster->GetObjectId());
    EXPECT_EQ(transfer->GetBeamTarget(), target->GetObjectId());
    EXPECT_TRUE(transfer->GetBeam()->IsInWorld());
    WorldVec3 middle = target->GetCoords().GetPosition();   // the beam starts at the target's middle
    middle.Translate(target->GetCenterOfMass());
    EXPECT_EQ(transfer->GetBeam()->GetLineSource(), middle);

    struct Step { int atMs; float top, bottom; bool sourceEnd, targetEnd; };
    const Step steps[] = {
        {500, 0.5f, 0.0f, true, false},    // growing: the effect at the target's end
        {1500, 1.0f, 0.5f, false, true},   // retracting: the effect at the caster's end
        {2100, 0.0f, 0.0f, false, false},  // over
    };
    int elapsed = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(step.atMs);
        for (; elapsed < step.atMs; elapsed += 100)
            transfer->Update(*caster, 100);
        EXPECT_NEAR(transfer->GetBeam()->GetTopPercent(), step.top, 1e-4f);
        EXPECT_NEAR(transfer->GetBeam()->GetBottomPercent(), step.bottom, 1e-4f);
        EXPECT_EQ(transfer->GetSourceEnd() != nullptr, step.sourceEnd);
        EXPECT_EQ(transfer->GetTargetEnd() != nullptr, step.targetEnd);
    }
}

TEST_F(BossSkillsTest, EveryPeerStartsTheBeamAgainAndACastOnAGoneTargetLeavesTheBeam)
{
    Character* caster = Creature("Records/Creatures/Boss/TyphonChained.dbr", 0.0f);
    Character* first = Creature("Records/Creatures/Boss/Megalesios.dbr", 6.0f);
    Character* second = Creature("Records/Creatures/Boss/Megalesios.dbr", -6.0f);
    owner.services = nullptr;   // a peer that only hears of the casts
    auto* transfer = MakeSkill<Skill_TyphonSkillTransfer>(kTransfer, *caster);
    transfer->TargetResult(*caster, {first->GetObjectId()}, caster->GetCoords(), 3, 0, false);
    transfer->Update(*caster, 1500);
    EXPECT_NEAR(transfer->GetProgress(), 1.5f, 1e-4f);

    transfer->TargetResult(*caster, {second->GetObjectId()}, caster->GetCoords(), 4, 0, false);
    EXPECT_EQ(transfer->GetProgress(), 0.0f);
    transfer->Update(*caster, 250);
    EXPECT_NEAR(transfer->GetBeam()->GetTopPercent(), 0.25f, 1e-4f);
    EXPECT_EQ(transfer->GetBeamTarget(), second->GetObjectId());

    const WorldVec3 source = transfer->GetBeam()->GetLineSource();
    const uint32_t gone = first->GetObjectId();
    ObjectManager::Get().DestroyObjectEx(first, "test", __LINE__);
    transfer->TargetResult(*caster, {gone}, caster->GetCoords(), 5, 0, false);
    EXPECT_EQ(transfer->GetBeamTarget(), second->GetObjectId());
    EXPECT_EQ(transfer->GetBeam()->GetLineSource(), source);
}

// Copies of a skill draw no beams: the original keeps its beams when a copy goes.
TEST_F(BossSkillsTest, ACopyOfABeamSkillOwnsNoBeamAndLeavesTheOriginalsBeamAlone)
{
    Character* caster = Creature("Records/Creatures/Boss/TyphonChained.dbr", 0.0f);
    auto* transfer = MakeSkill<Skill_TyphonSkillTransfer>(kTransfer, *caster);
    auto* laser = MakeSkill<Skill_ZoveradChainLaser>(kLaser, *caster);
    const uint32_t beam = transfer->GetBeam()->GetObjectId();
    const uint32_t laserBeam = laser->GetBeam(0)->GetObjectId();
    {
        const auto transferCopy = std::make_unique<Skill_TyphonSkillTransfer>(*transfer);
        const auto laserCopy = std::make_unique<Skill_ZoveradChainLaser>(*laser);
        EXPECT_EQ(transferCopy->GetBeam(), nullptr);
        EXPECT_EQ(laserCopy->GetBeam(0), nullptr);
        Skill_TyphonSkillTransfer assigned;
        assigned = *transfer;
        EXPECT_EQ(assigned.GetBeam(), nullptr);
    }
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_NE(ObjectManager::Get().GetObject<SkillGodBeam>(beam), nullptr);
    EXPECT_NE(ObjectManager::Get().GetObject<ChainLaserBeam>(laserBeam), nullptr);

    ObjectManager::Get().DestroyObjectEx(transfer, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(ObjectManager::Get().GetObject<SkillGodBeam>(beam), nullptr);
}

// ---- What a client may report --------------------------------------------------------------

TEST_F(BossSkillsTest, AClientsResultIsTakenOnlyForLivingCharactersItsBossSkillReaches)
{
    Character* caster = Place(Make());
    auto* chained = Creature<TyphonChained>("Records/Creatures/Boss/TyphonChained.dbr", 4.0f);
    LoadTable tree;
    const char* records[] = {kTransfer, kLaser, kSpirit};
    for (uint32_t i = 0; i < 3; ++i) {
        tree.SetValue(("skillName" + std::to_string(i + 1)).c_str(), records[i]);
        tree.SetValue(("skillLevel" + std::to_string(i + 1)).c_str(), "1");
    }
    caster->GetSkillManager().LoadSkills(tree, 3);
    Character* foe = Creature("Records/Creatures/Boss/Megalesios.dbr", 6.0f);
    caster->SetTeam(TeamManager::DefaultPlayerTeam());
    foe->SetTeam(TeamManager::DefaultMonsterTeam());
    Character* farStatue = Statue(50.0f);
    Frame();
    const SkillManager& skills = caster->GetSkillManager();
    const auto reference = [&](const char* record) {
        return caster->GetSkillReferenceNumber(skills.FindSkillId(record));
    };
    struct Case { const char* skill; std::vector<uint32_t> targets; bool taken; };
    const Case cases[] = {
        {kTransfer, {foe->GetObjectId()}, true},
        {kTransfer, {foe->GetObjectId(), foe->GetObjectId()}, false},
        {kLaser, {chained->GetChains()->GetObjectId()}, false},   // chains are no character
        {kSpirit, {farStatue->GetObjectId()}, false},              // beyond what a client reaches
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.skill);
        const SkillTargetResultConfigCmd result(caster->GetObjectId(), reference(c.skill), c.targets,
                                                caster->GetCoords(), 7, 0, false, 1);
        EXPECT_EQ(RefuseClientSkillCommand(result, 1) == nullptr, c.taken);
    }
}

}  // namespace
}  // namespace GAME
