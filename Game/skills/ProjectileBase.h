// The world object an attack skill fires: an arrow, a fireball, a grenade, a flying
// boulder. It flies from its launch point towards a point or a creature, finds the
// creatures in its path, reports them to the skill that fired it (and to every skill that
// attached a modifier to it), explodes and splits into fragments when those modifiers say
// so, warns the foes of its owner that it is coming, plays its sounds and effects, and
// removes itself. It never applies damage: the firing skill receives the targets through
// Skill::TargetInformation. The kinds (arrow-like, fireball-like, grenade ...) derive from
// it and decide when the hit processing runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/Entity.h"
#include "Game/world/SpecialFX.h"
#include "Game/core/Team.h"
#include "Game/core/foundation/RandomUniform.h"
#include "Game/skills/SkillProfileModifiers.h"

namespace GAME {

class AnimationSingle;
class Character;
class EffectEntity;
class SoundPak;
class WeaponTrail;

// What a projectile is fired with. The skill fills it, the projectile keeps a copy, and
// the collision callbacks of characters receive it.
struct ProjectileInfo {
    uint32_t skillId = 0;        // the firing skill: its modifiers and piercing bonus are under it
    uint32_t casterId = 0;       // the firing character: excluded from every target query
    WorldCoords launchCoords;    // where and how it starts; the position also starts the path
    uint32_t passOnValue = 0;    // handed on with the target result, not read here
    uint32_t targetId = 0;       // the aimed-at creature or entity; 0 for a point
    WorldVec3 targetPoint;       // the aimed-at point
    Team team;                   // the attacker's team, handed to every target query
    float piercingChance = 0.0f; // percent: base chance that a hit does not stop it
    int32_t areaDuration = 0;    // seconds: lifetime of an area-effect projectile
    float speedBonus = 0.0f;     // percent: total speed = velocity x (1 + bonus x 0.01)
    uint32_t friends = 0;        // non-zero: the queries select the team's friends, else its foes
};

class ProjectileBase : public Actor {
    GAME_DECLARE_CLASS(ProjectileBase)

public:
    // What a skill attaches to a projectile (Skill::AddProjectileModifier).
    struct ProjectileModifierStruct {
        uint32_t skillId = 0;           // owns the modifier and receives its targets
        float explosionRadius = 0.0f;   // above 0: the projectile explodes with this radius
        std::string fragmentProjectile; // record of the fragments; not empty: it splits
        uint32_t fragmentsMin = 0;
        uint32_t fragmentsMax = 0;
        float piercingChance = 0.0f;    // percent; also handed to each fragment
    };
    // An attached modifier and the targets already reported to its skill by this
    // projectile, so that no skill is told of the same target twice.
    struct ModifierRecord {
        ProjectileModifierStruct modifier;
        std::vector<uint32_t> knownTargets;
    };

    // Bounds on what records and peers can make a projectile do.
    static constexpr uint32_t kMaxFragments = SkillProfile_ProjectileModifiers::kMaxFragments;   // per modifier
    static constexpr size_t kMaxModifiers = 64;         // attached to one projectile
    static constexpr float kMinLaunchAngle = 10.0f;     // degrees
    static constexpr float kMaxLaunchAngle = 80.0f;
    static constexpr int kNotificationPeriodMs = 200;
    // Animation states.
    static constexpr int kAnimationNone = 0;
    static constexpr int kAnimationLaunch = 1;
    static constexpr int kAnimationFlight = 2;

    ProjectileBase();
    ~ProjectileBase() override;
    ProjectileBase(const ProjectileBase&) = delete;
    ProjectileBase& operator=(const ProjectileBase&) = delete;

    // ---- overrides of the engine's actor ----
    void Load(const LoadTable& table) override;
    void PreLoad(bool preloadNow) override;
    bool OccludesPathing() const override { return false; }
    // Contact: animation state 0, gravity on, physics type 0, out of the simulation, and
    // the caster (as a Character) is told. The kinds go on from there.
    void CollisionCallback(const CollisionData& collision) override;
    // Only decorations, tiles and fixed doors.
    bool CanCollide(const Entity* other) const override;
    void AnimationCallback(const Name& event) override;
    void UpdateSelf(int elapsedMs) override;

