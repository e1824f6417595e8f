// The controller of an ambient creature that only stands there: a target for practice
// and the like. It plays its spawn animation, answers every hit by playing its first skill
// on itself, and drops its misc loot when it dies.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerCombat.h"

namespace GAME {

class Character;

class ControllerStooge : public ControllerCombat {
    GAME_DECLARE_CLASS(ControllerStooge)

public:
    static constexpr int kMiscSlots = 3;

    ControllerStooge() = default;
    ~ControllerStooge() override;

    // The spawn animation, when the character has one.
    void InitialUpdate() override;
    // The ambient character's first skill, used on itself; who attacked does not matter.
    void UnderAttack(uint32_t attackerId) override;
    // The death, then the misc loot.
    void CharacterIsDead() override;

    // Kept; the first skill of the ambient character answers the hits.
    void SetOnHitSkillId(uint32_t skillId) { m_onHitSkillId = skillId; }
    uint32_t GetOnHitSkillId() const { return m_onHitSkillId; }

protected:
    // Each of the three misc slots of the character's record is rolled on its own with
    // the game's generator; a slot whose pick names an item drops it at the body.
    void CreateDropMiscItems(Character& character);

private:
    uint32_t m_onHitSkillId = 0;
};

}  // namespace GAME
