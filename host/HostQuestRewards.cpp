#include "host/HostQuestRewards.h"
#include "host/HostText.h"

#include <cstdio>
#include <string>

#include "Engine/EventManager.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"

namespace GAME {

namespace {

// A tag's text as the interface would show it; the tag itself when it is unknown.
std::string RewardTagText(const std::string& tag)
{
    std::u16string text;
    if (tag.empty() || !LocalizationManager::Instance().GetFormat(tag.c_str(), text))
        return tag;
    return HostPlainText(text);
}

}  // namespace

HostQuestRewards::HostQuestRewards(const int& frame) : m_frame(frame)
{
    m_listeners.push_back(std::make_unique<GameEventListener<HostQuestRewards, GameEvent_ShowTextBanner>>(
        "GameEvent_ShowTextBanner", &HostQuestRewards::OnBanner, this));
    m_listeners.push_back(std::make_unique<GameEventListener<HostQuestRewards, GameEvent_Reward>>(
        "GameEvent_Reward", &HostQuestRewards::OnReward, this));
    m_listeners.push_back(std::make_unique<GameEventListener<HostQuestRewards, GameEvent_UpdateJournal>>(
        "GameEvent_UpdateJournal", &HostQuestRewards::OnJournal, this));
}

HostQuestRewards::~HostQuestRewards() = default;

void HostQuestRewards::OnBanner(const GameEvent_ShowTextBanner& event)
{
    std::printf("reward banner: frame %d: \"%s\"\n", m_frame, HostPlainText(event.text).c_str());
}

void HostQuestRewards::OnReward(const GameEvent_Reward& event)
{
    std::printf("reward entry: frame %d: %s%s, %s: \"%s\"\n", m_frame, event.simulated ? "(again) " : "",
                RewardTagText(event.titleTag).c_str(), RewardTagText(event.locationTag).c_str(),
                HostPlainText(event.text).c_str());
    const Player* player =
        gGameEngine ? ObjectManager::Get().GetObject<Player>(gGameEngine->GetPlayerId()) : nullptr;
    if (player && !event.simulated)
        std::printf("quest: frame %d: the player holds %u gold and %u experience\n", m_frame, player->GetCurrentMoney(),
                    player->GetExperiencePoints());
}

void HostQuestRewards::OnJournal(const GameEvent_UpdateJournal& event)
{
    std::printf("journal entry: frame %d: %s, %s: %s; rewards %d gold, %d experience, %s, %d skill and %d "
                "attribute points%s%s\n",
                m_frame, RewardTagText(event.titleTag).c_str(), RewardTagText(event.locationTag).c_str(),
                RewardTagText(event.fullTextTag).c_str(), event.rewardGold, event.rewardExperience,
                RewardTagText(event.rewardItemTag).c_str(), event.rewardSkillPoints, event.rewardAttributePoints,
                event.doComplete ? "; the quest is done" : "", event.doSound ? " (with its sound)" : "");
}

}  // namespace GAME
