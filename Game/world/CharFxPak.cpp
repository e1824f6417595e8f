#include "Game/world/CharFxPak.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/world/OwnedSound.h"

namespace GAME {

CharFxPak::CharFxPak() = default;

CharFxPak::~CharFxPak()
{
    DestroySounds();
}

void CharFxPak::DestroySounds()
{
    DestroyOwnedSound(m_startSound, "CharFxPak");
    DestroyOwnedSound(m_stopSound, "CharFxPak");
    DestroyOwnedSound(m_activeSound, "CharFxPak");
}

SoundPak* CharFxPak::GetStartSound() const
{
    return FindOwnedSound(m_startSound);
}

SoundPak* CharFxPak::GetStopSound() const
{
    return FindOwnedSound(m_stopSound);
}

SoundPak* CharFxPak::GetActiveSound() const
{
    return FindOwnedSound(m_activeSound);
}

Character* CharFxPak::FindParent() const
{
    return ObjectManager::Get().GetObject<Character>(m_parentId);
}

void CharFxPak::LoadFromDatabase(const std::string& recordName)
{
    if (recordName.empty())
        return;
    const LoadTable& table = ObjectManager::Get().GetRecordOrEmpty(recordName);
    table.GetStringArray("particleEffectNames", m_particleEffectNames);
    table.GetStringArray("particleEffectAttachPoints", m_particleEffectAttachPoints);
    table.GetStringArray("meshEffectNames", m_meshEffectNames);
    m_useTintColor = table.GetBool("useTintColor", false);
    m_tintColor = {table.GetFloat("colorRed", 0.0f), table.GetFloat("colorGreen", 0.0f),
                   table.GetFloat("colorBlue", 0.0f), 1.0f};
    // A pak loaded again keeps no sounds of its earlier record.
    DestroySounds();
    m_startSound = CreateOwnedSound(table, "startSound");
    m_stopSound = CreateOwnedSound(table, "stopSound");
    m_activeSound = CreateOwnedSound(table, "activeSound");
}

// Unloads, then makes every named effect on the character; the names are used up.
void CharFxPak::InitializeFxPak()
{
    UnLoad();
    LoadMesh();
    LoadParticle();
}

void CharFxPak::LoadMesh()
{
    Character* character = FindParent();
    if (!character)
        return;
    for (const std::string& name : m_meshEffectNames)
        if (const uint32_t id = character->AddMeshEffect(name))
            m_meshIds.push_back(id);
    m_meshEffectNames.clear();
}

// A name beyond the attach points is attached at the character itself (the empty point).
void CharFxPak::LoadParticle()
{
    Character* character = FindParent();
    if (!character)
        return;
    for (size_t i = 0; i < m_particleEffectNames.size(); ++i) {
        const std::string& attachPoint =
            i < m_particleEffectAttachPoints.size() ? m_particleEffectAttachPoints[i] : std::string();
        if (const uint32_t id = character->AddParticleEffect(m_particleEffectNames[i], attachPoint))
            m_particleIds.push_back(id);
    }
    m_particleEffectNames.clear();
}

void CharFxPak::UnLoad()
{
    Stop();
    if (Character* character = FindParent()) {
        for (uint32_t& id : m_particleIds)
            character->RemoveParticleEffect(id);
        for (uint32_t& id : m_meshIds)
            character->RemoveMeshEffect(id);
    }
    m_particleIds.clear();
    m_meshIds.clear();
    if (SoundPak* sound = GetActiveSound()) {
        sound->Track(0);
        sound->Stop();
    }
}

void CharFxPak::PreLoad()
{
    for (SoundPak* sound : {GetStartSound(), GetStopSound(), GetActiveSound()})
        if (sound)
            sound->PreLoad(false);
}

void CharFxPak::Enable(bool on)
{
    if (on)
        Start();
    else
        Stop();
}

void CharFxPak::Start()
{
    Character* character = FindParent();
    if (!character || m_isStarted)
        return;
    m_isStarted = true;
    for (uint32_t id : m_meshIds)
        character->StartMeshEffect(id);
    for (uint32_t id : m_particleIds)
        character->StartParticleEffect(id);
    if (m_useTintColor) {
        const Color& current = character->GetTintColor();
        m_savedTintColor = {current.red, current.green, current.blue, current.alpha};
        character->SetTintColor(Color{m_tintColor[0], m_tintColor[1], m_tintColor[2], m_tintColor[3]});
    }
    const WorldVec3 where = character->GetCoords().GetPosition();
    if (SoundPak* sound = GetStartSound())
        sound->Play(where, 0, true);
    if (SoundPak* sound = GetActiveSound()) {
        sound->Track(character->GetObjectId());
        sound->Play(where, 0, false);
    }
}

void CharFxPak::Stop()
{
    Character* character = FindParent();
    if (!character || !m_isStarted)
        return;
    m_isStarted = false;
    for (uint32_t id : m_meshIds)
        character->StopMeshEffect(id);
    for (uint32_t id : m_particleIds)
        character->StopParticleEffect(id);
    if (m_useTintColor)
        character->SetTintColor(
            Color{m_savedTintColor[0], m_savedTintColor[1], m_savedTintColor[2], m_savedTintColor[3]});
    if (SoundPak* sound = GetActiveSound()) {
        sound->Track(0);
        sound->FadeLastPlayedSound(m_activeSoundFadeTime);
    }
    if (SoundPak* sound = GetStopSound())
        sound->Play(character->GetCoords().GetPosition(), 0, true);
}

}  // namespace GAME
