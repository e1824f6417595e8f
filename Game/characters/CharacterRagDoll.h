// How a character's body reacts when it goes limp: the effect the killing blow leaves on
// the character, and the rag doll that sets its bodies moving by that effect and tells
// the character's death handlers when it has come to rest.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/Math.h"
#include "Engine/PhysicsEngine.h"
#include "Engine/World.h"

namespace GAME {

class Character;

class CharacterRagDoll : public PhysicsRagDoll {
public:
    enum Effect : int32_t {
        Crumple = 0,   // carries on the current animation's motion
        TakeHit = 1,   // thrown along a direction
        Random = 2,    // a random tumble
    };

    // Six 32-bit words: the effect, a direction, the speed and the amplification.
    struct EffectData {
        Effect effect = Random;
        Vec3 direction{0.0f, 1.0f, 0.0f};
        float speed = 1.0f;
        float amplification = 0.0f;
    };

    // The physics type of a body gone limp: the character makes a rag doll for it.
    static constexpr int kPhysicsType = 3;

    // Bounds of the bodies' first velocities.
    static constexpr float kMaxCrumpleSpeed = 4.5f;
    static constexpr float kCrumpleMotionScale = 0.8f;
    static constexpr float kMinHitSpeed = 3.0f;
    static constexpr float kMaxHitSpeed = 12.0f;
    static constexpr float kMinHitSpread = 3.0f;
    static constexpr float kMaxHitSpread = 6.0f;
    static constexpr float kHitLift = 0.333f;
    static constexpr float kRandomSpread = 5.0f;
    static constexpr float kRandomLift = 3.0f;
    // A direction shorter than this has none (coincident points).
    static constexpr float kMinDirectionLength = 1e-6f;

    explicit CharacterRagDoll(Character* character);
    ~CharacterRagDoll() override = default;

    Character* GetCharacter() const { return m_character; }

    // "Crumple" and "TakeHit" (case counts); any other word is a random tumble.
    static Effect GetEffectEnum(const std::string& word)
    {
        if (word == "Crumple")
            return Crumple;
        return word == "TakeHit" ? TakeHit : Random;
    }
    // "Push": the unit vector from `from` to `to`; "Pull": the other way; anything else,
    // and points closer than kMinDirectionLength, zero.
    static Vec3 GetDirectionVec(const std::string& word, const WorldVec3& from, const WorldVec3& to);
    // "Right": the negated first axis of the orientation; "Left": that axis; else zero.
    static Vec3 GetPushVec(const std::string& word, const WorldCoords& coords);
    // "Upward" (0, 3, 0), "Downward" (0, -3, 0), anything else zero.
    static Vec3 GetElevationVec(const std::string& word);

protected:
    // By the character's rag-doll effect: crumple, take hit or random.
    void SetInitialState() override;
    // Tells the character's death manager "PhysicsComplete".
    void OnDisabled() override;

private:
    void SetCrumple();
    void SetTakeHit();
    void SetRandom();

    Character* m_character;
};

static_assert(sizeof(CharacterRagDoll::EffectData) == 24, "EffectData is six 32-bit words");

}  // namespace GAME
