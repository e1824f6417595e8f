// Moves one character along a path: asks the world for a path to a target, advances a
// point along it each frame at the character's current speed, steers around characters
// in the way with a short-lived local path, and places and turns the character's model.
// Every character makes one for itself when it is constructed.
#pragma once

#include <cstring>
#include <memory>
#include <vector>

#include "Engine/Math.h"
#include "Engine/PathFinder.h"
#include "Engine/World.h"

namespace GAME {

class Character;

// Aligned to a cache line, with the members a frame reads first, so that a moving
// character's step reads only the manager's first three lines.
class alignas(64) CharacterMovementManager {
public:
    explicit CharacterMovementManager(Character* character);
    ~CharacterMovementManager();
    CharacterMovementManager(const CharacterMovementManager&) = delete;
    CharacterMovementManager& operator=(const CharacterMovementManager&) = delete;

    Character* GetCharacter() const { return m_character; }

    // The point the character has reached on its path; while unset (an empty position),
    // first set to where the character stands.
    WorldVec3 GetPathPosition();
    // Sets the path position and the point reached on the local detour.
    void SetPathPosition(const WorldVec3& position);
    // Sets the path position only.
    void SetPathPositionNoJump(const WorldVec3& position) { m_pathPosition = position; }
    const WorldVec3& GetPathTarget() const { return m_pathTarget; }
    const Path* GetPath() const { return m_path.get(); }
    const Path* GetLocalPath() const { return m_localPath.get(); }
    const WorldVec3& GetLocalPathPosition() const { return m_localPathPosition; }
    const Vec3& GetPathDirection() const { return m_pathDirection; }

    // Starts following a path from `from` to `to`. True with `alreadyThere` set when the
    // path position already is (about) `to`; nothing else changes then. Otherwise true
    // when a path was found (the one CanMoveTo cached for these ends, or a new one).
    bool SetNewPathTarget(const WorldVec3& from, const WorldVec3& to, bool& alreadyThere);
    // The character's position was corrected while it moves: the path starts again from
    // there when it drifted more than 0.5 from the path position.
    void UpdatePathPosition(const WorldVec3& position);
    // Whether a path leads from the path position to within `maxEndDistance` of `to`,
    // no longer than `maxLengthRatio` times the straight line (0: any length). A path
    // found is kept for SetNewPathTarget with the same ends.
    bool CanMoveTo(const WorldVec3& from, const WorldVec3& to, float maxEndDistance, float maxLengthRatio);
    // True when the path position is `to` or closer to it than 0.5.
    bool AlreadyThere(const WorldVec3& from, const WorldVec3& to);
    // The furthest point toward the target the character reaches in a straight line.
    WorldVec3 GetFurthestMoveToPoint(const WorldVec3& target);
    // The point `distance` short of the goal along a path from the path position; the
    // path position when the path is shorter; the goal itself when there is no path or
    // the distance is not above 0.
    WorldVec3 GetPointAwayFromGoal(const WorldVec3& goal, float distance);
    // The speed along the path: the animation's motion, slowing over the last stretch
    // (the character's slowdown length, at least 0.1) but never below 1 unit per second.
    // 0 (and a logged error) without a path.
    float CalculateSpeed() const;
    // The frame's step; false when following ended (the end of the path was reached).
    bool Update(int elapsedMs);
    void ClearPath();
    // Drops the paths and puts the path position where the character stands.
    void Reset();
    // Small spheres at the path position, the detour position and the target (those that
    // are set), then the paths themselves; drawn for one frame.
    void DebugRender() const;

    // A path, or a local detour, shorter than this counts as finished (world units).
    static constexpr float closeEnoughToJump = 0.05f;

    // The character's last turn (Character::RotateTowards): what it was worked out from
    // and the axes it gave. A character running along a straight stretch turns with the
    // same inputs frame after frame, and is given the same axes again without the work.
    // The inputs are compared bit for bit, so a hit gives exactly what the work would.
    struct Turn {
        // The inputs besides the character's refusal to turn: the time, its fastest and
        // slowest turning speeds, the direction asked for and the frame's forward axis.
        // Without padding, so that comparing their bytes compares them bit for bit.
        struct Inputs {
            int elapsedMs = 0;
            float fastest = 0.0f;
            float slowest = 0.0f;
            Vec3 wanted{};
            Vec3 facing{};
        };
        static_assert(sizeof(Inputs) == sizeof(int) + 2 * sizeof(float) + 2 * sizeof(Vec3), "no padding");

        // Whether the inputs are bit for bit those of the kept turn.
        bool Matches(const Inputs& in, bool disallowedIn) const
        {
            return kept && disallowed == disallowedIn && std::memcmp(&inputs, &in, sizeof(Inputs)) == 0;
        }

        // The answer: whether the frame gets new axes, and those axes. (Packed with the
        // small members first: the whole is 76 bytes.)
        bool kept = false;
        bool disallowed = false;
        bool turned = false;
        Inputs inputs;
        Vec3 xAxis{};
        Vec3 yAxis{};
        Vec3 zAxis{};
    };
    Turn& GetTurn() { return m_turn; }

    // Whether the character has an attack target (a non-zero id) to follow: told by the
    // character whenever it sets its target, so that a frame without one does not read
    // the character's target id.
    void SetHasAttackTarget(bool has) { m_hasAttackTarget = has; }
    bool HasAttackTarget() const { return m_hasAttackTarget; }

private:
    // A path from `from` to `to`, filled into a kept path where there is one; null when
    // there is no path.
    std::unique_ptr<Path> FindPath(const WorldVec3& from, const WorldVec3& to);
    // Lets a path go (null afterwards), keeping it to be filled again, so that following
    // paths and detours allocate nothing once the kept paths have grown.
    void Recycle(std::unique_ptr<Path>& path);
    bool MoveDownPath(int elapsedMs, float speed);
    void UpdateCharacterPosition(int elapsedMs);
    void CreateLocalPath(int elapsedMs, float speed);
    bool ShouldAvoid(const Character& other, float speed) const;
    void ResetLocalPathTimer();

    // What every frame of a run reads, first: three cache lines with the last turn.
    Character* m_character;
    std::unique_ptr<Path> m_path;
    std::unique_ptr<Path> m_localPath;
    WorldVec3 m_pathPosition;
    WorldVec3 m_localPathPosition;   // the point reached on a detour around obstacles
    WorldVec3 m_pathTarget;
    int32_t m_localPathTimer = 0;    // ms until the next obstacle check
    Vec3 m_pathDirection{};
    Turn m_turn;
    bool m_hasAttackTarget = false;
    // What starting a path reads.
    std::unique_ptr<Path> m_cachedPath;
    static constexpr size_t kSparePaths = 3;
    std::vector<std::unique_ptr<Path>> m_sparePaths;
    WorldVec3 m_cachedFrom;
    WorldVec3 m_cachedTo;
};

}  // namespace GAME
