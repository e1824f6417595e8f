// A fireball's creation command, sent by the peer that casts it and received by a fresh
// game through the host's packet dispatch, makes the same shot on both: the same id,
// the same place every frame, the same fragments and the same reported targets.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "core/EngineFixture.h"
#include "Engine/ConnectionManager.h"
#include "Engine/Engine.h"
#include "Game/skills/ProjectileBase.h"
#include "Game/skills/SkillAttackKinds.h"
#include "Game/skills/SkillManager.h"
#include "Game/session/GamePacketDispatch.h"

namespace GAME {

// Each report of a projectile of this skill, as target ids, in order.
inline std::vector<std::vector<uint32_t>> gFireballReports;

class RecordingFireball : public Skill_AttackProjectile {
    GAME_DECLARE_CLASS(RecordingFireball)

public:
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override
    {
        gFireballReports.push_back(targets);
        Skill_AttackProjectile::TargetInformation(info, coords, std::move(targets));
    }
};
GAME_IMPLEMENT_CLASS(RecordingFireball, Skill_AttackProjectile)

namespace {

// The scene's objects carry the same ids on both peers, as replicated objects would.
constexpr uint32_t kCasterId = 0x0A000001;
constexpr uint32_t kNearId = 0x0A000002;
constexpr uint32_t kSideId = 0x0A000003;
constexpr uint32_t kSkillId = 0x0A000004;
constexpr int kClientHost = 1;
constexpr uint32_t kGameSeed = 4242;
constexpr int kFrames = 14;
constexpr int kStepMs = 100;

class ProjectileDeterminismTest : public EngineTest {
protected:
    void TearDown() override
    {
        UnregisterGamePacketDispatch();
        ConnectionManager::Get().SetTransport(nullptr);
        ConnectionManager::Get().SetLocalHostId(ConnectionManager::kServerHost);
        EngineTest::TearDown();
    }

    // The caster, two monsters ahead of it and the caster's fireball, which bursts into
    // three embers.
    void BuildScene()
    {
        RecordDatabase& records = RecordDatabase::Get();
        records.RegisterRecord("Records/Test/Fireball.dbr",
                               "Class,ProjectileFireballLike,\nprojectileVelocity,8,\nprojectileDistance,20,\n");
        records.RegisterRecord("Records/Test/Ember.dbr",
                               "Class,ProjectileFireballLike,\nprojectileVelocity,6,\nprojectileDistance,4,\n");
        records.RegisterRecord("Records/Test/FireSkill.dbr",
                               "Class,RecordingFireball,\nskillMaxLevel,3,\n"
                               "skillProjectileName,Records/Test/Fireball.dbr,\n"
                               "projectileFragmentsName,Records/Test/Ember.dbr,\n"
                               "projectileFragmentsLaunchNumberMin,3,\nprojectileFragmentsLaunchNumberMax,3,\n");
        records.RegisterRecord("Records/Test/Body.dbr", "Class,Monster,\ncharacterLife,500,\n");
        region = World::Get().AddRegion(1, "Field");
        caster = Body(kCasterId, {0, 0, 0}, kTeamMajorHuman);
        caster->SetAttachPoint(Name("R Hand"), Vec3{0.3f, 1.4f, 0.4f});
        Body(kNearId, {8, 0, 0}, kTeamMajorMonster)->SetAttachPoint(Name("Target"), Vec3{0.0f, 0.4f, 0.0f});
        Body(kSideId, {9.5f, 0, 1.5f}, kTeamMajorMonster);
        auto* skill = ObjectManager::Get().CreateObjectFromFile<RecordingFireball>("Records/Test/FireSkill.dbr",
                                                                                  kSkillId);
        ASSERT_NE(skill, nullptr);
        caster->GetSkillManager().AddSkill(skill);
        skill->SetSkillLevel(1);
        gFireballReports.clear();
        gEngine->UpdateFrame(kStepMs);   // every body's first update
    }
    Character* Body(uint32_t id, const Vec3& at, uint32_t major)
    {
        auto* body = ObjectManager::Get().CreateObjectFromFile<Character>("Records/Test/Body.dbr", id);
        EXPECT_NE(body, nullptr);
        Team team;
        team.Set(major, 1);
        body->SetTeam(team);
        EXPECT_TRUE(World::Get().AddEntity(body, WorldCoords(region, Coords::LookAlong(at, {1, 0, 0}, {0, 1, 0}))));
        return body;
    }
    // Frame by frame: each projectile's place (the shot, then fragments in the order they
    // appear), then what the skill was told. The shot's id is kept apart.
    std::vector<std::string> Run()
    {
        std::vector<std::string> trace;
        std::map<uint32_t, std::string> labels;
        size_t reports = 0;
        char line[200];
        for (int frame = 1; frame <= kFrames; ++frame) {
            gEngine->UpdateFrame(kStepMs);
            std::vector<Entity*> found;
            World::Get().GetEntities(found, IsProjectile(), EntityList_All);
            for (const Entity* entity : found) {
                auto [label, added] = labels.try_emplace(entity->GetObjectId());
                if (added) {
                    label->second = labels.size() == 1 ? "shot" : "fragment " + std::to_string(labels.size() - 1);
                    if (labels.size() == 1)
                        shotId = entity->GetObjectId();
                }
                const Vec3 at = entity->GetCoords().GetRegionCoords().origin;
                const Vec3 velocity = static_cast<const Actor*>(entity)->GetLinearVelocity();
                std::snprintf(line, sizeof line, "%d %s at %.3f %.3f %.3f moving %.3f %.3f %.3f", frame,
                              label->second.c_str(), at.x, at.y, at.z, velocity.x, velocity.y, velocity.z);
                trace.push_back(line);
            }
            for (; reports < gFireballReports.size(); ++reports) {
                std::string text = std::to_string(frame) + " report";
                for (uint32_t id : gFireballReports[reports])
                    text += id == kNearId ? " near" : id == kSideId ? " side" : " other";
                trace.push_back(text);
            }
        }
        return trace;
    }
    struct IsProjectile : FilterFunction<Entity> {
        bool operator()(const Entity* entity) const override { return entity->IsA<ProjectileBase>(); }
    };

