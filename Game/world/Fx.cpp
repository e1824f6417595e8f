#include "Game/world/Fx.h"

#include <algorithm>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/world/BoundingVolume.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Fx, Entity)
GAME_IMPLEMENT_CLASS(FxMesh, Fx)

namespace {

constexpr float kGrassStrength = 5.0f;
constexpr int kMeshSoundCount = 4;   // "sound1" .. "sound4"
static_assert(kMeshSoundCount <= kNumberedSoundCount);

// A part of a fade: `timer` of `length` ms gone toward 0, as a brightness in 0 .. 1. A
// fade of no length is over at once.
float FadeFraction(int timer, int length)
{
    if (length <= 0)
        return 1.0f;
    return std::clamp(static_cast<float>(timer) / static_cast<float>(length), 0.0f, 1.0f);
}

}  // namespace

// ---- Fx ---------------------------------------------------------------------------------

bool Fx::GetIntersection(const WorldRay& ray, int surface, float& distance, WorldVec3& point) const
{
    constexpr float kPickRadius = 1.0f;
    return BoundingVolume::PickSphere(ray, surface, GetCoords().GetPosition(), kPickRadius, distance, point);
}

Fx::Fx() { SetFrameUpdate(true); }

void Fx::Load(const LoadTable& table)
{
    Entity::Load(table);
    m_disturbanceRadius = table.GetFloat("disturbanceRadius", 0.0f);
}

void Fx::SetParent(Entity* parent) { m_parentId = parent ? parent->GetObjectId() : 0; }

Entity* Fx::GetParent() const { return m_parentId ? ObjectManager::Get().GetObject<Entity>(m_parentId) : nullptr; }

WorldCoords Fx::GetMyRegionCoords() const
{
    const Entity* parent = GetParent();
    return parent ? parent->GetCoords() : GetCoords();
}

WorldCoords Fx::GetMyWorldCoords() const { return GetMyRegionCoords(); }

void Fx::AnimationCallback(const Name& event)
{
    Entity::AnimationCallback(event);
    static const Name kDisplaceGrass("DisplaceGrass");
    if (event == kDisplaceGrass && IsInWorld()) {
        const float r = m_disturbanceRadius;
        World::Get().CreateDisturbance(GetCoords().GetPosition(), Vec3(r, r, r), kGrassStrength, 0);
    }
}

// ---- FxMesh -----------------------------------------------------------------------------

FxMesh::FxMesh() = default;

FxMesh::~FxMesh()
{
    GraphicsEngine::Get()->UnloadAnimation(m_animation);
    for (auto& [event, soundId] : m_sounds)
        DestroyOwnedSound(soundId, "FxMesh");
}

void FxMesh::Load(const LoadTable& table)
{
    Fx::Load(table);
    m_meshName = table.GetString("meshName", "");
    m_animationName = table.GetString("animationName", "");
    m_attachPoint = table.GetString("attachPoint", "");
    m_loop = table.GetBool("loop", false);
    m_speed = table.GetFloat("speed", 0.0f);
    m_fadeInTime = SecondsToMs(table.GetFloat("fadeInTime", 0.0f));
    m_fadeOutTime = SecondsToMs(table.GetFloat("fadeOutTime", 0.0f));
    m_sustainTime = SecondsToMs(table.GetFloat("sustainTime", 0.0f));
    for (int i = 0; i < kMeshSoundCount; ++i)
        if (const uint32_t sound = CreateOwnedSound(table, kNumberedSoundKeys[i]))
            m_sounds.emplace_back(Name(kNumberedSoundKeys[i]), sound);
}

void FxMesh::LoadResources()
{
    if (!m_animation && !m_animationName.empty())
        m_animation = GraphicsEngine::Get()->LoadAnimation(m_animationName);
    if (!m_meshInstance && !m_meshName.empty()) {
        m_meshInstance = std::make_unique<GraphicsMeshInstance>(m_meshName);
        m_meshInstance->SetOwnerId(GetObjectId());
        UpdateBoundingBox();
    }
}

