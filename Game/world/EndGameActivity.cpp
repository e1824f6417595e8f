#include "Game/world/EndGameActivity.h"

#include <vector>

#include "Engine/Engine.h"
#include "Engine/GameServices.h"
#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameUIInterface.h"
#include "Game/quests/DialogPak.h"
#include "Game/world/FixedItem.h"

namespace GAME {

namespace {

// The end-game portals are known by their class name: the fixed items of that class (or
// derived from it) in the world.
class EndGamePortalFilter : public FilterFunction<Entity> {
public:
    explicit EndGamePortalFilter(const RTTI_ClassInfo* portal) : m_portal(portal) {}
    bool operator()(const Entity* entity) const override
    {
        return m_portal && entity && entity->GetClassInfo().IsA(m_portal) && entity->IsA<FixedItem>();
    }

private:
    const RTTI_ClassInfo* m_portal;
};

GameUIInterface* EndGameUI() { return gGameEngine && gGameEngine->UIExists() ? gGameEngine->GetUI() : nullptr; }

}  // namespace

EndGameActivity::EndGameActivity()
{
    const LoadTable* table = ObjectManager::Get().LoadTableFile(kDelayRecord);
    const int delay = table ? table->GetInt("time", kDefaultDialogDelayMs) : kDefaultDialogDelayMs;
    if (delay < 0 || delay > kMaxDialogDelayMs) {
        gEngine->Log(LOG_WARNING, "EndGameActivity: dialog delay %d ms in %s is out of range; using %d", delay,
                     kDelayRecord, delay < 0 ? 0 : kMaxDialogDelayMs);
        m_dialogDelay = delay < 0 ? 0 : kMaxDialogDelayMs;
    } else {
        m_dialogDelay = delay;
    }
}

EndGameActivity::~EndGameActivity()
{
    DestroyDialogPak();
    if (GameUIInterface* ui = EndGameUI())
        ui->EndSequence();
}

void EndGameActivity::DestroyDialogPak()
{
    if (m_dialogPak == 0)
        return;
    DialogPak::Destroy(ObjectManager::Get().GetObject<DialogPak>(m_dialogPak));
    m_dialogPak = 0;
}

void EndGameActivity::Update(int ms)
{
    if (m_done)
        return;
    m_firstUpdate = false;
    m_elapsed += ms;
    if (!m_musicStarted && m_elapsed > m_musicDelay) {
        m_musicStarted = true;
        Jukebox::Get().PlayEventMusic(kMusic, true);
    }
    if (!m_dialogOpened) {
        if (m_elapsed <= m_dialogDelay)
            return;
        OpenDialog();
    }
    GameUIInterface* ui = EndGameUI();
    if (ui && !ui->IsShowingDialog()) {
        DestroyDialogPak();
        ui->EndSequence();
        m_done = true;
    }
}

void EndGameActivity::OpenDialog()
{
    NpcDialogPak* pak = NpcDialogPak::Spawn(kDialogRecord);
    Dialog* line = pak ? pak->GetPrimaryDialog() : nullptr;
    if (pak)
        m_dialogPak = pak->GetObjectId();
    if (!line)
        gEngine->Log(LOG_WARNING, "EndGameActivity: no story dialog in %s", kDialogRecord);
    else if (GameUIInterface* ui = EndGameUI())
        ui->ShowDialog(*line);
    const RTTI_ClassInfo* portal = Object::GetStaticClassInfo().FindClassByName("FixedItemTyphonPortal");
    std::vector<Entity*> portals;
    World::Get().GetEntities(portals, EndGamePortalFilter(portal), EntityList_All);
    for (Entity* entity : portals)
        static_cast<FixedItem*>(entity)->SetLock(false);
    m_dialogOpened = true;
}

}  // namespace GAME
