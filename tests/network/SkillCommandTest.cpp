// The skill commands on a character: buffs put on and taken off by command, the skill
// services that queue the commands, the release of a pet and the chained boss's effects.
#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Game/ai/ControllerAI.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Typhon.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/network/ConfigCmdPackets.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillActivated.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillServices_Character.h"
#include "PacketTestUtil.h"

namespace GAME {

// An activated skill that notes each time it acts.
class NotingActivated : public SkillActivated {
    GAME_DECLARE_CLASS(NotingActivated)
public:
    void ActivateNow(Character&, const Name& event, unsigned target, const WorldVec3&) override
    {
        acts.push_back(std::string(event.c_str()) + " on " + std::to_string(target));
    }
    std::vector<std::string> acts;
};
GAME_IMPLEMENT_CLASS(NotingActivated, SkillActivated)

namespace {

class SkillCommandTest : public EngineTest {
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/Hero.dbr", "Class,Character,\n");
        records.RegisterRecord("Records/Test/Beast.dbr", "Class,Monster,\n");
        records.RegisterRecord("Records/Test/Buff.dbr", "Class,Skill,\n");
        records.RegisterRecord("Records/Test/Mod.dbr", "Class,Skill_Modifier,\n");
        records.RegisterRecord("Records/Test/Strike.dbr", "Class,NotingActivated,\nskillMaxLevel,3,\nskillUltimateLevel,4,\nskillCooldownTime,2,\n");
        records.RegisterRecord("Records/Test/Typhon.dbr", "Class,Typhon,\n");
        hero = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Hero.dbr");
        ASSERT_NE(hero, nullptr);
    }
    void TearDown() override
    {
        ConnectionManager::Get().SetTransport(nullptr);
        EngineTest::TearDown();
    }
    void Run(ActorConfigCommand* command)
    {
        hero->Enqueue(command);
        gEngine->RunActorCommands();
    }
    size_t Objects() { return ObjectManager::Get().GetObjectCount(); }
    // The packets of type P that the commands run have sent, read back.
    template <class P>
    std::vector<P> Sent()
    {
        std::vector<P> packets;
        for (const auto& sent : transport.sent)
            if (sent.Type() == P::kType && ReadInto(packets.emplace_back(), sent.bytes) == false)
                ADD_FAILURE() << "unreadable packet of type " << P::kType;
        return packets;
    }
    void Listen()
    {
        ConnectionManager::Get().SetTransport(&transport);
        transport.Connect(3);
    }