    // ---- the projectile's own operations, in this order ----
    virtual float GetDistance() const { return m_distance; }
    // Commands of a replicated projectile; none of the kinds acts on them.
    virtual void MoveToLocationCommand(const WorldVec3& /*location*/) {}
    virtual void SingleTargetCommand(uint32_t /*targetId*/) {}
    virtual void MultipleTargetCommand(const std::vector<uint32_t>& /*targetIds*/) {}
    virtual void ProjectileStateUpdateCommand(int /*state*/) {}
    // The times to live after a hit and after a miss, in ms.
    virtual float GetHitTime() const { return static_cast<float>(m_hitTimeToLiveMs); }
    virtual float GetMissTime() const { return static_cast<float>(m_missTimeToLiveMs); }
    // Degrees, held to kMinLaunchAngle .. kMaxLaunchAngle.
    virtual float GetLaunchAngle() const;
    // Copies the info and seeds the projectile's generator: every roll of this projectile
    // comes from that seed, so every peer rolls alike.
    virtual void LoadInfo(const ProjectileInfo& info, uint32_t seed);
    // Attaches a skill's modifier (sorted into the path, explosion and fragmentation
    // lists). Beyond kMaxModifiers it is logged and dropped.
    virtual void AddProjectileModifier(const ProjectileModifierStruct& modifier);
    // Starts the flight; the base only starts the path at the launch position.
    virtual void ProjectileGo();
    virtual void SetMaster(bool master) { m_master = master; }
    // Plays the swipe set at the position and makes it follow the projectile.
    virtual void PlaySwipeSound(const WorldVec3& where);
    // Where the flight is measured from: the projectile's own coordinates.
    virtual WorldCoords GetFlightCoords() const { return GetCoords(); }
    // Tells the foes of the caster within the notification radius that it is coming.
    virtual void NotifyMonsters();

    // ---- state and services the kinds and skills use ----
    bool IsMaster() const { return m_master; }
    bool IsDeleted() const { return m_deleted; }
    const ProjectileInfo& GetInfo() const { return m_info; }
    RandomUniform& GetRandom() { return m_random; }
    float GetVelocity() const { return m_velocity; }
    float GetNotificationRadius() const { return m_notificationRadius; }
    int GetAnimationState() const { return m_animationState; }
    const WorldVec3& GetLastPathPoint() const { return m_lastPathPoint; }
    void SetLastPathPoint(const WorldVec3& point) { m_lastPathPoint = point; }
    const std::string& GetHitPointName() const { return m_hitPointName; }

    // Flight speed in world units per second: velocity x (1 + speed bonus x 0.01), the
    // bonus from the info.
    float GetTotalSpeed() const { return TotalSpeed(m_velocity, m_info.speedBonus); }
    // Sets the info's speed bonus in percent.
    void SetSpeedBonus(float percent) { m_info.speedBonus = percent; }
    // The total speed that a projectile made from the record would have before its
    // launch (no speed bonus yet), read without making the object: the same reader as
    // Load. 0 when the record is missing or its class is not a projectile.
    static float GetRecordTotalSpeed(const std::string& recordName);

    // The world position of the character's hit point ("Target").
    WorldVec3 GetHitPoint(const Character& character) const;

    // Straight flight at the target (speed bonus applied), or along the present facing
    // (record velocity only); gravity off, physics type 2, fumble applied.
    void MoveStraightLine(const WorldVec3& target);
    void MoveStraightLine();
    // Ballistic flight towards the target at a launch angle (radians); with spin the
    // projectile tumbles. A target out of reach never gives a velocity that is not finite.
    void MoveTrajectory(const WorldVec3& target, float angleRadians, bool spin);
    // The launch speed of a ballistic arc for an angle (radians), horizontal distance d
    // and height difference h (target minus start); not a finite number (NaN) when no arc
    // reaches the target. 0.0001 when d < 0.0001.
    static float BallisticSpeed(float angleRadians, float d, float h);
    // Deflects a shot of a caster that fumbles (the caster's fumble chances).
    void ApplyFumbleDamage();

    void StartLaunchAnimation();

    // The flight effect ("projectileFlightFX"): started when the projectile goes,
    // stopped when it stops, left in the world by DeleteProjectile.
    void StartFlightFx();
    void StopFlightFx();
    bool IsFlightFxRunning() const;

    // Sounds; each does nothing when its set is absent. Swipe and bounce follow this
    // projectile.
    void PlayHitSound(const WorldVec3& where);
    void PlayExplodingHitSound(const WorldVec3& where);
    void PlayDestructSound(const WorldVec3& where);
    void PlayBounceSound(const WorldVec3& where);
    // The owned sets; null when absent.
    SoundPak* GetHitSound() const { return Sound(kHitSound); }
    SoundPak* GetExplodingHitSound() const { return Sound(kExplodingHitSound); }
    SoundPak* GetSwipeSound() const { return Sound(kSwipeSound); }
    SoundPak* GetBounceSound() const { return Sound(kBounceSound); }
    SoundPak* GetDestructSound() const { return Sound(kDestructSound); }

    // The impact effects, placed at the projectile with the rotation cleared.
    void CreateImpactFx();
    void CreateExploadingImpactFx();

    // Weapon trails on the mesh's "Anchor1" and "Anchor3" points.
    int CountWeaponTrails() const;
    void SwitchWeaponTrail(const std::string& name);
    void EnableWeaponTrail();
    void DisableWeaponTrail();
    int GetWeaponTrailCount() const { return m_trailCount; }
    // Null outside 0 .. 1 and for an absent trail.
    WeaponTrail* GetWeaponTrail(int index) const;
    // The flight effect, while the projectile owns it; null when absent or released.
    EffectEntity* GetFlightFx() const;

