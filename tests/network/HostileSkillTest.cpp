// A hostile client reports what its actor's skill struck: the server applies the result
// only for a skill the actor has at a level, on living characters within the skill's
// reach of the actor, each once, and no more of them than the skill strikes.
#include "characters/CharacterWorldFixture.h"
#include "Engine/ConnectionManager.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/session/ConfigCmdDispatch.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/SkillManager.h"
#include "tests/network/PacketTestUtil.h"

namespace GAME {
namespace {

constexpr int kStrikerHost = 1;
constexpr uint32_t kStriker = 0x10000001;   // the client's own character
constexpr uint32_t kHostsPlayer = 0x00000100;
constexpr uint32_t kBystander = 0x0A000001;
constexpr uint32_t kFoe = 0x0A000002;
constexpr uint32_t kSecondFoe = 0x0A000003;
constexpr const char* kStrike = "Records/Skills/Test/FightStrike.dbr";   // a blow on foes, no target number
constexpr const char* kCurse = "Records/Skills/Test/FightCurse.dbr";     // learned at level 0
constexpr const char* kCleave = "Records/Test/HostileCleave.dbr";        // strikes one target

class HostileSkillTest : public CharacterWorldTest {
protected:
    void SetUp() override
    {
        CharacterWorldTest::SetUp();
        RecordDatabase& records = RecordDatabase::Get();
        records.SetDataRoot(GAME_DATA_DIR);
        records.RegisterRecord("Records/Test/HostileFighter.dbr", "Class,Monster,\ncharacterLife,2000,\n");
        records.RegisterRecord(kCleave, "Class,Skill_AttackInherent,\nskillMaxLevel,1,\nskillTargetNumber,1,\n"
                                        "offensivePhysicalMin,20,\noffensivePhysicalMax,30,\n");
        striker = Fighter(kStriker, 0.0f);
        hostsPlayer = Fighter(kHostsPlayer, 75.0f);
        bystander = Fighter(kBystander, -45.0f);
        foe = Fighter(kFoe, 1.5f);
        secondFoe = Fighter(kSecondFoe, 2.5f);
        striker->SetTeam(TeamManager::DefaultPlayerTeam());
        hostsPlayer->SetTeam(TeamManager::DefaultPlayerTeam());
        Learn({{kStrike, "1"}, {kCurse, "0"}, {kCleave, "1"}});
        gEngine->UpdateFrame(16);   // every fighter's first update: its life
        connections.SetTransport(&transport);
        transport.Connect(kStrikerHost);
        RegisterConfigCmdDispatch();
    }
    void TearDown() override
    {
        UnregisterConfigCmdDispatch();
        connections.SetTransport(nullptr);
        CharacterWorldTest::TearDown();
    }
    Character* Fighter(uint32_t id, float x)
    {
        auto* fighter = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/HostileFighter.dbr", id);
        EXPECT_NE(fighter, nullptr);
        return Place(fighter, x);
    }
    // The striker learns the skills at those levels.
    void Learn(std::initializer_list<std::pair<const char*, const char*>> skills)
    {
        LoadTable tree;
        uint32_t count = 0;
        for (const auto& [record, level] : skills) {
            tree.SetValue(("skillName" + std::to_string(++count)).c_str(), record);
            tree.SetValue(("skillLevel" + std::to_string(count)).c_str(), level);
        }
        striker->GetSkillManager().LoadSkills(tree, count);
    }
    uint32_t Reference(const char* skill) const
    {
        return striker->GetSkillReferenceNumber(striker->GetSkillManager().FindSkillId(skill));
    }
    // The striker's result of the skill on the targets, as its client sends it, and the
    // commands that ran.
    int Strike(uint32_t reference, const std::vector<uint32_t>& targets)
    {
        return Send(reference, targets, striker->GetCoords(), 0);
    }
    // The same with the result's coordinates and value as the client chose them.
    int Send(uint32_t reference, const std::vector<uint32_t>& targets, const WorldCoords& coords, uint32_t value)
    {
        SkillTargetResultConfigCmd result(kStriker, reference, targets, coords, 7, value, false, 1);
        const std::unique_ptr<NetPacket> packet(result.GetNetPacket());
        const Bytes bytes = Written(*packet);
        connections.HandleIncoming(kStrikerHost, bytes.data(), bytes.size());
        return gEngine->RunActorCommands();
    }
    std::vector<float> Lives() const
    {
        std::vector<float> lives;
        for (const Character* character : {hostsPlayer, bystander, foe, secondFoe})
            lives.push_back(character->GetCurrentLife());
        return lives;
    }
    static std::string Dropped(const std::string& reason)
    {
        return "SkillTargetResultConfigCmdPacket from host 1 dropped: " + reason;
    }