    Character* hero = nullptr;
    RecordingTransport transport;
};

// A peer's buff command makes only skills of its records; level 0 takes the buff off.
TEST_F(SkillCommandTest, ABuffCommandMakesOnlySkillsAndLevelZeroRemovesIt)
{
    const uint32_t id = hero->GetObjectId();
    const size_t before = Objects();
    // Records of another class are never created: not as the buff, not as a modifier.
    Run(new CreateRemoveSkillBuffConfigCmd(id, 0, "Records/Test/Hero.dbr", 2, "", 0, "", 0, 1000, 7));
    EXPECT_FALSE(hero->GetSkillManager().IsSkillBuffActive("Records/Test/Hero.dbr"));
    EXPECT_EQ(Objects(), before);

    Run(new CreateRemoveSkillBuffConfigCmd(id, 0, "Records/Test/Buff.dbr", 2, "Records/Test/Mod.dbr", 1,
                                           "Records/Test/Buff.dbr", 1, 1000, 7));
    const SkillManager& manager = hero->GetSkillManager();
    EXPECT_TRUE(manager.IsSkillBuffActive("records\\TEST\\buff.dbr"));
    ASSERT_EQ(manager.GetUITempSkillList().size(), 1u);
    const auto* buff = ObjectManager::Get().GetObject<Skill>(manager.GetUITempSkillList()[0]);
    ASSERT_NE(buff, nullptr);
    EXPECT_EQ(buff->GetSkillLevel(), 2);
    ASSERT_EQ(buff->GetModifiers().size(), 1u);   // the plain skill named as a modifier is left out
    EXPECT_NE(ObjectManager::Get().GetObject<Skill_Modifier>(buff->GetModifiers()[0]), nullptr);
    EXPECT_EQ(Objects(), before + 2);

    // A second command replaces the buff; level 0 removes it.
    Run(new CreateRemoveSkillBuffConfigCmd(id, 0, "Records/Test/Buff.dbr", 5, "", 0, "", 0, 1000, 8));
    ASSERT_EQ(manager.GetUITempSkillList().size(), 1u);
    EXPECT_EQ(ObjectManager::Get().GetObject<Skill>(manager.GetUITempSkillList()[0])->GetSkillLevel(), 5);
    Run(new CreateRemoveSkillBuffConfigCmd(id, 0, "Records/Test/Buff.dbr", 0, "", 0, "", 0, 0, 0));
    EXPECT_FALSE(manager.IsSkillBuffActive("Records/Test/Buff.dbr"));
    EXPECT_TRUE(manager.GetUITempSkillList().empty());
    ObjectManager::Get().FlushDestroyedObjects();
    EXPECT_EQ(Objects(), before);

    // A dead character gets no buff.
    hero->SetLifeState(Character_LifeState_Dead);
    Run(new CreateRemoveSkillBuffConfigCmd(id, 0, "Records/Test/Buff.dbr", 1, "", 0, "", 0, 0, 0));
    EXPECT_FALSE(manager.IsSkillBuffActive("Records/Test/Buff.dbr"));

    // A character's buffs leave with it.
    hero->SetLifeState(Character_LifeState_Alive);
    Run(new CreateRemoveSkillBuffConfigCmd(id, 0, "Records/Test/Buff.dbr", 1, "Records/Test/Mod.dbr", 1, "", 0, 0, 0));
    EXPECT_EQ(Objects(), before + 2);
    ObjectManager::Get().DestroyObjectEx(hero, "test", __LINE__);
    ObjectManager::Get().FlushDestroyedObjects();
    ObjectManager::Get().FlushDestroyedObjects();   // what the character's end destroyed
    EXPECT_EQ(Objects(), before - 1);
    hero = nullptr;
}

// The controlling peer's services queue each announcement on the character; the command
// runs there and its packet goes to the other peers.
TEST_F(SkillCommandTest, TheServicesQueueTheSkillCommandsOnTheirCharacter)
{
    Listen();
    SkillManager& manager = hero->GetSkillManager();
    EXPECT_EQ(manager.GetSkillServices(), nullptr);
    manager.SetAsControllingManager();
    SkillServicesBase* services = manager.GetSkillServices();
    ASSERT_NE(services, nullptr);
    manager.SetAsControllingManager();
    EXPECT_EQ(manager.GetSkillServices(), services);

    const WorldVec3 point(nullptr, Vec3(1.0f, 2.0f, 3.0f));
    services->SendCreateProjectile(0, WorldCoords(), 0, point, 0x12345, 9);
    services->IncHitIteration();
    services->SendCreateProjectile(0, WorldCoords(), 0, point, 0x12345, 9);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 2u);
    gEngine->RunActorCommands();
    const auto projectiles = Sent<CreateProjectileConfigCmdPacket>();
    ASSERT_EQ(projectiles.size(), 2u);
    transport.sent.clear();
    EXPECT_EQ(projectiles[0].actorId.GetId(), hero->GetObjectId());
    EXPECT_NE(projectiles[0].projectileId, 0u);
    EXPECT_NE(projectiles[0].projectileId, projectiles[1].projectileId);   // a fresh id each
    EXPECT_EQ(projectiles[0].seed, 0x2345);
    EXPECT_EQ(projectiles[0].weaponId, 9u);
    EXPECT_EQ(projectiles[0].hitIteration, 0);
    EXPECT_EQ(projectiles[1].hitIteration, 1);

