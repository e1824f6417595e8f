// The final boss and the god statues round its arena. The boss takes the attacks of a
// god from the statue it strikes with a transfer skill, and shows that god's effect;
// its death ends the game. A second boss character dies the same way.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Game/characters/Monster.h"
#include "Game/world/CharFxPak.h"

namespace GAME {

class ControllerTyphon;
class SoundPak;

// The gods: 0 zeus, 1 demeter, 2 hades, 3 apollo; 4 is none (the boss's own attacks).
constexpr uint32_t kTyphonGodCount = 4;
constexpr uint32_t kTyphonNoGod = 4;
// "zeus", "demeter", "hades", "apollo"; "invalid" for any other index.
const char* GodIndexToName(uint32_t god);
// The index of a god's word; any other word, the empty one too, is zeus.
uint32_t GodNameFromString(const std::string& word);

// What the boss characters leave when they die, and the death itself: the three effects
// at the body, the user interface told, the end of the game installed, the game saved
// and the next difficulty unlocked.
class TyphonDeath {
public:
    static constexpr size_t kEffectCount = 3;
    // "deathVortex", "wisps", "godRays".
    void Load(const LoadTable& table);
    void Die(Character& boss) const;
    const std::array<std::string, kEffectCount>& GetEffects() const { return m_effects; }

private:
    std::array<std::string, kEffectCount> m_effects;
};

class Typhon : public Monster {
    GAME_DECLARE_CLASS(Typhon)

public:
    static constexpr size_t kGodSkillCount = kTyphonGodCount;

    ~Typhon() override;
    // The monster's keys and the death effects; with a controller of the god cycle, the
    // five attacks of each god, the transfer skills and the god effects too.
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    void ImDying() override;

    // The effect pack of each god skill, bound to the boss.
    CharFxPak& GetGodSkillEffect(size_t index) { return m_godSkillEffects[index % kGodSkillCount]; }
    // Lights the god's effect; an index that names no god is logged and ignored.
    void EnableSkillEffect(uint32_t god);
    // Switches the effects of the four god skills off.
    void DisableSkillEffects();
    // The statue of that god was destroyed: the controller hears of it.
    void NotifyStatueDestroyed(uint32_t god);
    ControllerTyphon* GetTyphonController() const;
    const TyphonDeath& GetDeath() const { return m_death; }

private:
    void LoadGodSkills(const LoadTable& table, ControllerTyphon& controller);

    std::array<CharFxPak, kGodSkillCount> m_godSkillEffects;
    TyphonDeath m_death;
};

class Typhon2 : public Monster {
    GAME_DECLARE_CLASS(Typhon2)

public:
    void Load(const LoadTable& table) override;
    void ImDying() override;
    const TyphonDeath& GetDeath() const { return m_death; }

private:
    TyphonDeath m_death;
};

class TyphonStatue : public Monster {
    GAME_DECLARE_CLASS(TyphonStatue)

public:
    static constexpr float kBossSearchRadius = 500.0f;

    ~TyphonStatue() override;
    // The monster's keys, the god ("skillGodName"), the burst effect and sound.
    void Load(const LoadTable& table) override;
    void PreLoad(bool flag) override;
    // The statue stands on a side of its own, a foe of every other.
    void InitialUpdate() override;
    bool CausesAnger() const override { return false; }
    // A hit by the boss hands the boss this statue's god.
    void UnderAttack(uint32_t attackerId) override;
    // The nearest boss hears that this god's statue is gone.
    void CharacterIsDying() override;

    uint32_t GetGod() const { return m_god; }
    CharFxPak& GetBurstEffect() { return m_burst; }
    SoundPak* GetBurstSound() const;

private:
    uint32_t m_god = 0;
    CharFxPak m_burst;
    uint32_t m_burstSound = 0;   // owned, by object id
};

}  // namespace GAME
