#include "Game/ai/ControllerMegalesios.h"

#include <cmath>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Name.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/TeamManager.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/skills/Skill.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerMegalesios, ControllerMonster)
GAME_IMPLEMENT_CLASS(Megalesios, Monster)
GAME_IMPLEMENT_CLASS(MegalesiosConduit, Monster)
GAME_IMPLEMENT_CLASS(ControllerMegalesiosConduit, ControllerMonster)

// ---- The boss and its conduit ---------------------------------------------------------------

void Megalesios::SaveState(BinaryWriter& writer)
{
    Monster::SaveState(writer);
    writer.WriteBool(m_burstsLaunched);
    writer.WriteBool(m_conduitFinished);
}

void Megalesios::RestoreState(BinaryReader& reader)
{
    Monster::RestoreState(reader);
    const bool bursts = reader.ReadBool();
    const bool conduit = reader.ReadBool();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Megalesios %s: the fight's flags are missing from its state; the fight starts over",
                     GetObjectName().c_str());
        return;
    }
    m_burstsLaunched = bursts;
    m_conduitFinished = conduit;
}

void MegalesiosConduit::InitialUpdate()
{
    Monster::InitialUpdate();
    SetTeam(TeamManager::DefaultPlayerTeam());
}

// ---- Controllers --------------------------------------------------------------------------------

void ControllerMegalesios::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    m_checkForPlayerRadius = ReadMonsterAIFloat(table, "CheckForPlayerRadius", kDefaultCheckForPlayerRadius);
}

void ControllerMegalesios::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("Startup", new ControllerMegalesiosStateStartup(*this));
    AddState("LaunchBursts", new ControllerMegalesiosStateLaunchBursts(*this));
    AddState("AttackConduit", new ControllerMegalesiosStateAttackConduit(*this));
}

Megalesios* ControllerMegalesios::GetMegalesios() const
{
    return ObjectManager::Get().GetObject<Megalesios>(GetParentId());
}

void ControllerMegalesiosConduit::RegisterStates()
{
    AddState("Startup", new ControllerMonsterStateStartup(*this));
    AddState("Idle", new ControllerMonsterStateIdle(*this));
    AddState("Dying", new ControllerMonsterStateDying(*this));
    AddState("Dead", new ControllerMonsterStateDead(*this));
}

// ---- States -------------------------------------------------------------------------------------

void ControllerMegalesiosStateStartup::OnBegin()
{
    Megalesios* boss = Body();
    if (boss && boss->GetBurstsLaunched()) {
        SetState("AttackConduit", ControllerAIStateData());
        return;
    }
    Boss().Idle();
    Boss().SetInvincible(true);
}

void ControllerMegalesiosStateStartup::QuestCommandUseSkill(uint32_t /*skillId*/, uint32_t /*targetId*/)
{
    if (Megalesios* boss = Body())
        boss->SetBurstsLaunched(true);
    SetState("LaunchBursts", Data(0, 0, Boss().GetSpecialAttack5SkillId()));
}

void ControllerMegalesiosStateLaunchBursts::OnBegin()
{
    Megalesios* boss = Body();
    if (!boss)
        return;
    const auto* skill = ObjectManager::Get().GetObject<Skill>(GetCurrentSkillID());
    if (skill && skill->GetReason() != 0) {
        gEngine->Log(LOG_ERROR, "Skill is not ready in ControllerMegalesiosState LaunchBursts - %s",
                     boss->GetObjectName().c_str());
        return;
    }
    Character* target = ObjectManager::Get().GetObject<Character>(GetCurrentEnemy());
    if (!target)
        target = boss;
    UseSkill(target->GetObjectId(), target->GetPathPosition(), GetCurrentSkillID(), static_cast<uint32_t>(GAME::rand()),
             TargetLeadingData());
}

void ControllerMegalesiosStateLaunchBursts::HandleEvent(const Name& event)
{
    static const Name kEnd("End");
    if (event == kEnd)
        SetState("AttackConduit", ControllerAIStateData());
}

void ControllerMegalesiosStateAttackConduit::OnBegin()
{
    const Megalesios* boss = Body();
    if (boss && boss->GetConduitFinished()) {
        SetState("Idle", ControllerAIStateData());
        return;
    }
    m_countdownMs = 0;
}

void ControllerMegalesiosStateAttackConduit::FindConduit(Character& boss)
{
    const WorldVec3 at = boss.GetPathPosition();
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, at.GetRegion(),
                                     Sphere{at.GetRegionPosition(), GetViewDistance() + kSearchMargin}, EntityList_All);
    for (Entity* entity : found) {
        if (DynamicCast<MegalesiosConduit>(entity)) {
            m_conduitId = entity->GetObjectId();
            return;
        }
    }
}

void ControllerMegalesiosStateAttackConduit::OnUpdate(int elapsedMs)
{
    Megalesios* boss = Body();
    if (!boss)
        return;
    if (m_conduitId == 0) {
        FindConduit(*boss);
        return;
    }
    const auto* conduit = ObjectManager::Get().GetObject<Monster>(m_conduitId);
    if (!conduit || !conduit->IsAlive()) {
        SetState("Idle", ControllerAIStateData());
        boss->SetConduitFinished(true);
        return;
    }
    m_countdownMs -= elapsedMs;
    if (m_countdownMs >= 0)
        return;
    m_countdownMs = static_cast<int>(RandomFloat(1000.0f, 5000.0f));
    UseSkill(m_conduitId, conduit->GetCoords().GetPosition(), Boss().GetSpecialAttackSkillId(),
             static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
}

void ControllerMegalesiosStateAttackConduit::OnEnd()
{
    Boss().SetInvincible(false);
}

void ControllerMegalesiosStateAttackConduit::QuestCommandUseSkill(uint32_t skillId, uint32_t targetId)
{
    m_countdownMs = kQuestSkillHoldMs;
    DefaultQuestCommandUseSkillResponse(skillId, targetId);
}

}  // namespace GAME
