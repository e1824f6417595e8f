// Moves one character along its path. Every character makes one for itself when it is
// constructed; the path finding and steering come with the character's movement work.
#pragma once

#include "Engine/World.h"

namespace GAME {

class Character;

class CharacterMovementManager {
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

    // A path, or a local detour, shorter than this counts as finished (world units).
    static constexpr float closeEnoughToJump = 0.05f;

private:
    Character* m_character;
    WorldVec3 m_pathPosition;
    WorldVec3 m_pathTarget;
    WorldVec3 m_localPathPosition;   // the point reached on a detour around obstacles
};

}  // namespace GAME
