#include "Game/skills/AuraManager.h"

#include <cstdint>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/Math.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/MathUtil.h"

namespace GAME {

uint32_t AuraManager::AddAura(Actor& owner, const std::string& name, bool permanent, int seconds)
{
    if (name.empty())
        return 0;
    Entity* entity = ObjectManager::Get().CreateObjectFromFile<Entity>(name);
    if (!entity) {
        gEngine->Log(LOG_WARNING, "Aura was not an Entity (%s)", name.c_str());
        return 0;
    }
    // Seconds from a record or a skill: held so that the milliseconds fit.
    m_auras.emplace_back(name, entity->GetObjectId(), permanent, WholeSecondsToMs(seconds));
    NoteBusy();
    AttachToOwner(owner, *entity);
    return entity->GetObjectId();
}

void AuraManager::RemoveAura(uint32_t id)
{
    for (AuraContainer& aura : m_auras) {
        if (aura.entityId == id) {
            aura.permanent = false;
            aura.remaining = 0;
        }
    }
}

void AuraManager::RemoveAura(const std::string& name)
{
    for (AuraContainer& aura : m_auras) {
        if (aura.name == name) {
            aura.permanent = false;
            aura.remaining = 0;
        }
    }
}

void AuraManager::Update(Actor& owner, int elapsedMs)
{
    for (size_t i = 0; i < m_auras.size();) {
        AuraContainer& aura = m_auras[i];
        if (aura.permanent) {
            ++i;
            continue;
        }
        aura.remaining = ClampToInt(static_cast<int64_t>(aura.remaining) - elapsedMs);
        if (aura.remaining > 0) {
            ++i;
            continue;
        }
        const uint32_t id = aura.entityId;
        m_auras.erase(m_auras.begin() + static_cast<std::ptrdiff_t>(i));
        NoteBusy();
        RemoveEntity(owner, id);
    }
}

void AuraManager::Clear(Actor& owner)
{
    // Taken first, so that nothing done while an entity leaves finds the list half cleared.
    std::vector<AuraContainer> auras;
    auras.swap(m_auras);
    NoteBusy();
    for (const AuraContainer& aura : auras)
        RemoveEntity(owner, aura.entityId);
}

void AuraManager::AttachToOwner(Actor& owner, Entity& aura)
{
    // Identity placement at no named point: the aura sits on the owner's origin.
    owner.Attach(&aura, Coords(), Name());
}

void AuraManager::DetachFromOwner(Actor& owner, Entity& aura)
{
    if (aura.IsAttachedTo(&owner))
        owner.Detach(&aura);
}

void AuraManager::RemoveEntity(Actor& owner, uint32_t entityId)
{
    ObjectManager& objects = ObjectManager::Get();
    if (Entity* entity = objects.GetObject<Entity>(entityId))
        DetachFromOwner(owner, *entity);
    if (Object* object = objects.GetObject(entityId))
        objects.DestroyObjectEx(object, __FILE__, __LINE__);
}

}  // namespace GAME
