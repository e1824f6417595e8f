#include "Game/ai/ControllerPlayer.h"

#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/network/ActorConfigCommands.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(ControllerPlayer, ControllerAI)

ControllerPlayer::ControllerPlayer() { m_inventoryCtrl.SetController(this); }

ControllerPlayer::~ControllerPlayer() = default;

Player* ControllerPlayer::GetPlayer() const { return ObjectManager::Get().GetObject<Player>(GetParentId()); }

void ControllerPlayer::PostParentAttached()
{
    ControllerAI::PostParentAttached();
    m_inventoryCtrl.SetParent(GetPlayer());
}

void ControllerPlayer::Update(int elapsedMs)
{
    ControllerAI::Update(elapsedMs);
    m_inventoryCtrl.Update(elapsedMs);
}

bool ControllerPlayer::UseItem(uint32_t itemId, bool remove)
{
    Player* player = GetPlayer();
    if (itemId == 0 || !player)
        return false;
    player->Enqueue(new UseItemConfigCmd(player->GetObjectId(), itemId, remove));
    return true;
}

bool ControllerPlayer::SendSkillAction(Character&, bool, bool, uint32_t, const WorldVec3&, uint32_t&) { return false; }

bool ControllerPlayer::GiveItemToPlayer(uint32_t itemId)
{
    if (itemId == 0)
        return false;
    return GetEquipmentCtrl().AutoInsertItem(itemId) || m_inventoryCtrl.AddItem(itemId, true);
}

bool ControllerPlayer::UseRelic(uint32_t relicId, uint32_t itemId)
{
    Player* player = GetPlayer();
    if (relicId == 0 || itemId == 0 || !player)
        return false;
    player->Enqueue(new UseRelicConfigCmd(player->GetObjectId(), relicId, itemId));
    return true;
}

void ControllerPlayer::ClearTarget()
{
    SetTarget(0);
    m_combatEnemy = 0;
    m_targetPoint = WorldVec3();
}

void ControllerPlayer::BestowToken(const TriggerToken& token)
{
    if (Player* player = GetPlayer())
        player->BestowToken(token);
}

void ControllerPlayer::RemoveToken(const TriggerToken& token)
{
    if (Player* player = GetPlayer())
        player->RemoveToken(token);
}

}  // namespace GAME