    services->SendTargetResult(0, {hero->GetObjectId()}, WorldCoords(), 7, 0, true);
    services->SendSkillStateUpdate(0, SkillState{3, true});
    gEngine->RunActorCommands();
    EXPECT_EQ(Sent<SkillTargetResultConfigCmdPacket>().size(), 1u);
    const auto states = Sent<SkillStateUpdateConfigCmdPacket>();
    ASSERT_EQ(states.size(), 1u);
    EXPECT_EQ(states[0].state, (SkillState{3, true}));
}

// A buff granted twice, by a weaker caster, by a stronger one, then taken off: a command
// only for each change, and the commands put the buff on and take it off.
TEST_F(SkillCommandTest, GrantingABuffQueuesACommandOnlyForAChange)
{
    Listen();
    hero->GetSkillManager().SetAsControllingManager();
    SkillServicesBase& services = *hero->GetSkillManager().GetSkillServices();
    SkillBuffTransfer grant{"Records/Test/Buff.dbr", 2, "", 0, "", 0, 1500, 7};
    services.CreateUpdateSkillBuff(grant, {}, false);
    services.CreateUpdateSkillBuff(grant, {}, false);
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
    SkillBuffTransfer weaker = grant;
    weaker.casterId = 8;
    services.CreateUpdateSkillBuff(weaker, {}, false);   // equal total, other caster
    EXPECT_EQ(hero->GetQueuedCommandCount(), 1u);
    SkillBuffTransfer stronger = weaker;
    stronger.modifierName1 = "Records/Test/Mod.dbr";
    stronger.modifierLevel1 = 1;
    services.CreateUpdateSkillBuff(stronger, {}, false);
    services.CreateUpdateSkillBuff(grant, {Weapon_Bow}, false);   // no bow in hand
    services.CreateUpdateSkillBuff(grant, {}, true);              // not dual wielding
    EXPECT_EQ(hero->GetQueuedCommandCount(), 2u);
    gEngine->RunActorCommands();
    const auto commands = Sent<CreateRemoveSkillBuffConfigCmdPacket>();
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[1].casterId, 8u);
    EXPECT_EQ(commands[1].timeToLive, 1500);
    EXPECT_TRUE(hero->GetSkillManager().IsSkillBuffActive("Records/Test/Buff.dbr"));
    transport.sent.clear();

    services.RemoveSkillBuff("records\\test\\BUFF.dbr");
    gEngine->RunActorCommands();
    const auto removal = Sent<CreateRemoveSkillBuffConfigCmdPacket>();
    ASSERT_EQ(removal.size(), 1u);
    EXPECT_EQ(removal[0].level, 0u);
    EXPECT_FALSE(hero->GetSkillManager().IsSkillBuffActive("Records/Test/Buff.dbr"));
}

// The commands reach the skill of their reference number: its place in the skill
// manager's list of the character's skills.
TEST_F(SkillCommandTest, TheCommandsReachTheSkillOfTheirReferenceNumber)
{
    auto* skill = ObjectManager::Get().CreateObjectFromFile<NotingActivated>("Records/Test/Strike.dbr");
    ASSERT_NE(skill, nullptr);
    SkillManager& manager = hero->GetSkillManager();
    manager.AddSkill(skill);
    const uint32_t number = hero->GetSkillReferenceNumber(skill->GetObjectId());
    ASSERT_EQ(manager.GetSkillIdFromReference(number), skill->GetObjectId());
    EXPECT_EQ(manager.GetSkillIdFromReference(number + 1), 0u);
    EXPECT_EQ(manager.GetSkillReferenceNumber(skill->GetObjectId() + 1000), 0xFFFFFFFFu);
    const uint32_t id = hero->GetObjectId();

    // A follower takes the state it is sent; the peer that drives the skill keeps its own.
    Run(new SkillStateUpdateConfigCmd(id, number, SkillState{1, true}));
    EXPECT_EQ(skill->GetSkillLevel(), 1);
    manager.SetAsControllingManager();
    Run(new SkillStateUpdateConfigCmd(id, number, SkillState{3, true}));
    EXPECT_EQ(skill->GetSkillLevel(), 1);

    Run(new ActivateSkillConfigCmd(id, number, 77, WorldVec3()));
    EXPECT_EQ(skill->acts, (std::vector<std::string>{"End on 77"}));

    // Only the first hit of a use that reached a target starts the cooldown.
    Run(new SkillTargetResultConfigCmd(id, number, {}, WorldCoords(), 1, 0, false, 1));
    Run(new SkillTargetResultConfigCmd(id, number, {77}, WorldCoords(), 1, 0, false, 2));
    Run(new CreateProjectileConfigCmd(id, number + 1000, 0, WorldCoords(), 0, WorldVec3(), 5, 1, 1));   // no skill
    EXPECT_EQ(skill->GetCooldownTotal(), 0);
    Run(new SkillTargetResultConfigCmd(id, number, {77}, WorldCoords(), 1, 0, false, 1));
    EXPECT_EQ(skill->GetCooldownTotal(), 2000);
}

