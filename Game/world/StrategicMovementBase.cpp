#include "Game/world/StrategicMovementBase.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/InstanceGroupManager.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/AnimationSound.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/InstanceEntity.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/world/MapMarkers.h"
#include "Game/world/MeshObstacles.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(StrategicMovementBase, Tile)

namespace {

constexpr float kPointSoundVolume = 100.0f;
static_assert(StrategicMovementBase::kSoundCount == kNumberedSoundCount);

// The players standing within `distance` of the point, in the world's order.
void FindPlayersNear(const Entity& point, float distance, std::vector<Player*>& out)
{
    std::vector<Entity*> near;
    World::Get().GetEntitiesInSphere(near, point.GetRegion(),
                                     Sphere{point.GetCoords().GetRegionCoords().origin, distance}, EntityList_All);
    for (Entity* entity : near)
        if (auto* player = DynamicCast<Player>(entity))
            out.push_back(player);
}

}  // namespace

StrategicMovementBase::StrategicMovementBase() : m_animationSounds(std::make_unique<AnimationSound>()) {}

StrategicMovementBase::~StrategicMovementBase()
{
    RemovePathObstacle();
    GraphicsEngine::Get()->UnloadAnimation(m_dormantAnimation);
    GraphicsEngine::Get()->UnloadAnimation(m_activeAnimation);
    DestroyOwnedSound(m_dormantSound, "StrategicMovementBase");
    DestroyOwnedSound(m_dormantToActiveSound, "StrategicMovementBase");
    DestroyOwnedSound(m_activeSound, "StrategicMovementBase");
}

SoundPak* StrategicMovementBase::FindSound(uint32_t id) { return FindOwnedSound(id); }

Light* StrategicMovementBase::GetLight() const { return ObjectManager::Get().GetObject<Light>(m_light); }

void StrategicMovementBase::Load(const LoadTable& table)
{
    Tile::Load(table);
    m_bindDistance = table.GetFloat("bindDistance", 0.0f);
    for (int i = 0; i < kSoundCount; ++i)
        m_soundNames[i] = table.GetString(kNumberedSoundKeys[i], "");
    GraphicsEngine& graphics = *GraphicsEngine::Get();
    graphics.UnloadAnimation(m_dormantAnimation);
    graphics.UnloadAnimation(m_activeAnimation);
    m_dormantAnimation = graphics.LoadAnimation(table.GetString("dormantAnimation", ""));
    m_activeAnimation = graphics.LoadAnimation(table.GetString("activeAnimation", ""));
    m_dormantAnimationSpeed = table.GetFloat("dormantAnimationSpeed", 0.0f);
    m_activeAnimationSpeed = table.GetFloat("activeAnimationSpeed", 0.0f);
    DestroyOwnedSound(m_dormantSound, "StrategicMovementBase");
    DestroyOwnedSound(m_dormantToActiveSound, "StrategicMovementBase");
    DestroyOwnedSound(m_activeSound, "StrategicMovementBase");
    m_dormantSound = CreateOwnedSound(table, "dormantSound");
    m_dormantToActiveSound = CreateOwnedSound(table, "dormantToActiveSound");
    m_activeSound = CreateOwnedSound(table, "activeSound");
    m_descriptionTag = table.GetString("description", "");
    m_lightName = table.GetString("lightName", "");
    m_lightAttachPointName = table.GetString("lightAttachPointName", "");
    // A fade of no length would divide by zero: the shortest is 1 ms.
    m_lightFadeInTime = std::max(SecondsToMs(table.GetFloat("lightFadeInTime", 0.0f)), 1);
}

void StrategicMovementBase::PreLoad(bool flag)
{
    Tile::PreLoad(flag);
    for (SoundPak* sound : {GetDormantSound(), GetDormantToActiveSound(), GetActiveSound()})
        if (sound)
            sound->PreLoad(flag);
    m_animationSounds->PreLoad();
}

