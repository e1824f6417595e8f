#include "Game/world/CharFxPak.h"

#include "Engine/Entity.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"

namespace GAME {

namespace {

// The id of the sound pack the record names; 0 for an empty name or a record of another
// class.
uint32_t CreateSound(const LoadTable& table, const char* key)
{
    const std::string recordName = table.GetString(key, "");
    if (recordName.empty())
        return 0;
    const SoundPak* sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(recordName);
    return sound ? sound->GetObjectId() : 0;
}

void DestroySound(uint32_t& soundId)
{
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* sound = objects.GetObject<SoundPak>(soundId))
        objects.DestroyObjectEx(sound, "CharFxPak", __LINE__);
    soundId = 0;
}

SoundPak* FindSound(uint32_t soundId)
{
    return ObjectManager::Get().GetObject<SoundPak>(soundId);
}

}  // namespace

CharFxPak::CharFxPak() = default;

CharFxPak::~CharFxPak()
{
    DestroySounds();
}

void CharFxPak::DestroySounds()
{
    DestroySound(m_startSound);
    DestroySound(m_stopSound);
    DestroySound(m_activeSound);
}

SoundPak* CharFxPak::GetStartSound() const
{
    return FindSound(m_startSound);
}

SoundPak* CharFxPak::GetStopSound() const
{
    return FindSound(m_stopSound);
}

SoundPak* CharFxPak::GetActiveSound() const
{
    return FindSound(m_activeSound);
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
    m_startSound = CreateSound(table, "startSound");
    m_stopSound = CreateSound(table, "stopSound");
    m_activeSound = CreateSound(table, "activeSound");
}

// The effects are made on the character through its effect operations; the names wait
// here until the character offers them.
void CharFxPak::InitializeFxPak()
{
    UnLoad();
}

void CharFxPak::UnLoad()
{
    Stop();
    m_particleIds.clear();
    m_meshIds.clear();
}

// Sound packs load nothing ahead of their first play.
void CharFxPak::PreLoad() {}

void CharFxPak::Enable(bool on)
{
    if (on)
        Start();
    else
        Stop();
}

void CharFxPak::Start()
{
    const Character* character = FindParent();
    if (!character || m_isStarted)
        return;
    m_isStarted = true;
    const WorldVec3 where = character->GetCoords().GetPosition();
    if (SoundPak* sound = GetStartSound())
        sound->Play(where, 0, true);
    if (SoundPak* sound = GetActiveSound())
        sound->Play(where, 1, true);
}

void CharFxPak::Stop()
{
    const Character* character = FindParent();
    if (!character || !m_isStarted)
        return;
    m_isStarted = false;
    if (SoundPak* sound = GetStopSound())
        sound->Play(character->GetCoords().GetPosition(), 0, true);
}

}  // namespace GAME
