// The kinds of secondary skill: what a skill does, hung on another skill of the same
// character, when that one strikes or is switched on and off. Each decides on the peer
// that drives its character and sends its choice through the skill services; every peer
// then carries it out from the target result, spawn or active update it receives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/World.h"
#include "Game/skills/Skill.h"

namespace GAME {

struct Bonus;
class Lightning;

// Life and mana (with the profile's bonus effect) for every character the primary hit.
class SkillSecondary_Bonus : public SkillSecondary {
    GAME_DECLARE_CLASS(SkillSecondary_Bonus)

public:
    SkillSecondary_Bonus();

    void ActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                     const WorldVec3& point) override;
};

// While the primary is on, a buff handed every second to the friends around the user;
// the first pulse gives them a bonus instead. The skill's profile is the buff's.
class SkillSecondary_BuffRadius : public SkillSecondary {
    GAME_DECLARE_CLASS(SkillSecondary_BuffRadius)

public:
    static constexpr int kPulseIntervalMs = 1000;
    static constexpr int kBuffDurationMs = 1500;

    SkillSecondary_BuffRadius();

    void Load(const LoadTable& table) override;
    void Update(Character& user, int elapsedMs) override;
    // With the flag: the switch-on's bonus (and this secondary's own secondaries, once);
    // without: the pulse's buff.
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool flag) override;
    void StopSkill(Character& user) override;
    void ReceiveActiveUpdate(Character& user, const SkillActiveState& state, bool restoring) override;
    void PrimaryActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                            const WorldVec3& point) override;
    void PrimaryStop(Character& user) override;

    bool IsBuffActive() const { return m_buffActive; }
    const std::string& GetBuffSkillName() const { return m_buffSkillName; }

private:
    // The friends within the target radius of `centre`, sent as one target result.
    void SendFriendsAround(Character& user, const WorldVec3& centre, bool flag);
    void SendActive(bool active);

    int m_pulseInterval = kPulseIntervalMs;
    int m_pulseCounter = 0;
    int m_buffDuration = kBuffDurationMs;
    bool m_buffActive = false;
    WorldVec3 m_center;
    std::string m_buffSkillName;
};

// Lightning that jumps from the struck point to further foes, one after another: each
// jump's bolt starts only when the one before it has landed, and strikes its foe there.
// Once every link is done the bolts are let go one at a time; a new chain starts only
// after the last has left the world.
class SkillSecondary_ChainLightning : public SkillSecondary {
    GAME_DECLARE_CLASS(SkillSecondary_ChainLightning)

public:
    // A careless record's spark count is held to this.
    static constexpr unsigned kMaxSparks = 32;

    struct Link {
        uint32_t effectId = 0;
        uint32_t targetId = 0;
        bool done = false;
        WorldVec3 targetPoint;
        WorldVec3 sourcePoint;
    };

    SkillSecondary_ChainLightning();
    SkillSecondary_ChainLightning(const SkillSecondary_ChainLightning&) = default;
    SkillSecondary_ChainLightning& operator=(const SkillSecondary_ChainLightning&) = default;

    void Update(Character& user, int elapsedMs) override;
    // Dropped while a chain runs; else the chain starts and grows its first step.
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool flag) override;
    void ActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                     const WorldVec3& point) override;
    // Lets go of the bolts still held, so none stays in the world after the skill.
    void OnDestroy() override;

    const std::vector<Link>& GetLinks() const { return m_links; }
    bool IsChainComplete() const { return m_chainComplete; }

protected:
    // The link's target is reached: the strike.
    virtual void CompleteLink(Character& user, const Link& link);
    // Friends rather than foes are chained.
    bool m_friends = false;

private:
    // One step: at most one link gets its bolt or completes.
    void GrowChain(Character& user);
    // One step of the release: the first bolt still there is let go.
    void ReleaseChain();
    // The bolt of a link, held at its target; 0 when it cannot be made.
    uint32_t CreateEffect(const WorldVec3& source, const WorldVec3& target);

    std::vector<Link> m_links;
    bool m_chainComplete = false;
    WorldVec3 m_origin;
    unsigned m_seed = 0;
};

// The chain of the lightning, jumping between friends: each gets a bonus.
class SkillSecondary_ChainBonus : public SkillSecondary_ChainLightning {
    GAME_DECLARE_CLASS(SkillSecondary_ChainBonus)

public:
    SkillSecondary_ChainBonus();

protected:
    void CompleteLink(Character& user, const Link& link) override;
};

// Lightning that forks at once from the struck point to several foes; each branch
// strikes when its bolt lands.
class SkillSecondary_ForkLightning : public SkillSecondary {
    GAME_DECLARE_CLASS(SkillSecondary_ForkLightning)

public:
    struct Fork {
        uint32_t effectId = 0;
        uint32_t targetId = 0;
        WorldVec3 targetPoint;
        WorldVec3 sourcePoint;
    };

    SkillSecondary_ForkLightning();

    void Update(Character& user, int elapsedMs) override;
    void TargetResult(Character& user, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool flag) override;
    void ActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                     const WorldVec3& point) override;

    const std::vector<Fork>& GetForks() const { return m_forks; }

private:
    void Strike(Character& user, const Fork& fork);

    std::vector<Fork> m_forks;
    unsigned m_seed = 0;
};

// Raises a named skill (a pet's) of the characters the primary hit by this skill's level.
class SkillSecondary_PetModifier : public SkillSecondary {
    GAME_DECLARE_CLASS(SkillSecondary_PetModifier)

public:
    SkillSecondary_PetModifier();

    void Load(const LoadTable& table) override;
    void ActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                     const WorldVec3& point) override;

    const std::string& GetPetSkillName() const { return m_petSkillName; }

private:
    std::string m_petSkillName;
};

// Pets summoned around the user when the primary is switched on.
class SkillSecondary_PetSpawn : public SkillSecondary {
    GAME_DECLARE_CLASS(SkillSecondary_PetSpawn)

public:
    SkillSecondary_PetSpawn();

    void SkillSpawnObject(Character& user, const WorldCoords& coords, unsigned extra,
                          const std::vector<WorldCoords>& coordsList, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    void PreLoadResources() override;
    void PrimaryActivateNow(Character& user, unsigned targetId, const std::vector<uint32_t>& targets,
                            const WorldVec3& point) override;
};

}  // namespace GAME
