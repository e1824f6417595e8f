// The kinds of character action: standing idle, fidgeting, running and walking to a
// point, picking up and using, attacking with a skill, being stunned, held or trapped,
// dying, chatting, playing an animation, engaging a non-player character, spawning and
// respawning. Each is built with the acting character's object id first, runs through the
// character's action handler, and describes itself to the other peers with GetNetPacket.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/GameTimer.h"
#include "Engine/Name.h"
#include "Game/characters/CharacterAction.h"
#include "Game/core/foundation/AimSolver.h"

namespace GAME {

// Stands in the attack idle, again after each "End"; never ends by itself.
class IdleAction : public CharacterActionBase {
public:
    explicit IdleAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_Idle) {}

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "IdleAction"; }
};

// Runs from a start point to a destination, warming up the skill it runs to use; stays
// active while the character runs.
class MoveToAction : public CharacterActionBase {
public:
    MoveToAction(uint32_t parentId, const WorldVec3& startPosition, const WorldVec3& destination, uint32_t targetId,
                 uint32_t skillNumber, float speed)
        : CharacterActionBase(parentId, CharacterActionType_MoveTo),
          m_startPosition(startPosition),
          m_destination(destination),
          m_targetId(targetId),
          m_skillNumber(skillNumber),
          m_speed(speed)
    {
    }

    void Execute() override;
    void Finish() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "MoveToAction"; }

    const WorldVec3& GetStartPosition() const { return m_startPosition; }
    const WorldVec3& GetDestination() const { return m_destination; }
    uint32_t GetTargetId() const { return m_targetId; }
    uint32_t GetSkillNumber() const { return m_skillNumber; }
    float GetSpeed() const { return m_speed; }

private:
    // A start this close (squared distance) continues the path without moving the model.
    static constexpr float kContinuePathDistanceSquared = 100.0f;

    WorldVec3 m_startPosition;
    WorldVec3 m_destination;
    uint32_t m_targetId;
    uint32_t m_skillNumber;
    float m_speed;
};

// Walks from a start point to a destination; runs until replaced.
class WalkAction : public CharacterActionBase {
public:
    WalkAction(uint32_t parentId, const WorldVec3& startPosition, const WorldVec3& destination, uint32_t targetId)
        : CharacterActionBase(parentId, CharacterActionType_Walk),
          m_startPosition(startPosition),
          m_destination(destination),
          m_targetId(targetId)
    {
    }

    void Execute() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "WalkAction"; }

    const WorldVec3& GetStartPosition() const { return m_startPosition; }
    const WorldVec3& GetDestination() const { return m_destination; }
    uint32_t GetTargetId() const { return m_targetId; }

private:
    WorldVec3 m_startPosition;
    WorldVec3 m_destination;
    uint32_t m_targetId;
};

// Uses a skill on a target (0 for none) or a point; ends when the skill reports its end.
class AttackAction : public CharacterActionBase {
public:
    AttackAction(uint32_t parentId, uint32_t targetId, const WorldVec3& targetPoint, uint32_t skillNumber,
                 uint16_t seed, const TargetLeadingData& leadingData)
        : CharacterActionBase(parentId, CharacterActionType_Attack),
          m_targetId(targetId),
          m_targetPoint(targetPoint),
          m_skillNumber(skillNumber),
          m_seed(seed),
          m_leadingData(leadingData)
    {
        SetBlendTime(100.0f);
    }

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    void Finish() override;
    void PendingActionAborted() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "AttackAction"; }

    uint32_t GetTargetId() const { return m_targetId; }
    const WorldVec3& GetTargetPoint() const { return m_targetPoint; }
    uint32_t GetSkillNumber() const { return m_skillNumber; }
    uint16_t GetSeed() const { return m_seed; }

private:
    uint32_t m_targetId;
    WorldVec3 m_targetPoint;
    uint32_t m_skillNumber;
    uint16_t m_seed;
    TargetLeadingData m_leadingData;
};

// Dies: starts the character's death manager, handing its handlers the object ids they
// need; runs until the character's update stops it once every death handler is done.
class DieAction : public CharacterActionBase {
public:
    DieAction(uint32_t parentId, const std::vector<uint32_t>& objectIds)
        : CharacterActionBase(parentId, CharacterActionType_Die), m_objectIds(objectIds)
    {
    }

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    void Finish() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "DieAction"; }

    const std::vector<uint32_t>& GetObjectIds() const { return m_objectIds; }

private:
    std::vector<uint32_t> m_objectIds;
};

// Stands a while in the long idle, now and then fidgeting: a transition into it when
// there is one, then the long idle looping, a fidget once the drawn time (3 to 20
// seconds) has passed, and back. Ends when no long idle can be played.
class LongIdleAction : public CharacterActionBase {
public:
    explicit LongIdleAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_LongIdle)
    {
        m_transitionTimer.Reset();
    }

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "LongIdleAction"; }

