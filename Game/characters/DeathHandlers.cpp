#include "Game/characters/DeathHandlers.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/Entity.h"
#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/ai/ControllerMonster.h"
#include "Game/characters/AnimationSet.h"
#include "Game/characters/Character.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

namespace {

const Name& EndName() { return Actor::EndEvent(); }
const Name& PhysicsCompleteName()
{
    static const Name name("PhysicsComplete");
    return name;
}

// The entity the record names, or null (logged) when the record makes none.
template <class T>
T* CreateFromRecord(const std::string& record, const char* what)
{
    if (record.empty())
        return nullptr;
    T* made = ObjectManager::Get().CreateObjectFromFile<T>(record);
    if (!made)
        gEngine->Log(LOG_WARNING, "Death: %s \"%s\" makes nothing", what, record.c_str());
    return made;
}

void Destroy(uint32_t id, int line)
{
    if (Object* object = ObjectManager::Get().GetObject(id)) {
        if (auto* entity = DynamicCast<Entity>(object)) {
            if (Entity* parent = entity->GetAttachParent())
                parent->Detach(entity);
            World::Get().RemoveEntity(entity);
        }
        ObjectManager::Get().DestroyObjectEx(object, "DeathHandlers", line);
    }
}

}  // namespace

// ---- DeathManager: the choice -----------------------------------------------------------

void DeathManager::ChooseHandlers()
{
    Character* character = m_character;
    if (!character || !m_handlers.empty())
        return;
    AddHandler(std::make_unique<DefaultDeathHandler>(character));
    const std::string& behavior = character->GetDeleteBehavior();
    if (behavior == "Delete" || behavior == "Dissolve" || behavior == "DissolveOnCallback")
        AddHandler(std::make_unique<DissolveActorDeathHandler>(character));
    else if (behavior == "Fade")
        AddHandler(std::make_unique<FadeActorDeathHandler>(character));
    else if (behavior == "PlaySound")
        AddHandler(std::make_unique<PlaySoundDeathHandler>(character));
    if (!character->GetActorToSpawnOnDeath().empty())
        AddHandler(std::make_unique<SpawnActorDeathHandler>(character));
    if (!character->GetActorToSpawnForMyBones().empty())
        AddHandler(std::make_unique<SpawnMyBonesDeathHandler>(character));
    if (!character->GetDeathEffect().empty())
        AddHandler(std::make_unique<PlayEffectDeathHandler>(character));
}

// ---- DefaultDeathHandler ----------------------------------------------------------------

void DefaultDeathHandler::Execute()
{
    DeathHandler::Execute();
    Character* character = GetCharacter();
    if (character->ShouldDoRagDoll() && !character->ShouldDoLateCrumple()) {
        character->SetPhysicsType(CharacterRagDoll::kPhysicsType);
        character->PlayAnimationSound(*character, Name("deathSound1"));
    } else {
        AnimationSet* set = character->GetAnimationSet();
        if (!set || !set->PlayAnimationIfAvailable(*character, AnimationSet_Die, Name(), 1.0f, false, 0))
            Finish();
    }
    // A body dying where no one is about to look is not drawn; a player's always is.
    if (!GraphicsEngine::Get()->IsInPreLoadFrustum(*character) && !DynamicCast<Player>(character))
        character->SetVisibility(false);
}

void DefaultDeathHandler::AnimationCallback(const Name& event)
{
    if (event == EndName()) {
        Finish();
        return;
    }
    static const Name kRagDoll("ragDoll");
    Character* character = GetCharacter();
    if (event == kRagDoll && character->ShouldDoRagDoll() && character->ShouldDoLateCrumple()) {
        CharacterRagDoll::EffectData still;
        still.effect = CharacterRagDoll::Crumple;
        still.direction = Vec3();
        still.speed = 0.0f;
        still.amplification = 0.0f;
        character->SetRagdollData(still, true);
        character->SetPhysicsType(CharacterRagDoll::kPhysicsType);
    }
}

void DefaultDeathHandler::ExternalEvent(const Name& event)
{
    if (event == PhysicsCompleteName())
        Finish();
}

// The body's effects stop emitting with the death.
void DefaultDeathHandler::Finish()
{
    DeathHandler::Finish();
    GetCharacter()->StopAttachedEffects();
}

// ---- DissolveActorDeathHandler ----------------------------------------------------------