void StrategicMovementBase::EnsureUniqueId()
{
    // The engine's map of unique ids gives the entity its identity (a new one when it has
    // none), so that the instance groups find it by the same id.
    if (m_uniqueId == UniqueId())
        m_uniqueId = EnsureUniqueID();
}

Player* StrategicMovementBase::FindLocalPlayer()
{
    return gGameEngine ? ObjectManager::Get().GetObject<Player>(gGameEngine->GetPlayerId()) : nullptr;
}

// ---- State -------------------------------------------------------------------------------

void StrategicMovementBase::PlayStateAnimation(GraphicsAnim* animation, bool loop, bool instant)
{
    if (animation)
        PlayAnimation(0, animation, loop, instant ? m_instantAnimationSpeed : m_animationSpeed, 0);
}

void StrategicMovementBase::StartLoopingSound(SoundPak* sound)
{
    if (sound)
        sound->Play(GetCoords().GetPosition(), 0, false);
}

void StrategicMovementBase::SetState(StrategicMovementBaseState state, bool instant)
{
    if (state == m_state)
        return;
    m_state = state;
    if (instant)
        m_suppressAnimationSounds = true;
    switch (state) {
    case StrategicMovementBaseState_Dormant:
        if (SoundPak* sound = GetActiveSound())
            sound->Stop();
        RemoveAndDestroyAttachments();
        PlayStateAnimation(m_dormantAnimation, true, instant);
        if (!instant)
            StartLoopingSound(GetDormantSound());
        break;
    case StrategicMovementBaseState_Active:
        if (SoundPak* sound = GetDormantSound())
            sound->FadeLastPlayedSound(m_soundFadeTime);
        PlayStateAnimation(m_activeAnimation, false, instant);
        if (!instant) {
            if (SoundPak* sound = GetDormantToActiveSound())
                sound->Play(GetCoords().GetPosition(), 0, true);
            StartLoopingSound(GetActiveSound());
        }
        m_lightFadeTimer = m_lightFadeInTime;
        if (!GetLight() && !m_lightName.empty()) {
            if (Light* light = ObjectManager::Get().CreateObjectFromFile<Light>(m_lightName)) {
                light->SetIntensity(0.0f);
                if (Attach(light, Coords(), Name(m_lightAttachPointName)))
                    m_light = light->GetObjectId();
                else
                    ObjectManager::Get().DestroyObjectEx(light, "StrategicMovementBase", __LINE__);
            }
        }
        break;
    default:
        if (m_dormantAnimation) {
            SkeletalPose pose;
            m_dormantAnimation->GetFramePose(static_cast<int>(m_dormantAnimation->GetLength()) - 1, false, pose);
            SetPose(pose);
        }
        break;
    }
}

void StrategicMovementBase::RemoveAndDestroyAttachments()
{
    m_light = 0;
    ObjectManager& objects = ObjectManager::Get();
    while (GetNumAttachedEntities() > 0) {
        Entity* child = GetAttachedEntity(GetNumAttachedEntities() - 1);
        Detach(child);
        objects.DestroyObjectEx(child, "StrategicMovementBase", __LINE__);
    }
}

bool StrategicMovementBase::QualifyMapData() const
{
    if (!m_checkMapData)
        return true;
    WorldVec3 position;
    return GetInstanceEntityPosition(m_uniqueId, position);
}

// ---- Frame -------------------------------------------------------------------------------

void StrategicMovementBase::InitialUpdate()
{
    Tile::InitialUpdate();
    for (int i = 0; i < kSoundCount; ++i)
        if (!m_soundNames[i].empty())
            m_animationSounds->AddSound(Name(kNumberedSoundKeys[i]), m_soundNames[i].c_str(), kPointSoundVolume);
    if (gEngine && gEngine->IsEditorMode())
        SetState(StrategicMovementBaseState_Editor, true);
    else if (!QualifyMapData())
        SetState(StrategicMovementBaseState_Unqualified, true);
    if (m_state == StrategicMovementBaseState_None)
        SetState(DetermineStateFromPlayer(), true);
    if (m_state == StrategicMovementBaseState_Active)
        StartLoopingSound(GetActiveSound());
    else if (m_state == StrategicMovementBaseState_Dormant)
        StartLoopingSound(GetDormantSound());
}

