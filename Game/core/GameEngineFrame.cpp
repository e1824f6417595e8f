// The game core's per-frame step: the tutorial watch timers, the managers the engine
// owns, the pending yes/no answers, the music flags and the ambiance around the main
// player, in a fixed order. Objects in the world are updated by the engine itself.
#include <algorithm>
#include <cstdint>
#include <limits>

#include "Engine/GameServices.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Monster.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEngineNetworkInterface.h"
#include "Game/core/GameEngineServicesModule.h"
#include "Game/core/PartyManager.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/TradeManager.h"
#include "Game/quests/QuestRepository.h"

namespace GAME {

namespace {

// How long, or how many, before the frame update shows a tutorial page.
constexpr int32_t kSkillPointsWaitingMs = 300000;
constexpr int32_t kUnspentPointsWaitingMs = 600000;
constexpr int32_t kPlayTimeMs = 600000;
constexpr int32_t kItemsReceivedForPlayTimePage = 16;
constexpr int32_t kMasteryPointsForPage = 9;
constexpr int32_t kDeathsForPotionPage = 2;

// The frustum the ambiance sees does not depend on the real screen.
constexpr Viewport kPlayerFrustumViewport{0, 0, 1024, 768};

}  // namespace

void GameEngine::Update(int elapsedMilliseconds)
{
    Player* mainPlayer = GetMainPlayer();
    UpdateTutorialTimers(elapsedMilliseconds, mainPlayer);
    m_partyManager->Update();
    UpdatePendingPortal();
    UpdateMusicTracking();
    UpdatePendingBan();
    ActivityManager::Get()->Update(elapsedMilliseconds);
    UpdateAmbiance(mainPlayer);
    m_tradeManager->Update();
    QuestRepository::Get()->Update(elapsedMilliseconds);
    if (m_currentServerServices)
        m_currentServerServices->Update(elapsedMilliseconds);
    if (m_currentClientServices)
        m_currentClientServices->Update(elapsedMilliseconds);
}

void GameEngine::UpdateTutorialTimers(int ms, Player* mainPlayer)
{
    TutorialWatch& watch = m_tutorialWatch;

    if (watch.unspentSkillPoints > 0) {
        if (watch.hotSlotsChanged)
            watch.skillPointsTimer = 0;
        else
            AddElapsed(watch.skillPointsTimer, ms);
        if (watch.skillPointsTimer >= kSkillPointsWaitingMs)
            UnlockTutorialPage(kTutorialPageSkillPointsWaiting, true);
    }

    if (watch.unspentSkillPoints == 0 && watch.unspentMasteryPoints >= kMasteryPointsForPage)
        UnlockTutorialPage(kTutorialPageMasteryPoints, true);

    if (mainPlayer && mainPlayer->GetModifierPoints() > 0)
        AddElapsed(watch.modifierPointsTimer, ms);
    else
        watch.modifierPointsTimer = 0;

    if (mainPlayer && mainPlayer->GetSkillPoints() != 0)
        AddElapsed(watch.unspentPointsTimer, ms);
    else
        watch.unspentPointsTimer = 0;

    if (watch.unspentPointsTimer > kUnspentPointsWaitingMs || watch.modifierPointsTimer > kUnspentPointsWaitingMs)
        UnlockTutorialPage(kTutorialPageUnspentPoints, true);

    if (!watch.playTimerStopped) {
        AddElapsed(watch.playTimer, ms);
        if (watch.playTimer >= kPlayTimeMs || watch.itemsReceived >= kItemsReceivedForPlayTimePage)
            UnlockTutorialPage(kTutorialPagePlayTime, true);
    }

    if (watch.mainPlayerDeaths > kDeathsForPotionPage && !watch.potionUsed && watch.potionReceived)
        UnlockTutorialPage(kTutorialPageDeathsWithoutPotion, true);
}

// The player was asked before a portal is opened; a yes creates it, any answer ends
// the request, no answer yet keeps it for a later frame.
void GameEngine::UpdatePendingPortal()
{
    if (!m_pendingPortal.pending || m_dialogManager.GetNumResponsesFor(kPortalDialogParty) < 1)
        return;
    const YesNoResponse response = m_dialogManager.GetResponseFor(kPortalDialogParty);
    if (response.answer) {
        if (GameEngineNetworkInterface* network = GetNetworkInterface())
            network->CreateFixedItemTeleport(m_pendingPortal.coords, m_pendingPortal.ownerId,
                                             m_pendingPortal.portalId, m_pendingPortal.text, 0);
    }
    m_pendingPortal.pending = false;
}

// The music changes its mood when the player or the boss it follows is gone or dead.
void GameEngine::UpdateMusicTracking()
{
    Jukebox& jukebox = Jukebox::Get();
    ObjectManager& objects = ObjectManager::Get();
    if (const uint32_t playerId = jukebox.GetTrackedPlayer()) {
        const Player* player = objects.GetObject<Player>(playerId);
        jukebox.SetTrackedPlayerDead(!(player && player->IsAlive()));
    }
    if (const uint32_t bossId = jukebox.GetTrackedBoss()) {
        const Monster* boss = objects.GetObject<Monster>(bossId);
        jukebox.SetTrackedBossDead(!(boss && boss->IsAlive()));
    }
}

void GameEngine::UpdatePendingBan()
{
    if (m_pendingBan == 0 || m_dialogManager.GetNumResponsesFor(kBanDialogParty) < 1)
        return;
    const YesNoResponse response = m_dialogManager.GetResponseFor(kBanDialogParty);
    const uint32_t playerId = m_pendingBan;
    m_pendingBan = 0;
    if (response.answer)
        BanPlayer(playerId, false);
}

void GameEngine::UpdateAmbiance(Player* mainPlayer)
{
    if (!mainPlayer)
        return;
    const WorldVec3 position = mainPlayer->GetCoords().GetPosition();
    AmbianceManager& ambiance = AmbianceManager::Get();
    ambiance.SetTargetPosition(position);
    ambiance.UpdateEnvironmentEffects(position);
    // Kept from frame to frame (its planes are made again in place), emptied first so that
    // nothing of the last frame's is ever read.
    thread_local WorldFrustum frustum;
    frustum.region = nullptr;
    frustum.planes.clear();
    GetFrustumForPlayer(frustum, position);
    ambiance.UpdateEnvironmentEffects(frustum);
    GameInfo::Get().SetPlayerLevel(mainPlayer->GetCharLevel());
}

void GameEngine::GetFrustumForPlayer(WorldFrustum& out, const WorldVec3& position) const
{
    GameCamera camera;
    camera.SetTarget(position);
    camera.Update();
    camera.GetFrustum(out, kPlayerFrustumViewport);
}

}  // namespace GAME
