// Asks the player a yes/no question before a teleport and starts the teleport on "yes".
#pragma once

#include <string>

#include "Engine/World.h"
#include "Game/core/ActivityManager.h"

namespace GAME {

class TeleportConfirmActivity : public GameActivity {
public:
    // Where the teleport leads and the text tag of the question; set before installing.
    void Set(const WorldVec3& destination, const std::string& textTag);

    // The first update opens the question; every update takes an answer if one has
    // come, and any answer finishes the activity.
    void Update(int ms) override;
    bool IsFinished() override { return m_finished; }

    const WorldVec3& GetDestination() const { return m_destination; }
    const std::string& GetTextTag() const { return m_textTag; }

protected:
    // Starts the player's teleport to the destination in whole world units.
    virtual void InitiatePlayerTeleport(int x, int y, int z);

private:
    WorldVec3 m_destination;
    std::string m_textTag;
    bool m_finished = false;
    bool m_dialogShown = false;
};

}  // namespace GAME
