#include "Game/ai/ControllerZoverad.h"

#include <cmath>

#include <vector>

#include "Engine/Engine.h"
#include "Engine/Name.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/combat/CombatManager.h"
#include "Game/items/EquipManager.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/skills/ProjectileKinds.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/Skill_AttackTelekinesis.h"
#include "Game/world/FxPak.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerZoverad, ControllerMonster)
GAME_IMPLEMENT_CLASS(Zoverad, Monster)
GAME_IMPLEMENT_CLASS(ZoveradDropZone, Actor)
GAME_IMPLEMENT_CLASS(ControllerPet, ControllerMonster)

void ControllerZoverad::RegisterStates()
{
    ControllerMonster::RegisterStates();
    AddState("Attack", new ControllerZoveradStateAttack(*this));
}

void ControllerZoveradStateAttack::HandleEvent(const Name& event)
{
    static const Name kEnd("End");
    if (event == kEnd) {
        const auto* telekinesis = ObjectManager::Get().GetObject<Skill_AttackTelekinesis>(GetCurrentSkillID());
        if (telekinesis && !telekinesis->IsTelkineFinished())
            return;
    }
    ControllerMonsterStateAttack::HandleEvent(event);
}

void Zoverad::Load(const LoadTable& table)
{
    Monster::Load(table);
    m_sickleExplosion = table.GetString("sickleExplosion", "");
}

void Zoverad::SaveState(BinaryWriter& writer)
{
    Monster::SaveState(writer);
    writer.WriteBool(m_sickleGone);
}

void Zoverad::RestoreState(BinaryReader& reader)
{
    Monster::RestoreState(reader);
    const bool gone = reader.ReadBool();
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Zoverad %s: whether the sickle is gone is missing from its state; it keeps it",
                     GetObjectName().c_str());
        return;
    }
    if (gone)
        UnequipAndExplodeSickle(false);
}

void Zoverad::CharacterIsDying()
{
    Monster::CharacterIsDying();
    const WorldVec3 at = GetCoords().GetPosition();
    std::vector<Entity*> found;
    World::Get().GetEntitiesInSphere(found, at.GetRegion(), Sphere{at.GetRegionPosition(), kProjectileBlastRadius},
                                     EntityList_All);
    for (Entity* entity : found)
        if (auto* projectile = DynamicCast<ProjectileTelekinesis>(entity); projectile && projectile->IsIdle())
            projectile->Explode(false);
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

bool ZoveradDropZone::GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const
{
    distance = kPositiveInfinity;
    if (surface == 0 || !gEngine || !gEngine->IsEditorMode())
        return false;
    distance = Sphere{GetCoords().GetPosition().ToWorldSpace(), m_radius}.IntersectRay(ray.origin.ToWorldSpace(),
                                                                                      ray.direction);
    if (!(distance < kPositiveInfinity))
        return false;
    point = ray.origin;
    point.Translate(ray.direction * distance);
    return true;
}

void ZoveradDropZone::InitialUpdate()
{
    Actor::InitialUpdate();
    if (gEngine && gEngine->IsEditorMode())
        SetScale(m_radius);
}

}  // namespace GAME