DissolveActorDeathHandler::~DissolveActorDeathHandler()
{
    // A light still held would hang, unattached, in the world.
    if (m_lightId)
        Destroy(m_lightId, __LINE__);
}

void DissolveActorDeathHandler::Execute()
{
    DeathHandler::Execute();
    if (GetCharacter()->GetDeleteBehavior() == "Dissolve")
        StartDissolve();
}

void DissolveActorDeathHandler::StartDissolve()
{
    Character* character = GetCharacter();
    character->GetMeshInstance().BeginDissolve(static_cast<float>(character->GetDissolveColorRed()),
                                               static_cast<float>(character->GetDissolveColorGreen()),
                                               static_cast<float>(character->GetDissolveColorBlue()),
                                               character->GetDissolveTime(), character->GetDissolveTexture());
    if (m_lightId || m_effectId)
        return;   // started before: its light and effect are on the body already
    EffectEntity* effect = CreateFromRecord<EffectEntity>(character->GetDissolveEffect(), "dissolve effect");
    m_lightRadius = kLightRadius;
    if (Light* light = CreateFromRecord<Light>(character->GetDissolveLight(), "dissolve light")) {
        character->Attach(light, Coords(), Name("Target"));
        light->SetColor(Color{1.0f, 0.0f, 0.0f, 1.0f});
        light->SetRadius(m_lightRadius);
        m_lightId = light->GetObjectId();
    }
    if (effect) {
        character->Attach(effect, Coords(), Name());
        m_effectId = effect->GetObjectId();
    }
}

void DissolveActorDeathHandler::Update(int ms)
{
    if (GetCharacter()->GetMeshInstance().IsDissolved()) {
        Finish();
        return;
    }
    m_lightRadius = std::max(0.0f, m_lightRadius - static_cast<float>(ms) * 0.001f * kLightShrinkPerSecond);
    if (Light* light = ObjectManager::Get().GetObject<Light>(m_lightId))
        light->SetRadius(m_lightRadius);
}

void DissolveActorDeathHandler::AnimationCallback(const Name& event)
{
    static const Name kDissolve("dissolve");
    if (event == kDissolve) {
        if (GetCharacter()->GetDeleteBehavior() == "DissolveOnCallback")
            StartDissolve();
    } else if (event == EndName()) {
        ReleaseEffects();
        Finish();
    }
}

void DissolveActorDeathHandler::ExternalEvent(const Name& event)
{
    if (event == PhysicsCompleteName() && GetCharacter()->GetDeleteBehavior() != "Dissolve")
        Finish();
}

void DissolveActorDeathHandler::ReleaseEffects()
{
    if (m_lightId)
        Destroy(m_lightId, __LINE__);
    m_lightId = 0;
    Character* character = GetCharacter();
    if (EffectEntity* effect = ObjectManager::Get().GetObject<EffectEntity>(m_effectId)) {
        character->Detach(effect);
        effect->StopEmitting();
        effect->AddToWorld(WorldCoords(character->GetRegion(),
                                       Coords::MakeTranslation(character->GetCoords().GetRegionCoords().origin)),
                           false);
    }
    m_effectId = 0;
}

void DissolveActorDeathHandler::PostProcess()
{
    ReleaseEffects();
    GetCharacter()->DestroyMe();
}

// ---- FadeActorDeathHandler --------------------------------------------------------------

// The flag is not cleared here: only construction and Reset clear it.
void FadeActorDeathHandler::Execute()
{
    m_startTint = GetCharacter()->GetTintColor();
    m_fadeTimeMs = GetCharacter()->GetDissolveTime() * 1000.0f;
}

void FadeActorDeathHandler::Update(int ms)
{
    m_elapsedMs = static_cast<int32_t>(std::min<int64_t>(int64_t{m_elapsedMs} + std::max(ms, 0), INT32_MAX));
    if (m_fadeTimeMs > 0.0f) {
        // Held at black: the last frame may pass the fade time.
        const float left = std::max(0.0f, 1.0f - static_cast<float>(m_elapsedMs) / m_fadeTimeMs);
        GetCharacter()->SetTintColor(
            Color{left * m_startTint.red, left * m_startTint.green, left * m_startTint.blue, 1.0f});
    } else {
        Finish();
    }
    if (static_cast<float>(m_elapsedMs) >= m_fadeTimeMs)
        Finish();
}

void FadeActorDeathHandler::PostProcess() { GetCharacter()->DestroyMe(); }

void FadeActorDeathHandler::Reset()
{
    DeathHandler::Reset();
    m_elapsedMs = 0;
}

