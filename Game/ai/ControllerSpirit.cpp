#include "Game/ai/ControllerSpirit.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerSpiritStates.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerSpirit, ControllerMonster)
GAME_IMPLEMENT_CLASS(ControllerSpiritHost, ControllerMonster)
GAME_IMPLEMENT_CLASS(SpiritHost, Monster)

// ---- The spirit ---------------------------------------------------------------------------------

void ControllerSpirit::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("Startup", new ControllerSpiritStateStartup(*this));
    AddState("Idle", new ControllerSpiritStateIdle(*this));
    AddState("AttackToAnimate", new ControllerSpiritStateAttackToAnimate(*this));
    AddState("PursueToAnimate", new ControllerSpiritStatePursueToAnimate(*this));
}

uint32_t ControllerSpirit::ChooseBestSkillOverride(uint32_t enemyId, bool distanceFlag)
{
    if (distanceFlag)
        return 0;
    const Character* enemy = ObjectManager::Get().GetObject<Character>(enemyId);
    if (enemy && ObjectManager::Get().GetObject<ControllerSpiritHost>(enemy->GetControllerId()))
        return GetSpecialAttack5SkillId();
    return 0;
}

// ---- The statue ---------------------------------------------------------------------------------

void ControllerSpiritHost::Load(const LoadTable& table)
{
    ControllerMonster::Load(table);
    m_spiritRecord = table.GetString("spiritThatCanAnimateMe", "");
}

void ControllerSpiritHost::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("Startup", new ControllerSpiritHostStateStartup(*this));
    AddState("Animate", new ControllerSpiritHostStateAnimate(*this));
}

bool ControllerSpiritHost::IsAvailable() const
{
    if (m_animated)
        return false;
    const Monster* spirit = ObjectManager::Get().GetObject<Monster>(m_animator);
    return !spirit || !spirit->IsAlive();
}

void ControllerSpiritHost::Animate() { SetState("Animate", ControllerAIStateData()); }

// ---- The statue monster -------------------------------------------------------------------------

void SpiritHost::SaveState(BinaryWriter& writer)
{
    Monster::SaveState(writer);
    writer.WriteBool(m_animated);
}

void SpiritHost::RestoreState(BinaryReader& reader)
{
    Monster::RestoreState(reader);
    const bool animated = reader.ReadBool();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "SpiritHost %s: risen flag unreadable; it stays a statue", GetObjectName().c_str());
        return;
    }
    m_animated = animated;
}

}  // namespace GAME
