// A package of particle and mesh effects, tint and sounds bound to one character and
// switched on and off as a whole (damage, buffs, monster states).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class Character;
class SoundPak;

class CharFxPak {
public:
    CharFxPak();
    // Destroys the pak's three sound packs.
    virtual ~CharFxPak();
    CharFxPak(const CharFxPak&) = delete;
    CharFxPak& operator=(const CharFxPak&) = delete;

    // The character's object id; 0 detaches the pak.
    void SetParent(uint32_t parentId) { m_parentId = parentId; }
    uint32_t GetParent() const { return m_parentId; }

    // Reads the pak's record; an empty name reads nothing.
    virtual void LoadFromDatabase(const std::string& recordName);
    // Unloads, then creates the effects on the character.
    virtual void InitializeFxPak();
    // Stops the pak and removes its effects from the character.
    virtual void UnLoad();
    virtual void PreLoad();
    virtual void Enable(bool on);
    virtual void Start();
    virtual void Stop();

    bool IsStarted() const { return m_isStarted; }
    const std::vector<std::string>& GetParticleEffectNames() const { return m_particleEffectNames; }
    const std::vector<std::string>& GetMeshEffectNames() const { return m_meshEffectNames; }
    bool UsesTintColor() const { return m_useTintColor; }
    const std::array<float, 4>& GetTintColor() const { return m_tintColor; }
    // The character's tint from before the pak's own was applied.
    const std::array<float, 4>& GetSavedTintColor() const { return m_savedTintColor; }
    // The effects made on the character, by effect id.
    const std::vector<uint32_t>& GetParticleIds() const { return m_particleIds; }
    const std::vector<uint32_t>& GetMeshIds() const { return m_meshIds; }
    // The pak's sound packs; null when the record names none.
    SoundPak* GetStartSound() const;
    SoundPak* GetStopSound() const;
    SoundPak* GetActiveSound() const;

private:
    // The mesh effects, then the particle effects, made on the character (when it exists)
    // and their names used up.
    void LoadMesh();
    void LoadParticle();
    Character* FindParent() const;
    void DestroySounds();

    std::vector<std::string> m_particleEffectNames;
    std::vector<std::string> m_particleEffectAttachPoints;
    std::vector<std::string> m_meshEffectNames;
    uint32_t m_parentId = 0;
    std::vector<uint32_t> m_particleIds;
    std::vector<uint32_t> m_meshIds;
    bool m_isStarted = false;
    bool m_useTintColor = false;
    std::array<float, 4> m_tintColor{1.0f, 1.0f, 1.0f, 1.0f};
    std::array<float, 4> m_savedTintColor{1.0f, 1.0f, 1.0f, 1.0f};
    int m_activeSoundFadeTime = 10;   // ms
    // The sound packs, owned, by object id: the pak holds no pointer that the object
    // manager may free first.
    uint32_t m_startSound = 0;
    uint32_t m_stopSound = 0;
    uint32_t m_activeSound = 0;
};

}  // namespace GAME