    ConnectionManager& connections = ConnectionManager::Get();
    RecordingTransport transport;
    Character *striker = nullptr, *hostsPlayer = nullptr, *bystander = nullptr, *foe = nullptr,
              *secondFoe = nullptr;
};

TEST_F(HostileSkillTest, AStrikeOnCharactersBeyondTheSkillsReachIsDropped)
{
    LogCapture log;
    const std::vector<float> lives = Lives();
    EXPECT_EQ(Strike(Reference(kStrike), {kHostsPlayer, kBystander}), 0);
    EXPECT_EQ(Strike(Reference(kStrike), {kFoe, kBystander}), 0);
    EXPECT_EQ(Lives(), lives);
    EXPECT_TRUE(log.Contains(Dropped("a target is beyond the skill's reach")));
    EXPECT_TRUE(transport.sent.empty());

    // Within reach, the blow lands and goes on to the other clients.
    EXPECT_EQ(Strike(Reference(kStrike), {kFoe}), 1);
    EXPECT_LT(foe->GetCurrentLife(), lives[2]);
    EXPECT_EQ(transport.sent.size(), 1u);

    // A character that shoots reports what its shots hit, as far as a shot flies.
    Learn({{"Records/Skills/ArenaFireball.dbr", "1"}});
    EXPECT_EQ(Strike(Reference(kStrike), {kBystander}), 1);
    EXPECT_EQ(Strike(Reference(kStrike), {kHostsPlayer}), 0);
}

TEST_F(HostileSkillTest, AResultForASkillItLacksOrForTargetsItCouldNotStrikeIsDropped)
{
    LogCapture log;
    const std::vector<float> lives = Lives();
    EXPECT_EQ(Strike(999, {kFoe}), 0);
    EXPECT_EQ(Strike(Reference(kCurse), {kFoe}), 0);
    EXPECT_EQ(Strike(Reference(kStrike), {kFoe, kFoe}), 0);
    EXPECT_EQ(Strike(Reference(kCleave), {kFoe, kSecondFoe}), 0);
    EXPECT_TRUE(log.Contains(Dropped("its actor has no such skill at a level")));
    EXPECT_TRUE(log.Contains(Dropped("it names a target twice")));
    EXPECT_TRUE(log.Contains(Dropped("it names more targets than the skill strikes")));
    secondFoe->SetLifeState(Character_LifeState_Dead);
    EXPECT_EQ(Strike(Reference(kStrike), {kFoe, kSecondFoe}), 0);
    EXPECT_TRUE(log.Contains(Dropped("a target is not a living character")));
    // A blow on a friend within reach is none the skill could strike.
    foe->SetTeam(TeamManager::DefaultPlayerTeam());
    EXPECT_EQ(Strike(Reference(kStrike), {kFoe}), 0);
    EXPECT_TRUE(log.Contains(Dropped("a target is not one the skill may strike")));
    EXPECT_EQ(Lives(), lives);
}

// The lightning lists its chosen target (or 0) ahead of the foes around its point, and so
// names that target twice when it stands among them: allowed once, and only there. Like
// the ring, it strikes every foe its area holds, whatever target number its record gives.
TEST_F(HostileSkillTest, ALightningMayNameItsChosenTargetAtTheHeadAndOnceMore)
{
    constexpr const char* kBolt = "Records/Test/HostileBolt.dbr";
    constexpr const char* kRing = "Records/Test/HostileRing.dbr";
    constexpr uint32_t kThirdFoe = 0x0A000004;
    RecordDatabase::Get().RegisterRecord(kBolt, "Class,Skill_AttackRadiusLightning,\nskillMaxLevel,1,\n"
                                                "skillTargetRadius,3.0,\nskillTargetNumber,2,\n");
    RecordDatabase::Get().RegisterRecord(kRing, "Class,Skill_AttackRadius,\nskillMaxLevel,1,\n"
                                                "skillTargetRadius,5.0,\nskillTargetNumber,1,\n");
    Learn({{kBolt, "1"}, {kRing, "1"}});
    Fighter(kThirdFoe, 3.5f);
    gEngine->UpdateFrame(16);
    LogCapture log;
    const uint32_t bolt = Reference(kBolt);
    const WorldCoords& at = striker->GetCoords();
    EXPECT_EQ(Send(bolt, {kFoe, kFoe, kSecondFoe}, at, kFoe), 1);
    EXPECT_EQ(Send(bolt, {0, kFoe, kSecondFoe}, at, 0), 1);
    EXPECT_EQ(Send(bolt, {kFoe, kFoe, kSecondFoe, kThirdFoe}, at, kFoe), 1);
    EXPECT_EQ(Strike(Reference(kRing), {kFoe, kSecondFoe, kThirdFoe}), 1);
    for (const std::string& line : log.Texts())
        EXPECT_EQ(line.find("dropped"), std::string::npos) << line;
    EXPECT_EQ(Send(bolt, {kFoe, kFoe, kFoe}, at, kFoe), 0);
    EXPECT_TRUE(log.Contains(Dropped("it names a target twice")));
    EXPECT_EQ(Send(bolt, {kBystander, kFoe}, at, kBystander), 0);
    EXPECT_TRUE(log.Contains(Dropped("a target is beyond the skill's reach")));
    // Any other skill names each target once, at the head too.
    EXPECT_EQ(Strike(Reference(kStrike), {0, kFoe}), 0);
    EXPECT_TRUE(log.Contains(Dropped("a target is not a living character")));
}

TEST_F(HostileSkillTest, ASpellThatMovesItsActorOrChoosesABeamTargetIsHeldToTheSkillsReach)
{
    constexpr const char* kBlink = "Records/Test/HostileBlink.dbr";
    constexpr const char* kLash = "Records/Test/HostileLash.dbr";
    RecordDatabase::Get().RegisterRecord(kBlink, "Class,Skill_AttackSpellTeleportSelf,\nskillMaxLevel,1,\n");
    RecordDatabase::Get().RegisterRecord(kLash, "Class,Skill_AttackSpellChaos,\nskillMaxLevel,1,\n");
    Learn({{kBlink, "1"}, {kLash, "1"}});
    LogCapture log;
    auto to = [this](float x) { return WorldCoords(striker->GetRegion(), Coords::MakeTranslation({x, 0, 0})); };
    EXPECT_EQ(Send(Reference(kBlink), {}, to(60.0f), 0), 0);
    EXPECT_TRUE(log.Contains(Dropped("it moves its actor beyond the skill's reach")));
    EXPECT_EQ(striker->GetCoords().GetRegionCoords().origin.x, 0.0f);
    EXPECT_EQ(Send(Reference(kBlink), {}, to(8.0f), 0), 1);
    EXPECT_EQ(striker->GetCoords().GetRegionCoords().origin.x, 8.0f);

    // The beam's target rides in the result's value: a foe within reach, like a target.
    EXPECT_EQ(Send(Reference(kLash), {}, striker->GetCoords(), kBystander), 0);
    EXPECT_TRUE(log.Contains(Dropped("a target is beyond the skill's reach")));
    EXPECT_EQ(Send(Reference(kLash), {}, striker->GetCoords(), kHostsPlayer), 0);
    EXPECT_EQ(Send(Reference(kLash), {}, striker->GetCoords(), kFoe), 1);
}

}  // namespace
}  // namespace GAME
