// The controller layer that reacts to combat: impairments, fear, taunts, attacks on the
// character or its allies, and its death.
#pragma once

#include <cstdint>

#include "Game/ai/ControllerCharacter.h"

namespace GAME {

class Character;

class ControllerCombat : public ControllerCharacter {
    GAME_DECLARE_CLASS(ControllerCombat)

public:
    ControllerCombat() = default;
    ~ControllerCombat() override;

    // The character's frame, then its life: the low-health sound, and death once the life
    // of a living, mortal character is gone.
    void Update(int elapsedMs) override;
    // The animation events "show" and "hide" show and hide the character on every peer;
    // other events are ignored.
    void HandleEvent(const Name& eventName) override;

    // Whether a dead character's frame still calls DeathUpdate.
    virtual bool NeedsDeathUpdate() { return false; }
    virtual void DeathUpdate(int /*elapsedMs*/) {}

    // Reactions; nothing happens at this level.
    virtual void StunMe(float /*durationMs*/) {}
    virtual void ScareMe(uint32_t /*attackerId*/, float /*durationMs*/) {}
    virtual void TauntMe(float /*value*/, uint32_t /*attackerId*/) {}
    virtual void BeginStun() {}
    virtual void EndStun() {}
    virtual void BeginImmobilize() {}
    virtual void EndImmobilize() {}
    virtual void BeginTrap() {}
    virtual void EndTrap() {}
    virtual void UnderAttack(uint32_t /*attackerId*/) {}
    virtual void AllyAttacked(uint32_t /*allyId*/, uint32_t /*attackerId*/) {}
    virtual void CharacterIsDying() {}
    virtual void CharacterIsDead() {}

    // Makes the controlled character die, when it is alive, no non-player character and
    // its death is this peer's to decide (DecidesDeath): its gold drops first, then it
    // becomes dying, its death is handed to its action handler with the fresh object ids
    // its death handlers ask for, and "GameEvent_CreatureStartDeath" is sent.
    virtual void KillMe();
    // Whether this peer decides the character's death. Only the character's owner does: a
    // network client owns only the characters whose ids carry its host number (its player
    // and its pets); every other death it applies when the server's DiePacket comes. The
    // server and a single game decide every death they host.
    bool DecidesDeath() const;

    // The character's skills in its two hands; nothing at this level.
    virtual void SetPrimarySkillId(uint32_t /*skillId*/) {}
    virtual void SetSecondarySkillId(uint32_t /*skillId*/) {}

protected:
    // Drops the gold of the character's gold record, when it has one and a chance above 0:
    // each pile gets a fresh id and is made at the body, in the generator's order.
    void RunGoldGenerator(Character& character);
};

}  // namespace GAME
