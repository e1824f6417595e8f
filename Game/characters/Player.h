// The character a person plays.
#pragma once

#include <string>

#include "Game/characters/Character.h"

namespace GAME {

struct PlayerNetBasicInfo;
struct PlayerNetHeartbeatInfo;

class Player : public Character {
    GAME_DECLARE_CLASS(Player)

public:
    const std::u16string& GetPlayerName() const { return m_playerName; }
    std::string GetPlayerNameInChar() const;
    void SetPlayerName(const std::u16string& name) { m_playerName = name; }

    // The text tag naming the player's class.
    const std::string& GetClassTag() const { return m_classTag; }
    void SetClassTag(const std::string& tag) { m_classTag = tag; }

    // The player's party (the id of its leader); 0 for none.
    uint32_t GetPartyId() const;

    // What the other peers know of the player: the frequently refreshed heartbeat, and
    // the basic record that adds the name and gender.
    void GetPlayerNetHeartbeatInfo(PlayerNetHeartbeatInfo& out);
    void GetPlayerNetBasicInfo(PlayerNetBasicInfo& out);

    // The item goes into the player's inventory.
    void GiveItemToCharacter(Item* item) override;
    // A player can hold every kind of weapon: all six animation sets are made at once.
    bool AllocateAllAnimSets() override { return true; }
    // The player played on this peer drives its own skills: its skill manager gets the
    // skill services that send what its skills do.
    void SetIsControllingCharacter(bool value) override;

private:
    std::u16string m_playerName;
    std::string m_classTag;
};

}  // namespace GAME
