#include "Game/characters/Player.h"

#include "Engine/Localization.h"
#include "Game/core/GameEngine.h"
#include "Game/core/PartyManager.h"
#include "Game/core/PlayerNetInfo.h"
#include "Game/items/Inventory.h"
#include "Game/items/Item.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Player, Character)

std::string Player::GetPlayerNameInChar() const
{
    return LocalizationManager::ToChar(m_playerName);
}

uint32_t Player::GetPartyId() const
{
    PartyManager* parties = gGameEngine ? gGameEngine->GetPartyManager() : nullptr;
    return parties ? parties->GetParty(GetObjectId()) : 0;
}

// Players have no status skills yet, so none are listed as active.
void Player::GetPlayerNetHeartbeatInfo(PlayerNetHeartbeatInfo& out)
{
    out.playerId = GetObjectId();
    out.life = GetCurrentLife();
    out.maxLife = GetLifeLimit();
    out.mana = GetCurrentMana();
    out.maxMana = GetTotalCharAttribute(CharAttributeType_Mana);
    out.level = static_cast<int32_t>(GetCharLevel());
    out.partyId = GetPartyId();
    out.position = GetPathPosition();
    out.classTag = m_classTag;
    out.statusSkills.clear();
}

void Player::GetPlayerNetBasicInfo(PlayerNetBasicInfo& out)
{
    GetPlayerNetHeartbeatInfo(out);
    out.playerName = m_playerName;
    out.isMale = GetGender() == Character_Gender_Male;
    out.playerId = GetObjectId();
}

void Player::SetIsControllingCharacter(bool value)
{
    Character::SetIsControllingCharacter(value);
    if (value)
        GetSkillManager().SetAsControllingManager();
}

void Player::GiveItemToCharacter(Item* item)
{
    if (item)
        GetInventory().AddItemToInventory(item->GetObjectId(), false);
}

}  // namespace GAME
