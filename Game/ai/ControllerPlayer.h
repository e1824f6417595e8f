// The controller of a player's own character: it owns the player's bags, gives items
// to the player and passes trigger tokens on to it.
#pragma once

#include <cstdint>

#include "Engine/World.h"
#include "Game/ai/ControllerAI.h"
#include "Game/items/PlayerInventoryCtrl.h"

namespace GAME {

class Character;
class Player;
class TriggerToken;

class ControllerPlayer : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerPlayer)

public:
    ControllerPlayer();
    ~ControllerPlayer() override;

    // The bags learn their player.
    void PostParentAttached() override;
    // The controller's frame, then the bags' potion cooldowns.
    void Update(int elapsedMs) override;

    PlayerInventoryCtrl& GetInventoryCtrl() { return m_inventoryCtrl; }
    const PlayerInventoryCtrl& GetInventoryCtrl() const { return m_inventoryCtrl; }

    // Places the item on the player's equipment or else in its bags; false for item 0
    // or when it found no place.
    bool GiveItemToPlayer(uint32_t itemId);
    // Has the player use the one-shot item through its command (on every peer); with
    // `remove` the item then leaves the inventory and is destroyed. False for item 0.
    virtual bool UseItem(uint32_t itemId, bool remove);
    // A skill use the player asked for, such as a hot slot's self-cast skill. The player's
    // executing state turns such a request into the character's action; no state takes
    // requests yet, so the answer is false and nothing is used.
    virtual bool SendSkillAction(Character& character, bool inPlace, bool second, uint32_t skillId,
                                 const WorldVec3& point, uint32_t& target);
    // Queues the command that applies the relic to the item on every peer; false (and
    // nothing sent) when either id is 0 or the player is gone.
    virtual bool UseRelic(uint32_t relicId, uint32_t itemId);

    // Forgets what the player aimed at: the combat enemy and the target point.
    void ClearTarget();
    void SetCombatEnemy(uint32_t id) { m_combatEnemy = id; }
    uint32_t GetCombatEnemy() const { return m_combatEnemy; }
    void SetCombatAlly(uint32_t id) { m_combatAlly = id; }
    uint32_t GetCombatAlly() const { return m_combatAlly; }
    void SetTargetPoint(const WorldVec3& point) { m_targetPoint = point; }
    const WorldVec3& GetTargetPoint() const { return m_targetPoint; }

    // Passed on to the player when it still exists.
    void BestowToken(const TriggerToken& token);
    void RemoveToken(const TriggerToken& token);

private:
    Player* GetPlayer() const;

    uint32_t m_combatEnemy = 0;
    uint32_t m_combatAlly = 0;
    WorldVec3 m_targetPoint;
    PlayerInventoryCtrl m_inventoryCtrl;
};

}  // namespace GAME