    Region* region = nullptr;
    Character* caster = nullptr;
    RecordingTransport transport;
    uint32_t shotId = 0;
};

TEST_F(ProjectileDeterminismTest, AReceivedCreationCommandReplaysTheSendersShot)
{
    // The casting peer (the server): its command goes out to the connected client.
    ConnectionManager::Get().SetTransport(&transport);
    transport.Connect(kClientHost);
    BuildScene();
    engine->GetRandomGen().Seed(kGameSeed);
    caster->GetSkillManager().SetAsControllingManager();
    auto* skill = ObjectManager::Get().GetObject<SkillActivated>(kSkillId);
    ASSERT_NE(skill, nullptr);
    skill->ActivateNow(*caster, Name("RightHandHit"), kNearId, WorldVec3(region, {8, 0, 0}));
    const std::vector<std::string> sent = Run();
    const uint32_t sentShot = shotId;
    std::vector<unsigned char> command;
    for (const RecordingTransport::SentPacket& packet : transport.sent)
        if (packet.Type() == 97)
            command = packet.bytes;
    ASSERT_FALSE(command.empty());

    // A fresh game on the client: the same scene, no skill services, and the command's bytes
    // from the server through the host's dispatch.
    TearDown();
    SetUp();
    RecordingTransport clientTransport;
    ConnectionManager::Get().SetTransport(&clientTransport);
    RegisterGamePacketDispatch();
    BuildScene();
    ConnectionManager::Get().SetLocalHostId(kClientHost);
    ASSERT_TRUE(ConnectionManager::Get().HandleIncoming(ConnectionManager::kServerHost, command.data(),
                                                       command.size()));
    const std::vector<std::string> received = Run();
    EXPECT_EQ(shotId, sentShot);
    EXPECT_EQ(received, sent);

    // Pinned from the fixed seed: the flight, the hit on the near monster, three embers
    // about 120 degrees apart that never report it, and no report of the side monster.
    std::string all;
    for (const std::string& line : sent)
        all += line + "\n";
    EXPECT_EQ(all, R"(1 shot at 0.400 1.400 -0.300 moving 7.926 -1.043 0.313
2 shot at 1.193 1.296 -0.269 moving 7.926 -1.043 0.313
3 shot at 1.985 1.191 -0.237 moving 7.926 -1.043 0.313
4 shot at 2.778 1.087 -0.206 moving 7.926 -1.043 0.313
5 shot at 3.570 0.983 -0.175 moving 7.926 -1.043 0.313
6 shot at 4.363 0.879 -0.144 moving 7.926 -1.043 0.313
7 shot at 5.155 0.774 -0.112 moving 7.926 -1.043 0.313
8 shot at 5.948 0.670 -0.081 moving 7.926 -1.043 0.313
9 shot at 6.740 0.566 -0.050 moving 7.926 -1.043 0.313
10 shot at 7.533 0.461 -0.018 moving 7.926 -1.043 0.313
11 shot at 8.326 0.357 0.013 moving 0.000 0.000 0.000
11 fragment 1 at 8.000 0.000 0.000 moving -1.145 0.000 -5.890
11 fragment 2 at 8.000 0.000 0.000 moving -3.000 0.000 5.196
11 fragment 3 at 8.000 0.000 0.000 moving 5.996 0.000 0.209
11 report near
11 report
11 report
11 report
12 report
12 report
12 report
)");
}

}  // namespace
}  // namespace GAME
