#include "Game/world/SoundObject.h"

#include <cmath>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Game/core/GameEngine.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(SoundObject, Actor)

namespace {

bool SoundEditorMode() { return gEngine && gEngine->IsEditorMode(); }

// Seconds from a record as whole milliseconds, truncated; a broken value (negative, not a
// number, absurdly long) gives 0.
int SoundPeriodMs(float seconds)
{
    return seconds > 0.0f ? static_cast<int>(std::fmin(seconds, 1.0e6f) * 1000.0f) : 0;
}

}  // namespace

// ---- Ambient -----------------------------------------------------------------------------

SoundAmbient::~SoundAmbient()
{
    if (SoundPak* sound = GetSound())
        sound->Stop();
    DestroyOwnedSound(m_ambientSound, "SoundAmbient");
}

void SoundAmbient::Load(const LoadTable& table)
{
    DestroyOwnedSound(m_ambientSound, "SoundAmbient");
    m_ambientSound = CreateOwnedSound(table, "ambientSound");
}

SoundPak* SoundAmbient::GetSound() const { return FindOwnedSound(m_ambientSound); }

void SoundAmbient::PreLoad()
{
    if (SoundPak* sound = GetSound())
        sound->PreLoad(false);
}

void SoundAmbient::StartSound(bool loop)
{
    m_isPlaying = true;
    m_isLooping = loop;
}

void SoundAmbient::StopSound()
{
    m_isPlaying = false;
    if (SoundPak* sound = GetSound())
        sound->Stop();
}

void SoundAmbient::Update(const WorldCoords& position, int)
{
    SoundPak* sound = GetSound();
    const WorldVec3& ears = SoundListener::Get().GetEarsPosition();
    if (!m_isPlaying || SoundEditorMode() || !sound || !ears.GetRegion())
        return;
    const WorldVec3 location = sound->GetPlayLocation(ears, position.GetPosition());
    if (m_isLooping)
        sound->DoFalloffCheck(false);
    if (!sound->IsPlaying()) {
        sound->SetInfiniteLoop(m_isLooping);
        sound->Play(location, 0, !m_isLooping);
        return;
    }
    if (m_isLooping)
        return;
    const float reach = sound->GetFalloff() * kFadeFalloffs;
    const Vec3 apart = location - ears;
    if (apart.x * apart.x + apart.y * apart.y + apart.z * apart.z > reach * reach)
        sound->FadeLastPlayedSound(kFadeMs);
}

// ---- Periodic ----------------------------------------------------------------------------

SoundPeriodic::~SoundPeriodic() { DestroyOwnedSound(m_periodicSound, "SoundPeriodic"); }

void SoundPeriodic::Load(const LoadTable& table)
{
    DestroyOwnedSound(m_periodicSound, "SoundPeriodic");
    m_periodicSound = CreateOwnedSound(table, "periodicSound");
    m_soundPeriod = SoundPeriodMs(table.GetFloat("soundPeriod", 0.0f));
    m_randomPeriod = table.GetBool("randomPeriod", false);
    m_randomPeriodMin = SoundPeriodMs(table.GetFloat("randomPeriodMin", 0.0f));
    m_randomPeriodMax = SoundPeriodMs(table.GetFloat("randomPeriodMax", 0.0f));
    if (m_randomPeriod && m_randomPeriodMax < m_randomPeriodMin) {
        gEngine->Log(LOG_WARNING, "SoundPeriodic %s: randomPeriodMax below randomPeriodMin; the minimum is used",
                     table.GetName().c_str());
        m_randomPeriodMax = m_randomPeriodMin;
    }
}

SoundPak* SoundPeriodic::GetSound() const { return FindOwnedSound(m_periodicSound); }

void SoundPeriodic::PreLoad()
{
    if (SoundPak* sound = GetSound())
        sound->PreLoad(false);
}

void SoundPeriodic::StartSound()
{
    if (!GetSound())
        return;
    m_isPlaying = true;
    InitializeSoundPeriod();
}

void SoundPeriodic::InitializeSoundPeriod()
{
    if (m_randomPeriod && gGameEngine)
        m_timeLeft = gGameEngine->GetRandomGen().IGenerate(m_randomPeriodMin, m_randomPeriodMax);
    else
        m_timeLeft = m_randomPeriod ? m_randomPeriodMin : m_soundPeriod;
}

void SoundPeriodic::Update(const WorldCoords& position, int elapsedMs)
{
    if (!m_isPlaying || SoundEditorMode())
        return;
    m_timeLeft -= elapsedMs;
    if (m_timeLeft > 0)
        return;
    SoundPak* sound = GetSound();
    if (sound && !sound->IsPlaying())
        sound->Play(position.GetPosition(), 0, true);
    InitializeSoundPeriod();
}

// ---- The object --------------------------------------------------------------------------

SoundObject::SoundObject() = default;

SoundObject::~SoundObject()
{
    if (SoundEditorMode())
        EditorFilter::Get().Remove(GetObjectId());
}

void SoundObject::Load(const LoadTable& table)
{
    Actor::Load(table);
    m_ambient.Load(table);
    m_periodic.Load(table);
    m_startOnLoad = table.GetBool("startOnLoad", false);
    if (!m_startOnLoad)
        return;
    m_ambient.StartSound(true);
    m_periodic.StartSound();
    m_ambient.Update(GetCoords(), 1);
    m_periodic.Update(GetCoords(), 1);
}

void SoundObject::PreLoad(bool flag)
{
    Actor::PreLoad(flag);
    m_ambient.PreLoad();
    m_periodic.PreLoad();
}

void SoundObject::InitialUpdate()
{
    Actor::InitialUpdate();
    if (!m_startOnLoad) {
        m_ambient.StartSound(false);
        m_periodic.StartSound();
    }
    if (SoundEditorMode()) {
        SetVisibility(true);
        EditorFilter::Get().Add(GetObjectId(), kEditorFilterType);
    } else {
        SetVisibility(false);
    }
}

void SoundObject::UpdateSelf(int elapsedMs)
{
    m_ambient.Update(GetCoords(), elapsedMs);
    m_periodic.Update(GetCoords(), elapsedMs);
    Actor::UpdateSelf(elapsedMs);
}

}  // namespace GAME
