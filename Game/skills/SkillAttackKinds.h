// The attack skills that fire projectiles, debuff foes or strike without a weapon. Each
// works in two halves so that every peer sees the same result: the driving peer decides
// where and what (ActivateNow) and sends a command through the owner's skill services
// (a projectile creation, an object spawn or a target result) carrying fresh object ids
// and a 16-bit seed; when the command runs on each peer the skill makes its projectiles
// or pets under those ids and seeds every projectile's own generator with that seed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Engine/World.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

// Bounds on what a record or a peer's command makes one use of these skills create.
inline constexpr unsigned kMaxAttackLaunchNumber = 64;   // shots of a ring, fan or burst
inline constexpr size_t kMaxSpawnedPerCommand = 64;      // ids taken from one spawn command

// How one projectile of a skill is made on every peer.
struct ProjectileOrder {
    std::string name;
    WorldCoords launch;
    unsigned targetId = 0;
    WorldVec3 targetPoint;
    unsigned objectId = 0;
    unsigned seed = 0;
    int32_t areaDuration = 0;   // whole seconds
    bool swipeSound = true;
    uint32_t passOnValue = 0;   // handed on with the projectile's target result
    float piercingBonus = 0.0f;   // percent, over the skill's own
    uint32_t friends = 0;       // non-zero: it looks for the caster's friends
    const char* failure = "Failed to spawn projectile (%s) (%s)";
    const std::string* logName = nullptr;   // the log's second name; the skill's by default
};

// The projectile of the order made under its id on this peer, filled from the skill and
// launched; a record that makes none is logged with the order's failure line.
void LaunchSkillProjectile(const SkillActivated& skill, Character& caster, const ProjectileOrder& order);

// Fires the skill's projectile from the hand that struck.
class Skill_AttackProjectile : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackProjectile)

public:
    Skill_AttackProjectile();

    void CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                          const WorldVec3& targetPoint, unsigned flag, unsigned objectId, unsigned seed) override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

// A projectile that puts a buff on every creature it strikes; the projectile record is
// chosen per level from the skill's own list.
class Skill_AttackProjectileDebuf : public Skill_AttackProjectile {
    GAME_DECLARE_CLASS(Skill_AttackProjectileDebuf)

public:
    Skill_AttackProjectileDebuf();

    void Load(const LoadTable& table) override;
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    std::string GetProjectileName() const override;

    const std::string& GetBuffSkillName() const { return m_buffSkillName; }

private:
    std::string m_buffSkillName;
    std::vector<std::string> m_projectileNames;   // one per level
};

// A projectile whose impact summons the skill's pets around the place it struck.
class Skill_AttackProjectileSpawnPet : public Skill_AttackProjectile {
    GAME_DECLARE_CLASS(Skill_AttackProjectileSpawnPet)

public:
    Skill_AttackProjectileSpawnPet();

    void Update(Character& caster, int elapsedMs) override;
    void TargetInformation(const ProjectileInfo& info, const WorldCoords& coords,
                           std::vector<uint32_t> targets) override;
    void SkillSpawnObject(Character& caster, const WorldCoords& coords, unsigned targetId,
                          const std::vector<WorldCoords>& places, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    void StopSkill(Character& caster) override;
    void PreLoadResources() override;

    virtual void SpawnPet(Character& caster, const WorldCoords& place, unsigned objectId, unsigned seed);
    virtual void ReleaseOnePet(Character& caster);
    virtual void ReleasePets(Character& caster);

    const std::vector<uint32_t>& GetPets() const { return m_pets; }

private:
    std::vector<uint32_t> m_pets;   // oldest first
};

// Projectiles made where the kind says (by default at the striking hand), one per shot;
// the projectile may be an area that lasts "skillActiveDuration" whole seconds.
class Skill_AttackProjectileAreaEffect : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackProjectileAreaEffect)

public:
    Skill_AttackProjectileAreaEffect();

    void CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                          const WorldVec3& targetPoint, unsigned flag, unsigned objectId, unsigned seed) override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    virtual WorldCoords GetLaunchPoint(Character& caster, const Name& event) const;
    // True when the kind starts the projectile itself.
    virtual bool DoSpecialProjectileGo(Character&, ProjectileBase&) { return false; }
    virtual std::string GetSpecialProjectileName(unsigned) const { return {}; }
    virtual unsigned GetNumProjectiles() const { return 1; }
};

// One aimed shot, then the rest of the volley at random intervals with random spread.
class Skill_AttackProjectileBurst : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackProjectileBurst)

public:
    Skill_AttackProjectileBurst();

    void Update(Character& caster, int elapsedMs) override;
    void CreateProjectile(Character& caster, const WorldCoords& launch, unsigned targetId,
                          const WorldVec3& targetPoint, unsigned flag, unsigned objectId, unsigned seed) override;
    void StopSkill(Character& caster) override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    int32_t GetRemainingShots() const { return m_remainingShots; }
    int32_t GetShotTimer() const { return m_shotTimerMs; }

private:
    void DrawShotTimer();

    int32_t m_remainingShots = 0;
    float m_spread = 0.0f;   // degrees
    WorldCoords m_burstCoords;
    int32_t m_shotTimerMs = 0;
    int32_t m_shortestIntervalMs = 0;
    int32_t m_longestIntervalMs = 100;
};

// Shots spread evenly over "projectileLaunchRotation" degrees about the caster's facing,
// made on every peer from one spawn command.
class Skill_AttackProjectileRing : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackProjectileRing)

public:
    Skill_AttackProjectileRing();

    void SkillSpawnObject(Character& caster, const WorldCoords& coords, unsigned targetId,
                          const std::vector<WorldCoords>& places, const std::vector<uint32_t>& ids,
                          unsigned seed) override;
    // The ring needs no target.
    bool GetValidTarget(const Character&, unsigned& target, const WorldVec3&, bool, float) const override
    {
        target = 0;
        return true;
    }
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

// The ring's shots, keeping the target.
class Skill_AttackProjectileFan : public Skill_AttackProjectileRing {
    GAME_DECLARE_CLASS(Skill_AttackProjectileFan)

public:
    Skill_AttackProjectileFan();

    bool GetValidTarget(const Character&, unsigned&, const WorldVec3&, bool, float) const override { return true; }
};

// Puts the buff record "buffSkillName" on the target (within 20 units).
class Skill_AttackBuff : public SkillActivatedSpell {
    GAME_DECLARE_CLASS(Skill_AttackBuff)

public:
    Skill_AttackBuff();

    // The buff record is the skill's resource: its profile, sounds and effects.
    void Load(const LoadTable& table) override;
    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;

    const std::string& GetBuffSkillName() const { return m_buffSkillName; }

protected:
    std::string m_buffSkillName;
};

// The attack buff on every foe within "skillTargetRadius" of the target.
class Skill_AttackBuffRadius : public Skill_AttackBuff {
    GAME_DECLARE_CLASS(Skill_AttackBuffRadius)

public:
    Skill_AttackBuffRadius();
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

// A melee strike of the body itself, with no weapon.
class Skill_AttackInherent : public SkillActivatedWeapon {
    GAME_DECLARE_CLASS(Skill_AttackInherent)

public:
    Skill_AttackInherent();

    void TargetResult(Character& caster, const std::vector<uint32_t>& targets, const WorldCoords& coords,
                      unsigned seed, unsigned weaponId, bool melee) override;
    void ActivateNow(Character& caster, const Name& event, unsigned targetId, const WorldVec3& targetPoint) override;
};

}  // namespace GAME
