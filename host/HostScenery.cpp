#include "host/HostScenery.h"

#include <cstdio>
#include <string>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerSpirit.h"
#include "Game/ai/ControllerStooge.h"
#include "Game/characters/AmbientCharacter.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/Skill.h"
#include "host/HostText.h"

namespace GAME {

namespace {

constexpr const char* kSceneryCreatures = "Records/Creatures/Scenery/";
// After the fight (the bundled monster falls near frame 150 of 250 ms): the scenery's own
// draws from the process-wide source then leave the fight's draws as they were.
constexpr int kPlaceFrame = 200;
constexpr int kStrikeFrame = 210;
struct SceneryPlacement {
    const char* record;
    Vec3 offset;   // from the player, well out of the fight's sight
};
constexpr SceneryPlacement kScenery[] = {
    {"Records/Creatures/Scenery/Statue.dbr", {-30.0f, 0.0f, -30.0f}},
    {"Records/Creatures/Scenery/Spirit.dbr", {-27.0f, 0.0f, -30.0f}},
    {"Records/Creatures/Scenery/Stooge.dbr", {-30.0f, 0.0f, 30.0f}},
};

// The characters of the scenery's records.
struct SceneryFilter : FilterFunction<Entity> {
    bool operator()(const Entity* entity) const override
    {
        return entity->GetObjectName().rfind(kSceneryCreatures, 0) == 0;
    }
};

const char* SceneryKind(const std::string& record)
{
    if (record.find("Statue") != std::string::npos)
        return "statue";
    if (record.find("Spirit") != std::string::npos)
        return "spirit";
    return "stooge";
}

}  // namespace

bool HostScenery::Start(uint32_t playerId, bool placing)
{
    const Player* player = ObjectManager::Get().GetObject<Player>(playerId);
    if (!player || !player->GetRegion())
        return false;
    m_playerId = playerId;
    m_placing = placing;
    return true;
}

void HostScenery::Place()
{
    const Player* player = ObjectManager::Get().GetObject<Player>(m_playerId);
    if (!player || !gGameEngine)
        return;
    const Vec3 origin = player->GetCoords().GetRegionCoords().origin;
    for (const SceneryPlacement& placement : kScenery) {
        const uint32_t id = ObjectManager::Get().CreateObjectID();
        gGameEngine->CreateEntity(WorldCoords(player->GetRegion(), Coords::MakeTranslation(origin + placement.offset)),
                                  placement.record, id);
        if (std::string(SceneryKind(placement.record)) == "stooge")
            m_stoogeId = id;
    }
}

// The player's blow lands on the stooge: its controller hears of it and answers.
void HostScenery::StrikeStooge(int frame)
{
    auto* stooge = ObjectManager::Get().GetObject<AmbientCharacter>(m_stoogeId);
    auto* controller = stooge ? ObjectManager::Get().GetObject<ControllerStooge>(stooge->GetControllerId()) : nullptr;
    if (!controller)
        return;
    controller->UnderAttack(m_playerId);
    const Skill* skill = ObjectManager::Get().GetObject<Skill>(stooge->GetSkillId1());
    std::printf("scenery: frame %d: the player strikes stooge %u; it answers with %s\n", frame, m_stoogeId,
                HostName(skill).c_str());
}

void HostScenery::AfterFrame(int frame)
{
    if (m_playerId == 0)
        return;
    if (m_placing && frame == kPlaceFrame)
        Place();
    if (m_placing && frame == kStrikeFrame)
        StrikeStooge(frame);
    ObjectManager& objects = ObjectManager::Get();
    std::vector<Entity*> found;
    World::Get().GetEntities(found, SceneryFilter(), EntityList_All);
    for (Entity* entity : found) {
        const auto* character = DynamicCast<Character>(entity);
        if (!character)
            continue;
        const uint32_t id = character->GetObjectId();
        const char* kind = SceneryKind(character->GetObjectName());
        if (m_seen.insert(id).second) {
            const Vec3 at = character->GetCoords().GetRegionCoords().origin;
            std::printf("scenery: frame %d: %s %u stands at (%.2f, %.2f, %.2f)\n", frame, kind, id, at.x, at.y, at.z);
            if (std::string(kind) == "spirit")
                m_spirits.insert(id);
        }
        // A stooge answering a blow plays its skill: each host sees that action on the body.
        if (std::string(kind) == "stooge" && character->GetActionState() == Character_ActionState_Attack &&
            m_braced.insert(id).second)
            std::printf("scenery: frame %d: stooge %u answers the blow with its skill\n", frame, id);
        if (std::string(kind) != "statue")
            continue;
        if (character->IsInvincible() && character->GetTeam() == TeamManager::InvisibleTeam() && m_sat.insert(id).second)
            std::printf("scenery: frame %d: statue %u sits, invincible and unseen\n", frame, id);
        // The statue's record keeps it off the default monster team until it rises; a peer
        // may take the sitting and the rising in one frame and never see it sit.
        if (!character->IsInvincible() && character->GetTeam() == TeamManager::DefaultMonsterTeam() &&
            m_risen.insert(id).second)
            std::printf("scenery: frame %d: statue %u has risen\n", frame, id);
    }
    // A spirit dying, dead or destroyed has struck. A peer may take its arrival and its
    // death in one frame, so what counts is its life state, not having seen it alive.
    for (uint32_t id : m_spirits) {
        const Character* spirit = objects.GetObject<Character>(id);
        const bool gone = !spirit || spirit->GetLifeState() == Character_LifeState_Dying ||
                          spirit->GetLifeState() == Character_LifeState_Dead;
        if (gone && m_gone.insert(id).second)
            std::printf("scenery: frame %d: spirit %u is gone\n", frame, id);
    }
}

}  // namespace GAME
