// The actions that act at once when fired: the quest's journal entry, tutorial pages,
// trigger tokens and the player's inventory, the music and sounds, the time of day and
// designers' debug text.
#include <algorithm>
#include <cmath>
#include <string>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/GameServices.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Engine/TriggerToken.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestActions.h"

namespace GAME {

namespace {

// The longest debug line handed to the interface, and how it is shown.
constexpr size_t kMaxQuestDebugText = 512;
constexpr float kQuestDebugTextColor[4] = {0.6f, 0.6f, 1.0f, 1.0f};
constexpr float kQuestDebugTextX = 100.0f;
constexpr float kQuestDebugTextY = 100.0f;

// The local player's controller; null (nothing to act on) when either is gone.
ControllerPlayer* LocalPlayerController(Player* player)
{
    return player ? ObjectManager::Get().GetObject<ControllerPlayer>(player->GetControllerId()) : nullptr;
}

}  // namespace

void Action_UpdateJournalEntry::Fire(uint32_t, bool reFire)
{
    const Quest* quest = FindOwningQuest();
    if (!quest)
        return;
    const int difficulty = DifficultyIndex();
    GameEvent_UpdateJournal event;
    event.handle = quest->GetHandle();
    event.region = m_region;
    event.locationTag = m_locationTag;
    event.titleTag = m_titleTag;
    event.fullTextTag = m_fullTextTag;
    event.rewardItemTag = quest->m_rewardItemTag[difficulty];
    event.rewardGold = quest->m_rewardGold[difficulty];
    event.rewardExperience = quest->m_rewardXP[difficulty];
    event.rewardSkillPoints = quest->m_rewardSkill;
    event.rewardAttributePoints = quest->m_rewardAttr;
    event.doComplete = m_doComplete;
    event.doSound = m_doSound && !reFire;
    EventManager::Get().Send(event, "GameEvent_UpdateJournal");
}

void Action_SendTutorialEvent::Fire(uint32_t playerId, bool)
{
    if (!gGameEngine || playerId != gGameEngine->GetPlayerId())
        return;
    if (m_index < 0) {
        gEngine->Log(LOG_WARNING, "Action_SendTutorialEvent %u: no tutorial page %d", GetId(), m_index);
        return;
    }
    gGameEngine->UnlockTutorialPage(static_cast<unsigned>(m_index), true);
}

void Action_BestowTriggerToken::Fire(uint32_t, bool)
{
    if (ControllerPlayer* controller = LocalPlayerController(FindLocalPlayer()))
        controller->BestowToken(TriggerToken(m_value));
}

void Action_RemoveTriggerToken::Fire(uint32_t, bool)
{
    if (ControllerPlayer* controller = LocalPlayerController(FindLocalPlayer()))
        controller->RemoveToken(TriggerToken(m_value));
}

void Action_RemoveItemFromInventory::Fire(uint32_t, bool)
{
    if (Player* player = FindLocalPlayer())
        player->TakeItemFromCharacter(m_value);
}

void Action_LoadAmbientPlaylist::Fire(uint32_t, bool)
{
    if (gGameEngine)
        gGameEngine->GetJukebox().LoadAmbientPlaylist(m_value, false);
}

void Action_LoadMusicPlaylist::Fire(uint32_t, bool)
{
    if (gGameEngine)
        gGameEngine->GetJukebox().LoadMusicPlaylist(m_value);
}

void Action_LoadEventMusic::Fire(uint32_t, bool)
{
    if (gGameEngine)
        gGameEngine->GetJukebox().PlayEventMusic(m_value, false);
}

void Action_FadeInMusic::Fire(uint32_t, bool)
{
    if (gGameEngine)
        gGameEngine->GetJukebox().FadeInMusic();
}

void Action_FadeOutMusic::Fire(uint32_t, bool)
{
    if (gGameEngine)
        gGameEngine->GetJukebox().FadeOutMusic(kFadeOutMs);
}

void Action_FadeOutEventMusic::Fire(uint32_t, bool)
{
    if (gGameEngine)
        gGameEngine->GetJukebox().EndEventMusic(std::max(0, SecondsToMs(m_timeInSecs)));
}

// A one-shot sound has nothing left to play once started, so the pack goes at once.
void Action_PlaySoundEffect::Fire(uint32_t playerId, bool)
{
    if (m_value.empty())
        return;
    SoundPak* sound = ObjectManager::Get().CreateObjectFromFile<SoundPak>(m_value);
    if (!sound) {
        gEngine->Log(LOG_WARNING, "Action_PlaySoundEffect %u: \"%s\" is no sound pak", GetId(), m_value.c_str());
        return;
    }
    if (ObjectManager::Get().GetObject<Character>(playerId))
        sound->Play(true);
    ObjectManager::Get().DestroyObjectEx(sound, __FILE__, __LINE__);
}

void Action_SetTimeOfDay::Fire(uint32_t, bool)
{
    if (!std::isfinite(m_timeOfDay)) {
        gEngine->Log(LOG_WARNING, "Action_SetTimeOfDay %u: the hour is not a number", GetId());
        return;
    }
    DayNightManager& day = DayNightManager::Get();
    day.SetStartTime(m_timeOfDay);
    day.Enable(m_enableProgression != 0);
}

void Action_DebugText::Fire(uint32_t, bool)
{
    const std::u16string text = LocalizationManager::ToWChar(m_value, kMaxQuestDebugText);
    if (GameUIInterface* ui = gGameEngine ? gGameEngine->GetUI() : nullptr)
        ui->ShowDebugText(text, kQuestDebugTextColor, kQuestDebugTextX, kQuestDebugTextY);
}

}  // namespace GAME