// Only the actor's own pet is released; a creature without a combat controller stays.
TEST_F(SkillCommandTest, ReleasingAPetKillsOnlyAPetOfTheActor)
{
    auto* pet = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/Beast.dbr");
    auto* stray = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/Beast.dbr");
    ASSERT_TRUE(pet && stray);
    for (Monster* monster : {pet, stray}) {
        auto* controller = DynamicCast<ControllerAI>(ObjectManager::Get().CreateObject("ControllerAI"));
        ASSERT_NE(controller, nullptr);
        monster->SetControllerId(controller->GetObjectId());
        controller->AttachParent(monster->GetObjectId());
        monster->SetLifeState(Character_LifeState_Alive);
    }
    pet->SetMasterId(hero->GetObjectId());
    const Character_LifeState heroLife = hero->GetLifeState();
    Run(new ReleasePetConfigCmd(hero->GetObjectId(), stray->GetObjectId()));   // not the actor's
    Run(new ReleasePetConfigCmd(hero->GetObjectId(), hero->GetObjectId()));
    EXPECT_EQ(stray->GetLifeState(), Character_LifeState_Alive);
    EXPECT_EQ(hero->GetLifeState(), heroLife);
    Run(new ReleasePetConfigCmd(hero->GetObjectId(), pet->GetObjectId()));
    EXPECT_EQ(pet->GetLifeState(), Character_LifeState_Dying);

    auto* lonely = ObjectManager::Get().CreateObjectFromFile<Monster>("Records/Test/Beast.dbr");
    lonely->SetMasterId(hero->GetObjectId());
    lonely->SetLifeState(Character_LifeState_Alive);
    Run(new ReleasePetConfigCmd(hero->GetObjectId(), lonely->GetObjectId()));
    EXPECT_EQ(lonely->GetLifeState(), Character_LifeState_Alive);
}

TEST_F(SkillCommandTest, TheChainedBossSwitchesItsGodSkillEffectsOff)
{
    auto* typhon = ObjectManager::Get().CreateObjectFromFile<Typhon>("Records/Test/Typhon.dbr");
    ASSERT_NE(typhon, nullptr);
    for (size_t i = 0; i < Typhon::kGodSkillCount; ++i) {
        typhon->GetGodSkillEffect(i).SetParent(typhon->GetObjectId());
        typhon->GetGodSkillEffect(i).Start();
        ASSERT_TRUE(typhon->GetGodSkillEffect(i).IsStarted());
    }
    Run(new DisableTyphonSkillEffectsConfigCmd(hero->GetObjectId()));   // no boss: nothing
    EXPECT_TRUE(typhon->GetGodSkillEffect(0).IsStarted());
    typhon->Enqueue(new DisableTyphonSkillEffectsConfigCmd(typhon->GetObjectId()));
    gEngine->RunActorCommands();
    for (size_t i = 0; i < Typhon::kGodSkillCount; ++i)
        EXPECT_FALSE(typhon->GetGodSkillEffect(i).IsStarted());
}

}  // namespace
}  // namespace GAME
