// The concrete projectiles that records name by class: area effect, arrow-like, exploding,
// fireball-like, grenade, telekinesis and terrain-following. Each keeps a kind state and
// decides, in its own update and contact handling, when the hit processing of the base
// runs (path tests, explosions, fragments) and when the projectile stops and is deleted.
//
// A kind always sets its final state before ProjectileBase::DeleteProjectile and returns
// right after it: the delete is deferred to the end of the frame, but nothing of the
// projectile is touched once it has asked for its end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/GameTimer.h"
#include "Game/skills/ProjectileBase.h"

namespace GAME {

class DynamicObstacle;

// Sits where it is aimed and pulses: every interval it explodes (all targets), splits and
// tells the modifier skills of the friends in their radius; it stops once its life (the
// info's area duration) has run out.
class ProjectileAreaEffect : public ProjectileBase {
    GAME_DECLARE_CLASS(ProjectileAreaEffect)

public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStatePulsing = 1;
    static constexpr int kStateStopped = 2;

    ProjectileAreaEffect();

    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    void ProjectileGo() override;
    // Plays at the info's target point, where the area lies, not at the given position.
    void PlaySwipeSound(const WorldVec3& where) override;
    virtual void ProjectileStop();

    // One pulse: explosion of all targets, fragments and the friends in each radius.
    void Pulse();
    void ProcessFriendsInArea();

    int GetState() const { return m_state; }
    int GetPulseTimer() const { return m_pulseTimerMs; }
    int GetLifeTimer() const { return m_lifeTimerMs; }
    int GetPulseInterval() const { return m_pulseIntervalMs; }
    const std::string& GetAreaEffectName() const { return m_areaEffectName; }

private:
    int m_pulseTimerMs = 0;
    int m_lifeTimerMs = 0;
    int m_state = kStateIdle;
    int m_pulseIntervalMs = 1000;
    std::string m_areaEffectName;
    GameTimer m_timer;
};

// Flies straight at its aim and stops at the first creature (unless it pierces) or once
// it has flown its distance; a stopped arrow lingers for a while before it goes.
class ProjectileArrowLike : public ProjectileBase {
    GAME_DECLARE_CLASS(ProjectileArrowLike)

public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStateFlying = 1;
    static constexpr int kStateLingering = 2;
    static constexpr int kStateDeleted = 4;
    // The contact kind that stops an arrow at once, with no linger time.
    static constexpr int kCollisionStopAtOnce = 7;

    void UpdateSelf(int elapsedMs) override;
    void CollisionCallback(const CollisionData& collision) override;
    void ProjectileGo() override;
    // Stops it and lets it linger for the given milliseconds.
    virtual void ProjectileStop(int lingerMs);

    int GetState() const { return m_state; }
    int GetLingerTimer() const { return m_lingerMs; }

private:
    // Moves the arrow half its length forward, into what it struck.
    void Penetrate();

    [[maybe_unused]] float m_unusedA = 0.8f;   // kept in the layout; not read by this kind
    [[maybe_unused]] float m_unusedB = 0.1f;
    float m_minAimDistance = 2.0f;
    int m_state = kStateIdle;
    int m_lingerMs = 0;
};

// Thrown in an arc; it reports nothing while in flight. When it strikes something it
// stops, and on its next update it explodes (all targets), splits and is deleted.
class ProjectileExploding : public ProjectileBase {
    GAME_DECLARE_CLASS(ProjectileExploding)

public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStateFlying = 1;
    static constexpr int kStateStruck = 2;
    static constexpr int kStateDeleted = 3;

    void UpdateSelf(int elapsedMs) override;
    void CollisionCallback(const CollisionData& collision) override;
    void ProjectileGo() override;
    virtual void ProjectileStop();

    int GetState() const { return m_state; }

private:
    int m_state = kStateIdle;
};

// Flies straight like the arrow, but is deleted on the update after it stops.
class ProjectileFireballLike : public ProjectileBase {
    GAME_DECLARE_CLASS(ProjectileFireballLike)

public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStateFlying = 1;
    static constexpr int kStateStopped = 2;
    static constexpr int kStateDeleted = 3;

    void UpdateSelf(int elapsedMs) override;
    void CollisionCallback(const CollisionData& collision) override;
    void ProjectileGo() override;
    virtual void ProjectileStop();

    int GetState() const { return m_state; }

private:
    float m_minAimDistance = 2.0f;
    int m_state = kStateIdle;
};

// Thrown in an arc; it hits the creatures along its path (from its first bounce on when
// it is harmless in flight) and, once it lies still after bouncing, explodes.
class ProjectileGrenade : public ProjectileBase {
    GAME_DECLARE_CLASS(ProjectileGrenade)

public:
    static constexpr int kStateIdle = 0;
    static constexpr int kStateFlying = 1;
    static constexpr int kStateBounced = 2;
    static constexpr int kStateDeleted = 3;

