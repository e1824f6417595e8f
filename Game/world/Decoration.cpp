#include "Game/world/Decoration.h"

#include <algorithm>
#include <utility>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/GraphicsAnim.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/core/foundation/ProcessRandom.h"
#include "Game/world/BoundingVolume.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Decoration, Actor)
GAME_IMPLEMENT_CLASS(Apparatus, Decoration)

Decoration::Decoration() { SetPhysicsType(0); }

Decoration::~Decoration()
{
    ReleaseAnimations();
    ObjectManager& objects = ObjectManager::Get();
    for (uint32_t id : m_owned)
        if (Object* owned = objects.GetObject(id))
            objects.DestroyObjectEx(owned, "Decoration", __LINE__);
}

void Decoration::ReleaseAnimations()
{
    GraphicsEngine* graphics = GraphicsEngine::Get();
    m_currentAnimation = nullptr;
    graphics->UnloadAnimation(std::exchange(m_mainAnimation, nullptr));
    for (RandomAnimation& entry : m_randomAnimations)
        graphics->UnloadAnimation(entry.animation);
    m_randomAnimations.clear();
}

void Decoration::Load(const LoadTable& table)
{
    Actor::Load(table);
    ReleaseAnimations();
    GraphicsEngine* graphics = GraphicsEngine::Get();
    if (const std::string main = table.GetString("animation", ""); !main.empty())
        m_mainAnimation = graphics->LoadAnimation(main);
    m_allowPathing = table.GetBool("allowPathing", false);

    for (int n = 1; n <= kRandomAnimations; ++n) {
        const std::string key = "animation" + std::to_string(n);
        const float chance = table.GetFloat((key + "Chance").c_str(), 0.0f);
        if (!(chance > 0.0f))
            continue;   // also what is not a number
        const std::string name = table.GetString(key.c_str(), "");
        if (name.empty())
            continue;
        if (GraphicsAnim* animation = graphics->LoadAnimation(name))
            m_randomAnimations.push_back({animation, chance});
    }

    m_ambient.Load(table);
    m_periodic.Load(table);

    for (int n = 1; n <= kDecorationSounds; ++n) {
        const std::string key = "decorationSound" + std::to_string(n);
        const std::string record = table.GetString(key.c_str(), "");
        const float chance = table.GetFloat((key + "Chance").c_str(), 0.0f);
        if (!record.empty())
            m_animationSound.AddSound(Name(key), record.c_str(), chance);
    }

    // One of the numbers 1 to the highest one named is drawn; a gap drawn attaches nothing.
    std::string names[kAttachObjects];
    std::string points[kAttachObjects];
    int highest = 0;
    for (int n = 1; n <= kAttachObjects; ++n) {
        names[n - 1] = table.GetString(("attachObjectName" + std::to_string(n)).c_str(), "");
        points[n - 1] = table.GetString(("attachPoint" + std::to_string(n)).c_str(), "");
        if (!names[n - 1].empty())
            highest = n;
    }
    if (highest > 0) {
        const int chosen = RandomInt(1, highest);
        AttachObject(names[chosen - 1], points[chosen - 1]);
    }

    if (const std::string volume = table.GetString("boundingVolume", ""); !volume.empty()) {
        ObjectManager& objects = ObjectManager::Get();
        Object* made = objects.CreateObjectFromFile<Object>(volume);
        if (auto* trigger = DynamicCast<BoundingVolume>(made)) {
            if (Attach(trigger, Coords(), Name()))
                m_owned.push_back(trigger->GetObjectId());
            else
                objects.DestroyObjectEx(trigger, "Decoration", __LINE__);
        } else if (made) {
            gEngine->Log(LOG_WARNING, "%s: \"boundingVolume\" %s is no bounding volume; left out",
                         table.GetName().c_str(), volume.c_str());
            objects.DestroyObjectEx(made, "Decoration", __LINE__);
        }
    }
}

void Decoration::AttachObject(const std::string& name, const std::string& point)
{
    if (name.empty())
        return;
    ObjectManager& objects = ObjectManager::Get();
    Object* made = objects.CreateObjectFromFile<Object>(name);
    auto* actor = DynamicCast<Actor>(made);
    if (!actor) {
        if (made) {
            gEngine->Log(LOG_WARNING, "Decoration: attach object %s is no actor; left out", name.c_str());
            objects.DestroyObjectEx(made, "Decoration", __LINE__);
        }
        return;
    }
    if (Attach(actor, Coords(), Name(point.c_str())))
        m_owned.push_back(actor->GetObjectId());
    else
        objects.DestroyObjectEx(actor, "Decoration", __LINE__);
}

void Decoration::PreLoad(bool preloadNow)
{
    Actor::PreLoad(preloadNow);
    ResourceLoader& loader = ResourceLoader::Get();
    if (m_mainAnimation)
        loader.EnqueueResource(m_mainAnimation, ResourcePriority_High, true);
    for (const RandomAnimation& entry : m_randomAnimations)
        loader.EnqueueResource(entry.animation, ResourcePriority_High, true);
    m_animationSound.PreLoad();
    m_ambient.PreLoad();
    m_periodic.PreLoad();
}

void Decoration::PlayOnBody(const GraphicsAnim* animation)
{
    m_currentAnimation = animation;
    PlayAnimation(0, animation, false, 1.0f, kBlendMs);
}

void Decoration::InitialUpdate()
{
    Actor::InitialUpdate();
    m_ambient.StartSound(false);
    m_periodic.StartSound();
    if (m_mainAnimation)
        PlayOnBody(m_mainAnimation);
}

void Decoration::UpdateSelf(int elapsedMs)
{
    const WorldCoords& coords = GetCoords();
    m_ambient.Update(coords, elapsedMs);
    m_periodic.Update(coords, elapsedMs);
    const float step = static_cast<float>(elapsedMs) / 1000.0f;
    m_fadeLevel = std::clamp(m_isFadingOut ? m_fadeLevel + step : m_fadeLevel - step, 0.0f, kMaxFadeLevel);
    Actor::UpdateSelf(elapsedMs);
}

void Decoration::AnimationCallback(const Name& event)
{
    m_animationSound.PlaySound(*this, event, 0);
    if (event == EndEvent())
        if (const GraphicsAnim* next = GetRandomAnimation())
            PlayOnBody(next);
    Actor::AnimationCallback(event);
}

const GraphicsAnim* Decoration::GetRandomAnimation() const
{
    if (!m_mainAnimation)
        return nullptr;
    const float r = RandomFloat(0.0f, 100.0f);
    float before = 0.0f;
    for (const RandomAnimation& entry : m_randomAnimations) {
        if (r - before <= entry.chance)
            return entry.animation;
        before += entry.chance;
    }
    return m_mainAnimation;
}

// ---- Apparatus ----------------------------------------------------------------------------------

void Apparatus::Load(const LoadTable& table)
{
    Decoration::Load(table);
    m_pauseTimeMinMs = SecondsToMs(table.GetFloat("apparatusPauseTimeMin", 0.0f));
    m_pauseTimeMaxMs = SecondsToMs(table.GetFloat("apparatusPauseTimeMax", 0.0f));
}

int Apparatus::GetPauseTime() const
{
    return RandomInt(std::min(m_pauseTimeMinMs, m_pauseTimeMaxMs), std::max(m_pauseTimeMinMs, m_pauseTimeMaxMs));
}

}  // namespace GAME
