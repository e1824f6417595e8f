// Sound packs that a world object makes from its record and owns, kept by object id so
// that the owner never holds a pointer the object manager may have freed first.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Entity.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

// The id of the sound pack the record's key names; 0 for an empty name or a record of
// another class.
inline uint32_t CreateOwnedSound(const LoadTable& table, const char* key)
{
    const std::string record = table.GetString(key, "");
    if (record.empty())
        return 0;
    const SoundPak* sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(record);
    return sound ? sound->GetObjectId() : 0;
}

inline SoundPak* FindOwnedSound(uint32_t id) { return ObjectManager::Get().GetObject<SoundPak>(id); }

// Destroys the sound pack (when it still lives) and clears the id.
inline void DestroyOwnedSound(uint32_t& id, const char* owner)
{
    ObjectManager& objects = ObjectManager::Get();
    if (SoundPak* sound = objects.GetObject<SoundPak>(id))
        objects.DestroyObjectEx(sound, owner, __LINE__);
    id = 0;
}

// The keys of the sounds an object plays on its animation's events, each under the event
// of the key's own name.
inline constexpr int kNumberedSoundCount = 5;
inline constexpr const char* kNumberedSoundKeys[kNumberedSoundCount] = {"sound1", "sound2", "sound3", "sound4",
                                                                        "sound5"};

}  // namespace GAME