private:
    enum Phase : int32_t { Phase_None = 0, Phase_Transition = 1, Phase_LongIdle = 2, Phase_Fidget = 3 };

    void ResetTransitionTimer();
    // Plays the long idle looping: phase 2 when it plays, else phase 0 and the end.
    void PlayLongIdle(Character& character);

    GameTimer m_transitionTimer;
    int32_t m_transitionTime = 0;
    int32_t m_transitionTimeMin = 3000;
    int32_t m_transitionTimeMax = 20000;
    int32_t m_phase = Phase_None;
};

// Picks up an item (turning to it), or touches a dead character of interest; the
// controller takes the item on the animation's "Pickup" event; ends on "End".
class PickUpAction : public CharacterActionBase {
public:
    PickUpAction(uint32_t parentId, uint32_t targetId)
        : CharacterActionBase(parentId, CharacterActionType_PickUp), m_targetId(targetId)
    {
    }

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "PickUpAction"; }

    uint32_t GetTargetId() const { return m_targetId; }

private:
    uint32_t m_targetId;
};

// Uses an object; ends at once.
class UseAction : public CharacterActionBase {
public:
    UseAction(uint32_t parentId, uint32_t targetId)
        : CharacterActionBase(parentId, CharacterActionType_Use), m_targetId(targetId)
    {
    }

    void Execute() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "UseAction"; }

    uint32_t GetTargetId() const { return m_targetId; }

private:
    uint32_t m_targetId;
};

// Stunned until replaced.
class TakeStunAction : public CharacterActionBase {
public:
    explicit TakeStunAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_TakeStun) {}

    void Execute() override;
    void AnimationCallback(const Name&) override {}
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "TakeStunAction"; }
};

// Held in place until replaced.
class ImmobilizeAction : public CharacterActionBase {
public:
    explicit ImmobilizeAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_Immobilize) {}

    void Execute() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "ImobilizeAction"; }
};

// Springs a trap on the character; ends at once.
class TakeTrapAction : public CharacterActionBase {
public:
    explicit TakeTrapAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_TakeTrap) {}

    void Execute() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "TakeTrapAction"; }
};

// Talks to another character, facing it; runs until replaced.
class ChatAction : public CharacterActionBase {
public:
    ChatAction(uint32_t parentId, uint32_t chatTargetId)
        : CharacterActionBase(parentId, CharacterActionType_Chat), m_chatTargetId(chatTargetId)
    {
    }

    void Execute() override;
    void Finish() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "ChatAction"; }

    // Turns the character (without leaning) to the target, when both exist and differ
    // and the character turns when chatting.
    void FaceTarget(uint32_t targetId) const;
    uint32_t GetChatTargetId() const { return m_chatTargetId; }

private:
    uint32_t m_chatTargetId;
};

// Plays one animation; runs until replaced.
class PlayAnimationAction : public CharacterActionBase {
public:
    PlayAnimationAction(uint32_t parentId, int32_t animationType, const Name& animationName, float speed, bool loop,
                        uint32_t iteration)
        : CharacterActionBase(parentId, CharacterActionType_PlayAnimation),
          m_animationType(animationType),
          m_animationName(animationName),
          m_speed(speed),
          m_loop(loop),
          m_iteration(iteration)
    {
    }

    void Execute() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "PlayAnimationAction"; }

    int32_t GetAnimationType() const { return m_animationType; }
    const Name& GetAnimationName() const { return m_animationName; }
    float GetSpeed() const { return m_speed; }
    bool GetLoop() const { return m_loop; }
    uint32_t GetIteration() const { return m_iteration; }

private:
    int32_t m_animationType;
    Name m_animationName;
    float m_speed;
    bool m_loop;
    uint32_t m_iteration;
};

// Engages a non-player character: ends once the character it names was told.
class EngageNpcAction : public CharacterActionBase {
public:
    EngageNpcAction(uint32_t parentId, uint32_t npcId, bool first, bool second)
        : CharacterActionBase(parentId, CharacterActionType_EngageNpc), m_npcId(npcId), m_first(first), m_second(second)
    {
    }

    void Execute() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "EngageNpcAction"; }

    uint32_t GetNpcId() const { return m_npcId; }

private:
    uint32_t m_npcId;
    bool m_first;
    bool m_second;
};

// Stands in while whoever spawns the character plays its spawn; ends on "End".
class SpawnAction : public CharacterActionBase {
public:
    explicit SpawnAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_Spawn) {}

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "SpawnAction"; }
};

// Brings a dead character back at the given coordinates; ends on "End".
class RespawnAction : public CharacterActionBase {
public:
    RespawnAction(uint32_t parentId, const WorldCoords& respawnCoords)
        : CharacterActionBase(parentId, CharacterActionType_Respawn), m_respawnCoords(respawnCoords)
    {
    }

    void Execute() override;
    void AnimationCallback(const Name& event) override;
    void Finish() override;
    std::unique_ptr<CharacterActionPacket> GetNetPacket() const override;
    const char* ToString() const override { return "RespawnAction"; }

    const WorldCoords& GetRespawnCoords() const { return m_respawnCoords; }

private:
    WorldCoords m_respawnCoords;
};

}  // namespace GAME
