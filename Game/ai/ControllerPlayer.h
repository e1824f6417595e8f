// The controller of a player's own character: the host's user interface hands it the
// player's clicks, which the executing state turns into moves, approaches, talks,
// pick-ups, object use and skills. It also owns the player's bags, keeps the mailbox the
// user interface reads, commands the player's pet and runs the death and respawn.
#pragma once

#include <cstdint>
#include <deque>
#include <string>

#include "Engine/World.h"
#include "Game/ai/ControllerAI.h"
#include "Game/items/PlayerInventoryCtrl.h"

namespace GAME {

class Character;
class ControllerPlayerState;
class HotSlotOption;
class LoadTable;
class Player;
class TriggerToken;

class ControllerPlayer : public ControllerAI {
    GAME_DECLARE_CLASS(ControllerPlayer)

public:
    ControllerPlayer();
    ~ControllerPlayer() override;

    // "controllerDeathDelay" (seconds, 0 when absent) as whole milliseconds.
    void Load(const LoadTable& table) override;
    // The equipment and the bags learn their player.
    void PostParentAttached() override;
    // The controller's frame, then the bags' potion cooldowns.
    void Update(int elapsedMs) override;
    void RespawnMe() override;
    // Any action while the player's handler is idle, else the game's action matrix.
    CharacterActionPermission CheckAction(CharacterActionType type) override;
    bool NeedsDeathUpdate() override { return true; }
    // While the player is dead: starts the respawn activity once and respawns the player
    // when it is complete and the death countdown has run out (or the activity is gone).
    void DeathUpdate(int elapsedMs) override;
    void BeginStun() override;
    void EndStun() override;
    void BeginImmobilize() override;
    void EndImmobilize() override;
    void BeginTrap() override;
    void EndTrap() override;
    void CharacterIsDying() override;
    // Also arms the death countdown with the death delay and takes away the local
    // player's fixed-item teleport.
    void CharacterIsDead() override;
    void RegisterStates() override;
    // "Startup" for a living player; "Dead" for one loaded dead or not there at all.
    void InitializeStates() override;

    // Requests through the executing state.
    virtual bool UseItem(uint32_t itemId, bool remove);
    virtual bool ReleasePet(uint32_t petId);
    virtual bool UseRelic(uint32_t relicId, uint32_t itemId);

    // ---- The host's user interface ----
    // A click (or a held button repeating it) at the point on the target (0 for none);
    // the target is written back. True exactly when the click became a move.
    bool HandleActionFromMouse(bool primary, bool inPlace, bool second, bool repeat, const WorldVec3& point,
                               uint32_t& target);
    // Sends the selected pet to attack the clicked foe or to move to the point; one
    // command per selection.
    bool HandlePetAction(Character& player, bool first, bool second, const WorldVec3& point, uint32_t& target);
    void SetPet(uint32_t petId) { m_pet = petId; }
    uint32_t GetPet() const { return m_pet; }
    void ChatWithNPC(uint32_t npcId);
    // Turns the player, level, to face the target character.
    void FaceTarget(uint32_t targetId);
    // Back to "Idle", forgetting the combat enemy, the target point and the mouse repeat.
    void ClearTarget();
    // A skill use the player asked for (a hot slot's self-cast skill): the executing
    // state's skill request.
    virtual bool SendSkillAction(Character& character, bool inPlace, bool second, uint32_t skillId,
                                 const WorldVec3& point, uint32_t& target);

    void SetCombatEnemy(uint32_t id) { m_combatEnemy = id; }
    uint32_t GetCombatEnemy() const { return m_combatEnemy; }
    void SetCombatAlly(uint32_t id) { m_combatAlly = id; }
    uint32_t GetCombatAlly() const { return m_combatAlly; }
    void SetMouseRepeat(uint32_t targetId, const WorldVec3& point)
    {
        m_mouseRepeatTarget = targetId;
        m_mouseRepeatPoint = point;
    }
    uint32_t GetMouseRepeatTarget() const { return m_mouseRepeatTarget; }
    const WorldVec3& GetMouseRepeatPoint() const { return m_mouseRepeatPoint; }
    bool IsCommandRepeated() const { return m_commandRepeated; }
    void SetTargetPoint(const WorldVec3& point) { m_targetPoint = point; }
    const WorldVec3& GetTargetPoint() const { return m_targetPoint; }
    HotSlotOption* GetPrimarySlotOption() const;
    HotSlotOption* GetSecondarySlotOption() const;

    // ---- Mailbox ----
    // Nothing fills the item and NPC-chat queues yet; their readers answer 0 when empty.
    uint32_t GetMailboxItem() const { return m_mailboxItems.empty() ? 0 : m_mailboxItems.front(); }
    void PopMailboxItem();
    uint32_t GetMailboxNpcChat() const { return m_mailboxNpcChats.empty() ? 0 : m_mailboxNpcChats.front(); }
    void PopMailboxNpcChat();
    // Kept only for a text that is not empty and a time above 0.
    void SetUserText(const std::string& text, int timeMs);
    const std::string& GetMailboxUserText() const;
    int GetMailboxUserTextTime() const;
    void PopUserText();

    PlayerInventoryCtrl& GetInventoryCtrl() { return m_inventoryCtrl; }
    const PlayerInventoryCtrl& GetInventoryCtrl() const { return m_inventoryCtrl; }

    // Places the item on the player's equipment or else in its bags; false for item 0
    // or when it found no place.
    bool GiveItemToPlayer(uint32_t itemId);
    // Passed on to the player when it still exists.
    void BestowToken(const TriggerToken& token);
    void RemoveToken(const TriggerToken& token);

    int GetDeathDelay() const { return m_deathDelay; }
    int GetDeathCountdown() const { return m_deathCountdown; }
    uint32_t GetRespawnActivity() const { return m_respawnActivity; }

private:
    struct UserText {
        std::string text;
        int time = 0;
    };

    Player* GetPlayer() const;
    // The executing state as a player state; none before the states exist.
    ControllerPlayerState* GetPlayerState() const;

    std::deque<uint32_t> m_mailboxItems;
    std::deque<uint32_t> m_mailboxNpcChats;
    std::deque<UserText> m_mailboxUserTexts;
    std::string m_emptyText;
    int m_deathDelay = 0;
    int m_deathCountdown = 0;
    bool m_commandRepeated = false;
    uint32_t m_mouseRepeatTarget = 0;
    WorldVec3 m_mouseRepeatPoint;
    uint32_t m_combatEnemy = 0;
    uint32_t m_combatAlly = 0;
    PlayerInventoryCtrl m_inventoryCtrl;
    uint32_t m_pet = 0;
    uint32_t m_respawnActivity = 0;
    WorldVec3 m_targetPoint;
    // Whether the player states are registered (the executing state is one of them).
    bool m_statesRegistered = false;
};

}  // namespace GAME
