// The trap or blessing a fixed item carries ("skillName"): it shows a warning when the
// item starts its use and fires a fixed delay after the use. What must agree on every
// peer (who is buffed, the id of a monster that appears) is chosen in GetTargets, on the
// deciding side, and the same list reaches ProcessTargetResults everywhere.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/Object.h"

namespace GAME {

class FixedItem;
class SoundPak;

class FixedItemSkill : public Object {
    GAME_DECLARE_CLASS(FixedItemSkill)

public:
    ~FixedItemSkill() override;
    // "skillWarningSound", "skillActivateSound", "skillWarningFxPak", "skillActivateFxPak".
    void Load(const LoadTable& table) override;
    virtual void AssignParent(FixedItem* parent);
    FixedItem* GetParent() const;
    // The ids the skill acts on, for a use by `actorId`; none in the base.
    virtual void GetTargets(uint32_t actorId, std::vector<uint32_t>& out) const;
    // Fires on the targets chosen: the base shows the activation.
    virtual void ProcessTargetResults(uint32_t actorId, const std::vector<uint32_t>& targets);
    void PreLoad(bool flag) override;
    void PlayWarningFx();
    void PlayActiveFx();

    SoundPak* GetWarningSound() const;
    SoundPak* GetActivateSound() const;

private:
    // The effect pack and the sound at the parent, without its turn.
    void PlayFx(const std::string& fxPak, SoundPak* sound);

    uint32_t m_parentId = 0;
    uint32_t m_warningSound = 0;    // owned, by id
    std::string m_warningFxPak;
    uint32_t m_activateSound = 0;   // owned, by id
    std::string m_activateFxPak;
};

// Puts a buff skill on the user, or on every friend of the user near the item.
class FixedItemSkill_Buff : public FixedItemSkill {
    GAME_DECLARE_CLASS(FixedItemSkill_Buff)

public:
    // "buffSkillName", "targetRadius", "skillActiveDuration" (0 gives 1 s).
    void Load(const LoadTable& table) override;
    void GetTargets(uint32_t actorId, std::vector<uint32_t>& out) const override;
    void ProcessTargetResults(uint32_t actorId, const std::vector<uint32_t>& targets) override;

    const std::string& GetBuffSkillName() const { return m_buffSkillName; }
    float GetTargetRadius() const { return m_targetRadius; }
    int GetActiveDuration() const { return m_activeDuration; }

private:
    std::string m_buffSkillName;
    float m_targetRadius = 0.0f;
    int m_activeDuration = 1000;   // ms
};

// Makes a monster appear at the item and set on the user.
class FixedItemSkill_SpawnMonster : public FixedItemSkill {
    GAME_DECLARE_CLASS(FixedItemSkill_SpawnMonster)

public:
    // "monsterName", "timeToLive" (0: until killed).
    void Load(const LoadTable& table) override;
    // One fresh object id, the id the monster will carry; none without a monster.
    void GetTargets(uint32_t actorId, std::vector<uint32_t>& out) const override;
    void ProcessTargetResults(uint32_t actorId, const std::vector<uint32_t>& targets) override;

    const std::string& GetMonsterName() const { return m_monsterName; }
    int GetTimeToLive() const { return m_timeToLive; }

private:
    std::string m_monsterName;
    int m_timeToLive = 0;   // ms
};

}  // namespace GAME
