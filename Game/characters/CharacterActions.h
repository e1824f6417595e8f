// The kinds of character action: standing idle, running and walking to a point,
// attacking with a skill, and dying. Each is built with the acting character's object id
// first and runs through the character's action handler. None replays on peers yet: their
// packets do not exist, so GetNetPacket gives null.
#pragma once

#include <cstdint>
#include <vector>

#include "Game/characters/CharacterAction.h"
#include "Game/core/foundation/AimSolver.h"

namespace GAME {

// Stands in the attack idle, again after each "End"; never ends by itself.
class IdleAction : public CharacterActionBase {
public:
    explicit IdleAction(uint32_t parentId) : CharacterActionBase(parentId, CharacterActionType_Idle) {}

    void Execute() override;
    void AnimationCallback(const Name& event) override;
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
    const char* ToString() const override { return "WalkAction"; }

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
    const char* ToString() const override { return "AttackAction"; }

    uint32_t GetTargetId() const { return m_targetId; }
    uint32_t GetSkillNumber() const { return m_skillNumber; }

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
    const char* ToString() const override { return "DieAction"; }

    const std::vector<uint32_t>& GetObjectIds() const { return m_objectIds; }

private:
    std::vector<uint32_t> m_objectIds;
};

}  // namespace GAME