// ---- SpawnActorDeathHandler -------------------------------------------------------------

void SpawnActorDeathHandler::Execute()
{
    DeathHandler::Execute();
    if (!GetCharacter()->ShouldWaitForCallbackToSpawn())
        SpawnActor();
}

void SpawnActorDeathHandler::AnimationCallback(const Name& event)
{
    static const Name kSpawn("spawnDeathActor");
    if (event == kSpawn) {
        if (GetCharacter()->ShouldWaitForCallbackToSpawn())
            SpawnActor();
    } else if (event == EndName()) {
        Finish();
    }
}

void SpawnActorDeathHandler::SpawnActor()
{
    if (!m_objectId)
        return;
    const uint32_t id = m_objectId;
    m_objectId = 0;   // an id makes one actor
    Character* dead = GetCharacter();
    // An id already taken makes nothing: the object holding it stays.
    m_spawned = ObjectManager::Get().CreateObjectFromFile<Character>(dead->GetActorToSpawnOnDeath(), id);
    if (!m_spawned) {
        gEngine->Log(LOG_WARNING, "Death: \"%s\" under id %u makes no character",
                     dead->GetActorToSpawnOnDeath().c_str(), id);
        return;
    }
    m_spawned->SetSpawnPoint(dead->GetCoords());
    World::Get().AddEntity(m_spawned, dead->GetCoords());
    m_spawned = nullptr;
}

void SpawnActorDeathHandler::PreLoad()
{
    if (m_spawned)
        m_spawned->PreLoad(true);
}

// ---- SpawnMyBonesDeathHandler -----------------------------------------------------------

SpawnMyBonesDeathHandler::~SpawnMyBonesDeathHandler()
{
    if (!m_bonesId)
        return;
    if (m_controllerId)
        Destroy(m_controllerId, __LINE__);
    Destroy(m_bonesId, __LINE__);
}

void SpawnMyBonesDeathHandler::Execute()
{
    DeathHandler::Execute();
    if (!m_objectId || m_bonesId)
        return;
    const uint32_t id = m_objectId;
    m_objectId = 0;
    Character* corpse = GetCharacter();
    Monster* bones = ObjectManager::Get().CreateObjectFromFile<Monster>(corpse->GetActorToSpawnForMyBones(), id);
    if (!bones) {
        gEngine->Log(LOG_WARNING, "Death: bones \"%s\" under id %u make no monster",
                     corpse->GetActorToSpawnForMyBones().c_str(), id);
        return;
    }
    // Carried without a mind until they are set loose: their controller is kept here, a
    // stub stands in for it (and goes with the bones).
    if (ControllerMonster* mind = bones->Lobotomize())
        m_controllerId = mind->GetObjectId();
    corpse->Attach(bones, Coords(), Name());
    m_bonesId = bones->GetObjectId();
}

void SpawnMyBonesDeathHandler::AnimationCallback(const Name& event)
{
    if (event != EndName())
        return;
    Character* corpse = GetCharacter();
    if (Monster* bones = ObjectManager::Get().GetObject<Monster>(m_bonesId)) {
        corpse->Detach(bones);
        // The stub standing in is destroyed; a controller that is gone leaves it in place.
        bones->BrainTransplant(ObjectManager::Get().GetObject<ControllerMonster>(m_controllerId));
        bones->SetScale(corpse->GetCurrentScale());
        World::Get().AddEntity(bones, corpse->GetCoords());
    }
    m_bonesId = 0;
    m_controllerId = 0;
    Finish();
}

void SpawnMyBonesDeathHandler::PreLoad()
{
    if (Monster* bones = ObjectManager::Get().GetObject<Monster>(m_bonesId))
        bones->PreLoad(true);
}

// ---- PlayEffectDeathHandler and PlaySoundDeathHandler -----------------------------------

void PlayEffectDeathHandler::Execute()
{
    DeathHandler::Execute();
    Character* character = GetCharacter();
    if (EffectEntity* effect = CreateFromRecord<EffectEntity>(character->GetDeathEffect(), "death effect")) {
        m_effectId = effect->GetObjectId();
        character->Attach(effect, Coords(), Name("Target"));
        effect->StartEmitting();
    }
    Finish();
}

void PlaySoundDeathHandler::Execute()
{
    DeathHandler::Execute();
    GetCharacter()->PlayDeathSound();
    Finish();
}

}  // namespace GAME