    void Load(const LoadTable& table) override;
    void UpdateSelf(int elapsedMs) override;
    // No base handling: the grenade bounces on.
    void CollisionCallback(const CollisionData& collision) override;
    void ProjectileGo() override;
    virtual void ProjectileStop();

    int GetState() const { return m_state; }
    bool IsHarmlessInFlight() const { return m_harmlessInFlight; }

private:
    int m_state = kStateIdle;
    bool m_harmlessInFlight = false;
};

// A loose object that a telekinesis skill picks up and throws. It blocks path finding
// while it rests; thrown or falling it reports every creature it touches once, and
// explodes on striking something when thrown (or falling, if its record says so).
class ProjectileTelekinesis : public ProjectileBase {
    GAME_DECLARE_CLASS(ProjectileTelekinesis)

public:
    static constexpr int kStateResting = 0;
    static constexpr int kStateCalled = 1;
    static constexpr int kStateThrown = 2;
    static constexpr int kStateFalling = 3;
    static constexpr int kStateExploded = 4;
    static constexpr int kStateDeleted = 5;
    // The explosion effect when the record names none.
    static constexpr const char* kDefaultExplosionEffect = "Records/Effects/Storm/LStrike_FxPak01.dbr";

    ProjectileTelekinesis();
    ~ProjectileTelekinesis() override;

    void Load(const LoadTable& table) override;
    void PreLoad(bool preloadNow) override;
    bool OccludesPathing() const override { return true; }
    bool CanCollide(const Entity* other) const override;
    void UpdateSelf(int elapsedMs) override;
    void CollisionCallback(const CollisionData& collision) override;
    void OnAddToLevel() override;
    void OnMoveInLevel() override;
    void OnRemoveFromLevel() override;
    // The throw at the info's target.
    void ProjectileGo() override;
    // Stops it where it is, resting, held by nobody.
    virtual void ProjectileStop(bool sound);

    // Dropped at the launch coordinates: it falls and tumbles, harming the foes below.
    void ProjectileFall();
    // Called by its holder: it is carried from where it rests.
    void ProjectileCome(uint32_t holderId);
    // Let go by its holder: it falls from where it is.
    void Release();
    bool IsInUse() const { return m_holderId != 0; }
    bool IsIdle() const { return m_holderId == 0; }
    // Hidden and still, its explosion effect left in the world; deleted on the next update.
    void Explode(bool sound);

    // The path obstacle of its box while it rests.
    void CreatePathObstacle();
    void RemovePathObstacles();
    size_t GetPathObstacleCount() const { return m_pathObstacles.size(); }

    int GetState() const { return m_state; }
    uint32_t GetHolderId() const { return m_holderId; }
    int GetComeTimer() const { return m_comeTimerMs; }
    const WorldCoords& GetRestCoords() const { return m_restCoords; }
    const std::vector<uint32_t>& GetKnownTargets() const { return m_knownTargets; }
    bool GetExplodeOnFirstImpact() const { return m_explodeOnFirstImpact; }
    SoundPak* GetInitialImpactSound() const;

private:
    void MoveToTarget(const WorldVec3& aim);
    // Reports the creatures it touches that it has not reported yet.
    void FindAndProcessTargets(bool thrown);

    [[maybe_unused]] float m_unused = 2.0f;   // kept in the layout; not read by this kind
    int m_comeTimeMs = 15000;
    int m_state = kStateResting;
    uint32_t m_holderId = 0;
    int m_comeTimerMs = 0;
    WorldCoords m_restCoords;
    bool m_initialImpactPlayed = false;
    uint32_t m_initialImpactSound = 0;   // owned
    std::vector<uint32_t> m_knownTargets;
    std::vector<std::unique_ptr<DynamicObstacle>> m_pathObstacles;
    bool m_explodeOnFirstImpact = false;
    std::string m_explosionEffectName;
};

// A fireball-like projectile that hugs the ground at the height it was launched above it.
class ProjectileTerrainFollowing : public ProjectileFireballLike {
    GAME_DECLARE_CLASS(ProjectileTerrainFollowing)

public:
    // The target point becomes the launch position: it flies along its facing.
    void LoadInfo(const ProjectileInfo& info, uint32_t seed) override;
    void ProjectileGo() override;
    void UpdateSelf(int elapsedMs) override;

    float GetHoverHeight() const { return m_hoverHeight; }

private:
    float m_hoverHeight = 1.0f;
};

}  // namespace GAME