    // Once: leaves the flight effect in the world where the projectile is, takes the
    // projectile out of the world and destroys it (freed at the end of the frame).
    void DeleteProjectile();

    // ---- hit processing ----
    // Appends the ids to the known targets of every path, explosion and fragmentation
    // modifier, so none of them is reported.
    void SetFilteredTargets(const std::vector<uint32_t>& ids);
    // The id whose entity lies nearest the point (distance to its position less its
    // radius); the first of equals; 0 when none resolves.
    static uint32_t FindClosestTarget(const std::vector<uint32_t>& ids, const WorldVec3& point);
    // The sum of the piercing chances attached under the skill id.
    float GetPiercingModifier(uint32_t skillId) const;
    // The piercing roll before a path test: r from [0.1, 100] on the projectile's
    // generator, below the firing skill's piercing modifier plus the info's chance.
    bool RollPiercing();
    // Appends the candidates not yet known (each then known), in order; with firstOnly it
    // stops after the first appended.
    static void FilterAndAddKnownTargets(const std::vector<uint32_t>& candidates, std::vector<uint32_t>& known,
                                         std::vector<uint32_t>& out, bool firstOnly);
    // The creatures along the path since the last test, reported per path modifier; the
    // firing skill's new ones come back in hits.
    void ProcessPathTargets(bool firstOnly, std::vector<uint32_t>& hits);
    // The creatures within each explosion modifier's radius; true when there is one.
    bool ProcessExplosion(bool allTargets, const WorldCoords& coords);
    // Splits into each fragmentation modifier's fragments around the coordinates; the
    // struck creature is never reported by them.
    void ProcessFragmentation(uint32_t struckId, const WorldCoords& coords);

    const std::vector<std::unique_ptr<ModifierRecord>>& GetModifiers() const { return m_modifiers; }
    const std::vector<ModifierRecord*>& GetPathModifiers() const { return m_pathModifiers; }
    const std::vector<ModifierRecord*>& GetExplosionModifiers() const { return m_explosionModifiers; }
    const std::vector<ModifierRecord*>& GetFragmentationModifiers() const { return m_fragmentationModifiers; }
    const std::vector<ProjectileModifierStruct>& GetPiercingEntries() const { return m_piercingEntries; }

protected:
    // The candidates along the ray from the last path point to the present position (at
    // least 1.0 long); the last path point then moves up.
    void GetTargetsAlongPath(std::vector<uint32_t>& out, bool firstOnly);
    // Sets a velocity, refusing one that is not finite (logged).
    void SetFlightVelocity(const Vec3& velocity);
    // The kinds that change the info after it is loaded (the telekinesis team).
    ProjectileInfo& MutableInfo() { return m_info; }

private:
    enum SoundIndex { kHitSound, kExplodingHitSound, kSwipeSound, kBounceSound, kDestructSound, kSoundCount };

    static float TotalSpeed(float velocity, float speedBonus) { return velocity * (1.0f + speedBonus * 0.01f); }
    static float ReadVelocity(const LoadTable& table);
    SoundPak* Sound(SoundIndex index) const;
    void PlaySound(SoundIndex index, const WorldVec3& where, bool follow);
    void CreateEffectAt(const std::string& name);
    void DestroyTrails();

    float m_velocity = 0.0f;     // world units per second
    float m_distance = 0.0f;
    bool m_master = false;
    // Owned objects are kept by id: the object manager may have freed one already when
    // everything is destroyed at once.
    uint32_t m_sounds[kSoundCount] = {};
    int m_hitTimeToLiveMs = 0;
    int m_missTimeToLiveMs = 0;
    float m_launchAngle = 0.0f;
    std::unique_ptr<AnimationSingle> m_launchAnimation;
    std::unique_ptr<AnimationSingle> m_flightAnimation;
    int m_animationState = kAnimationNone;
    std::string m_flightFxName;
    SpecialFX m_flightFx;   // owned until released into the world
    std::string m_impactFxName;
    std::string m_explodingImpactFxName;
    uint32_t m_impactFxPreload = 0;
    uint32_t m_explodingImpactFxPreload = 0;
    ProjectileInfo m_info;
    std::string m_hitPointName = "Target";
    bool m_deleted = false;
    WorldVec3 m_lastPathPoint;
    RandomUniform m_random;
    std::vector<std::unique_ptr<ModifierRecord>> m_modifiers;
    std::vector<ModifierRecord*> m_pathModifiers;
    std::vector<ModifierRecord*> m_explosionModifiers;
    std::vector<ModifierRecord*> m_fragmentationModifiers;
    std::vector<ProjectileModifierStruct> m_piercingEntries;
    std::string m_weaponTrailName;
    uint32_t m_trails[2] = {0, 0};
    int m_trailSwitchPending = 1;
    int m_trailCount = 0;
    int m_notificationTimerMs = 0;
    int m_notificationPeriodMs = kNotificationPeriodMs;
    float m_notificationRadius = 10.0f;
};

}  // namespace GAME