void FxMesh::PreLoad(bool flag)
{
    Fx::PreLoad(flag);
    LoadResources();
    if (m_animation)
        ResourceLoader::Get().EnqueueResource(m_animation, ResourcePriority_High, true);
    for (const auto& [event, soundId] : m_sounds)
        if (SoundPak* sound = ObjectManager::Get().GetObject<SoundPak>(soundId))
            sound->PreLoad(flag);
}

void FxMesh::Start()
{
    LoadResources();
    m_isActive = true;
    m_fadeTimer = m_fadeInTime;
    if (m_fadeInTime >= 1 || m_sustainTime >= 1 || m_fadeOutTime >= 1)
        m_fadeState = Fade_In;
    if (m_meshInstance && m_animation) {
        PlayAnimation(0, m_animation, m_loop, m_speed, m_blend);
        m_animationEnded = false;
    }
}

void FxMesh::Stop()
{
    m_isActive = false;
    EndAnimation();
    SetComplete(true);
}

void FxMesh::EndAnimation()
{
    // The channel holds its last frame: a stopped animation raises nothing more.
    m_animationEnded = true;
}

void FxMesh::InitialUpdate()
{
    Fx::InitialUpdate();
    if (!m_isActive && !IsComplete())
        Start();
}

void FxMesh::AnimationCallback(const Name& event)
{
    Fx::AnimationCallback(event);
    if (event == EndEvent()) {
        if (!m_loop)
            EndAnimation();
        return;
    }
    if (!IsInWorld())
        return;
    for (const auto& [soundEvent, soundId] : m_sounds)
        if (soundEvent == event)
            if (SoundPak* sound = ObjectManager::Get().GetObject<SoundPak>(soundId))
                sound->Play(GetCoords().GetPosition(), 0, true);
}

void FxMesh::AddToWorld(const WorldCoords& coords)
{
    if (!World::Get().AddEntity(this, coords))
        gEngine->Log(LOG_WARNING, "FxMesh %s: could not be placed in the world", GetObjectName().c_str());
}

void FxMesh::AddToScene()
{
    if (!m_isActive || !m_meshInstance)
        return;
    Fx::AddToScene();
    m_meshInstance->SetCoords(GetMyRegionCoords().GetRegionCoords());
    m_meshInstance->AddToScene(GetRegion());
}

void FxMesh::UpdateBoundingBox()
{
    if (!m_meshInstance) {
        SetRegionBoundingBox(OBBox(ABBox{GetCoords().GetRegionCoords().origin, Vec3(1.0f, 1.0f, 1.0f)}));
        return;
    }
    GraphicsMeshInstance placed(*m_meshInstance);
    placed.SetCoords(GetMyRegionCoords().GetRegionCoords());
    SetRegionBoundingBox(OBBox(placed.GetRegionSpaceBoundingBox().GetABBox()));
}

void FxMesh::SetBrightness(float c) { m_diffuse = Color{c, c, c, 1.0f}; }

void FxMesh::UpdateSelf(int elapsedMs)
{
    Fx::UpdateSelf(elapsedMs);
    if (m_meshInstance) {
        m_fadeTimer -= elapsedMs;
        if (m_fadeState == Fade_In) {
            SetBrightness(m_fadeInTime > 0 ? 1.0f - FadeFraction(m_fadeTimer, m_fadeInTime) : 1.0f);
            if (m_fadeTimer < 1) {
                m_fadeTimer = m_sustainTime;
                m_fadeState = Fade_Sustain;
            }
        }
        if (m_fadeState == Fade_Sustain && m_fadeTimer < 1) {
            m_fadeTimer = m_fadeOutTime;
            m_fadeState = m_fadeOutTime > 0 ? Fade_Out : Fade_None;
        }
        if (m_fadeState == Fade_Out) {
            SetBrightness(FadeFraction(m_fadeTimer, m_fadeOutTime));
            if (m_fadeTimer < 1) {
                m_fadeTimer = 0;
                m_fadeState = Fade_None;
            }
        }
    }
    if (IsInWorld() && m_animationEnded && m_fadeState == Fade_None) {
        SetComplete(true);
        m_isActive = false;
        World::Get().RemoveEntity(this);
        ObjectManager::Get().DestroyObjectEx(this, "FxMesh", __LINE__);
    }
}

}  // namespace GAME
