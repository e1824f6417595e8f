// The controller of a player's own character: it owns the player's bags, gives items
// to the player and passes trigger tokens on to it.
#pragma once

#include <cstdint>

#include "Engine/World.h"
#include "Game/ai/ControllerAI.h"
#include "Game/items/PlayerInventoryCtrl.h"

namespace GAME {

class Player;
class TriggerToken;

class ControllerPlayer : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerPlayer)

public:
    ControllerPlayer();
    ~ControllerPlayer() override;

    // The bags learn their player.
    void PostParentAttached() override;

    PlayerInventoryCtrl& GetInventoryCtrl() { return m_inventoryCtrl; }
    const PlayerInventoryCtrl& GetInventoryCtrl() const { return m_inventoryCtrl; }

    // Places the item on the player's equipment or else in its bags; false for item 0
    // or when it found no place.
    bool GiveItemToPlayer(uint32_t itemId);
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
