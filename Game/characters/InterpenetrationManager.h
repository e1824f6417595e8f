// Pushes apart the characters in view that stand inside each other, shared by their path
// masses: a heavy body barely moves, a light one is shoved aside, one of mass 0 stays.
#pragma once

#include <vector>

#include "Engine/Math.h"

namespace GAME {

class Character;
class Entity;
class GameCamera;

class InterpenetrationManager {
public:
    // One relaxation step over the living, visible characters the camera sees (not two
    // non-player characters with each other): at most three passes over every pair, each
    // overlapping pair pushed apart along the ground, ending after a pass without an
    // overlap. Called once per frame; does nothing in the editor.
    void FixupCharacterCollisions(const GameCamera& camera);

private:
    // What a pass reads of one character: nothing here changes during the call except
    // its position, which is read again after each move.
    struct Body {
        Character* character;
        Vec3 position;   // world space
        float extents;
        float mass;
        bool npc;
    };
    // Moves the body by `offset` on the floor; false (and left in place) when refused.
    static void Push(Body& body, const Vec3& offset);

    // Kept between calls so that a frame allocates nothing.
    std::vector<Entity*> m_entities;
    std::vector<Body> m_bodies;
};

}  // namespace GAME
