// A creature that populates a level without being a monster or a non-player character:
// animals and the like, and targets that only react when hit.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Game/characters/Character.h"
#include "Game/core/foundation/GameTextLine.h"

namespace GAME {

class AmbientCharacter : public Character {
    GAME_DECLARE_CLASS(AmbientCharacter)

public:
    // The one "controllerType" that makes a controller, matched exactly.
    static constexpr const char* kStoogeType = "Stooge";
    // How many skills its record lists.
    static constexpr uint32_t kRecordSkillCount = 15;

    AmbientCharacter() = default;
    // A controller made by Load and never attached goes with the character.
    ~AmbientCharacter() override;

    // The controller is made here and attached at InitialUpdate; "skill1" names the skill
    // remembered.
    void Load(const LoadTable& table) override;
    // Attaches the controller made by Load; a character whose record set no team joins
    // the monsters.
    void InitialUpdate() override;
    // Only the controller hears of it, and only a combat controller.
    void UnderAttack(uint32_t attackerId) override;

    // Described the way a pet is: life, mana, then its displayable skills or, without
    // any, its bare-hand damage.
    using Character::CreateUISummaryText;
    virtual void CreateUISummaryText(GameTextClass textClass, std::vector<GameTextLine>& lines) const;

    // The skill "skill1" names; 0 when none.
    uint32_t GetSkillId1() const { return m_skillId1; }
    // The controller made by Load that waits for InitialUpdate; 0 when none waits.
    uint32_t GetPendingControllerId() const { return m_pendingControllerId; }

private:
    void DestroyPendingController();

    uint32_t m_skillId1 = 0;
    // Kept by id: the object manager owns it, and a look-up cannot dangle.
    uint32_t m_pendingControllerId = 0;
};

}  // namespace GAME
