#include "Game/ai/ControllerZoverad.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/combat/CombatManager.h"
#include "Game/items/EquipManager.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/FxPak.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerZoverad, ControllerMonster)
GAME_IMPLEMENT_CLASS(Zoverad, Monster)
GAME_IMPLEMENT_CLASS(ZoveradDropZone, Actor)

void Zoverad::Load(const LoadTable& table)
{
    Monster::Load(table);
    m_sickleExplosion = table.GetString("sickleExplosion", "");
}

void Zoverad::UnequipAndExplodeSickle(bool explode)
{
    const EquipManager& equipment = GetCombatManager().GetEquipManager();
    const uint32_t right = equipment.GetItemId(EquipLocation_RightHand);
    const uint32_t sickle = right ? right : equipment.GetItemId(EquipLocation_LeftHand);
    WorldCoords where = equipment.GetAttachCoords(right ? EquipLocation_RightHand : EquipLocation_LeftHand);
    if (sickle && GetSkillManager().GetSkillServices()) {
        Enqueue(new DetachItemConfigCmd(GetObjectId(), sickle));
        Enqueue(new RemoveInventoryItemConfigCmd(GetObjectId(), sickle));
    }
    if (explode && !m_sickleExplosion.empty()) {
        if (FxPak* blast = ObjectManager::Get().CreateObjectFromFile<FxPak>(m_sickleExplosion)) {
            Coords unturned;
            unturned.origin = where.GetRegionCoords().origin;
            World::Get().AddEntity(blast, WorldCoords(where.GetRegion(), unturned));
        }
    }
    if (auto* controller = ObjectManager::Get().GetObject<ControllerZoverad>(GetControllerId()))
        controller->GoToIdleState();
    m_sickleGone = true;
}

ZoveradDropZone::ZoveradDropZone()
{
    if (!gEngine || !gEngine->IsEditorMode())
        SetVisibility(false);
}

void ZoveradDropZone::Load(const LoadTable& table)
{
    Actor::Load(table);
    const float radius = table.GetFloat("radius", 1.0f);
    m_radius = std::isfinite(radius) ? std::fabs(radius) : 1.0f;   // a broken record: the default
}

void ZoveradDropZone::InitialUpdate()
{
    Actor::InitialUpdate();
    if (gEngine && gEngine->IsEditorMode())
        SetScale(m_radius);
}

}  // namespace GAME