void StrategicMovementBase::UpdateSelf(int elapsedMs)
{
    Tile::UpdateSelf(elapsedMs);
    m_elapsed = std::max(elapsedMs, 0);
    switch (m_state) {
    case StrategicMovementBaseState_Dormant:
        UpdateDormant();
        break;
    case StrategicMovementBaseState_Active:
        UpdateActive();
        break;
    case StrategicMovementBaseState_None:
        SetState(DetermineStateFromPlayer(), true);
        break;
    default:
        break;
    }
}

void StrategicMovementBase::UpdateDormant()
{
    if (SoundPak* sound = GetDormantSound(); sound && !sound->IsPlaying())
        StartLoopingSound(sound);
    std::vector<Player*> players;
    FindPlayersNear(*this, m_bindDistance, players);
    for (Player* player : players)
        if (player->IsControllingCharacter() && InstallOnPlayerProximity(*player)) {
            SetState(StrategicMovementBaseState_Active, false);
            return;
        }
}

void StrategicMovementBase::UpdateActive()
{
    if (Light* light = GetLight(); light && m_lightFadeTimer > 0) {
        m_lightFadeTimer -= m_elapsed;
        const float left = static_cast<float>(std::max(m_lightFadeTimer, 0)) / static_cast<float>(m_lightFadeInTime);
        light->SetIntensity(1.0f - std::clamp(left, 0.0f, 1.0f));
    }
    if (SoundPak* sound = GetActiveSound(); sound && !sound->IsPlaying())
        StartLoopingSound(sound);
    m_recheckTimer -= m_elapsed;
    if (m_recheckTimer <= 0) {
        m_recheckTimer = m_recheckInterval;
        SetState(DetermineStateFromPlayer(), false);
    }
}

void StrategicMovementBase::AnimationCallback(const Name& event)
{
    Tile::AnimationCallback(event);
    if (event == EndEvent())
        m_suppressAnimationSounds = false;
    if (!m_suppressAnimationSounds)
        m_animationSounds->PlaySound(*this, event, 0);
}

void StrategicMovementBase::OnRemoveFromLevel()
{
    Tile::OnRemoveFromLevel();
    RemovePathObstacle();
}

void StrategicMovementBase::CreatePathObstacle() { BuildMeshObstacles(*this, m_pathObstacles); }

void StrategicMovementBase::RemovePathObstacle() { RemoveMeshObstacles(m_pathObstacles); }

// ---- Operations and saved state ----------------------------------------------------------

WorldVec3 StrategicMovementBase::GetMoveToPoint(uint32_t /*actorId*/) const { return GetCoords().GetPosition(); }

void StrategicMovementBase::RequestToUse(uint32_t /*actorId*/) {}

std::u16string StrategicMovementBase::GetGameDescription(bool highlighted) const
{
    std::u16string text = highlighted ? u"^y" : u"";
    if (!m_descriptionTag.empty())
        text += SimpleTagText(m_descriptionTag);
    return text;
}

void StrategicMovementBase::AppendDetailMapNugget(int kind, std::vector<MinimapGameNugget>& out) const
{
    out.push_back(MinimapGameNugget::At(kind, GetGameDescription(false), GetCoords()));
}

void StrategicMovementBase::HandleTargets(const std::vector<uint32_t>& /*targets*/) {}

void StrategicMovementBase::SaveState(BinaryWriter& writer) { writer.WriteUInt32(m_state); }

bool StrategicMovementBase::RestoreState(BinaryReader& reader)
{
    const uint32_t state = reader.ReadUInt32();
    if (reader.HasFailed() || state > kLastState) {
        gEngine->Log(LOG_WARNING, "StrategicMovementBase %s: saved state unreadable; the point works it out again",
                     GetObjectName().c_str());
        return false;
    }
    SetState(static_cast<StrategicMovementBaseState>(state), true);
    return true;
}

}  // namespace GAME
