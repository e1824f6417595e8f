#include "Game/core/TeleportConfirmActivity.h"

#include "Engine/Engine.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/quests/DialogManager.h"

namespace GAME {

void TeleportConfirmActivity::Set(const WorldVec3& destination, const std::string& textTag)
{
    m_destination = destination;
    m_textTag = textTag;
}

void TeleportConfirmActivity::Update(int)
{
    if (!gGameEngine) {
        gEngine->Log(LOG_ERROR, "TeleportConfirmActivity: no game engine to ask \"%s\"", m_textTag.c_str());
        m_finished = true;
        return;
    }
    DialogManager& dialogs = gGameEngine->GetDialogManager();
    if (!m_dialogShown) {
        dialogs.AddDialog(kDialogTypeYesNo, false, DialogParty::kTeleportConfirm, m_textTag, true, 0u, true);
        m_dialogShown = true;
    }
    if (dialogs.GetNumResponsesFor(DialogParty::kTeleportConfirm) <= 0)
        return;
    const DialogManager::YesNoResponse response = dialogs.GetResponseFor(DialogParty::kTeleportConfirm);
    if (response.answer && m_destination.IsValid()) {
        const Vec3 world = m_destination.ToWorldSpace();
        InitiatePlayerTeleport(TruncateToInt(world.x), TruncateToInt(world.y), TruncateToInt(world.z));
    }
    m_finished = true;
}

void TeleportConfirmActivity::InitiatePlayerTeleport(int x, int y, int z)
{
    if (gGameEngine)
        gGameEngine->InitiatePlayerTeleport(x, y, z);
}

}  // namespace GAME
