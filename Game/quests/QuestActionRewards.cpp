// The reward actions: money, attribute points, skill points, experience and items, each
// announced for the quest that owns the firing trigger.
#include <algorithm>
#include <string>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Character.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/LocalizedText.h"
#include "Game/items/Item.h"
#include "Game/items/ItemReplicaInfo.h"
#include "Game/items/loot/LootBase.h"
#include "Game/quests/Quest.h"
#include "Game/quests/QuestActions.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

namespace {

// Where the reward banner stands, its colour and its timings, as the interface expects them.
constexpr float kBannerX = 160.0f;
constexpr float kBannerY = 718.0f;
constexpr float kBannerColor[4] = {0.0f, 0.0f, 0.0f, 0.4f};
constexpr float kBannerTimes[3] = {0.0f, 0.0f, 3000.0f};

// The seed range of an item a quest gives.
constexpr int kRewardSeedMin = 0;
constexpr int kRewardSeedMax = 10000;

std::u16string CutRewardText(std::u16string text)
{
    if (text.size() > ActionRewardInterface::kMaxRewardText)
        text.resize(ActionRewardInterface::kMaxRewardText);
    return text;
}

// The character a reward goes to: the one of that id, or the local player for id 0.
Character* RewardRecipient(uint32_t playerId)
{
    if (playerId == 0 && gGameEngine)
        playerId = gGameEngine->GetPlayerId();
    return playerId ? ObjectManager::Get().GetObject<Character>(playerId) : nullptr;
}

// Raises the engine's quiet-item switches while it lives, when asked to.
class QuietItemScope {
public:
    explicit QuietItemScope(bool quiet) : m_quiet(quiet)
    {
        if (m_quiet)
            gEngine->SetQuietItemFlags(true, true);
    }
    ~QuietItemScope()
    {
        if (m_quiet)
            gEngine->SetQuietItemFlags(false, false);
    }
    QuietItemScope(const QuietItemScope&) = delete;
    QuietItemScope& operator=(const QuietItemScope&) = delete;

private:
    bool m_quiet;
};

}  // namespace

// ---- The announcement -------------------------------------------------------------------

void ActionRewardInterface::SerializeRewardKeys(IOStream& stream)
{
    stream.StreamInt32("region", m_region);
    stream.StreamString("locationTag", m_locationTag);
    stream.StreamString("titleTag", m_titleTag);
}

void ActionRewardInterface::SendRewardEvents(const Name& questHandle, int region, const std::string& locationTag,
                                             const std::string& titleTag)
{
    if (region == 0)
        return;
    GameEvent_ShowTextBanner banner;
    banner.text = CutRewardText(GetRewardDescription());
    banner.x = kBannerX;
    banner.y = kBannerY;
    std::copy(std::begin(kBannerColor), std::end(kBannerColor), banner.color);
    std::copy(std::begin(kBannerTimes), std::end(kBannerTimes), banner.times);
    EventManager::Get().Send(banner, "GameEvent_ShowTextBanner");
    if (locationTag.empty() || titleTag.empty())
        return;
    GameEvent_Reward reward;
    reward.simulated = false;
    reward.questName = questHandle;
    reward.region = region;
    reward.locationTag = locationTag;
    reward.titleTag = titleTag;
    reward.text = banner.text;
    EventManager::Get().Send(reward, "GameEvent_Reward");
}

void ActionRewardInterface::AnnounceReward(const Quest* quest)
{
    if (quest)
        SendRewardEvents(quest->GetHandle(), m_region, m_locationTag, m_titleTag);
}

std::u16string ActionRewardInterface::AmountText(int32_t amount, const char* tag)
{
    return CutRewardText(LocalizationManager::ToWChar(std::to_string(amount)) + u" " + SimpleTagText(tag));
}

// ---- Amounts ---------------------------------------------------------------------------

void AmountRewardAction::SetAmount(int difficulty, int32_t amount)
{
    if (difficulty >= 0 && difficulty < 3)
        m_amount[difficulty] = amount;
}

int32_t AmountRewardAction::GetAmount(int difficulty) const
{
    return difficulty >= 0 && difficulty < 3 ? m_amount[difficulty] : 0;
}

bool AmountRewardAction::CurrentAmount(uint32_t& amount) const
{
    const int32_t value = m_amount[DifficultyIndex()];
    if (value < 0) {
        gEngine->Log(LOG_WARNING, "%s %u: a negative amount (%d) gives nothing", GetName(), GetId(), value);
        return false;
    }
    amount = static_cast<uint32_t>(value);
    return true;
}

void AmountRewardAction::SerializeAmounts(IOStream& stream)
{
    for (int i = 0; i < 3; ++i) {
        const std::string key = std::string(m_keyStem) + "[" + std::to_string(i) + "]";
        stream.StreamInt32(key.c_str(), m_amount[i]);
    }
}

void AmountRewardAction::SerializeChildProperties(IOStream& stream)
{
    SerializeAmounts(stream);
    SerializeRewardKeys(stream);
}

void AmountRewardAction::Fire(uint32_t playerId, bool)
{
    uint32_t amount = 0;
    Character* recipient = RewardRecipient(playerId);
    if (!recipient || !CurrentAmount(amount))
        return;
    Give(*recipient, amount);
    AnnounceReward(FindOwningQuest());
}

std::u16string AmountRewardAction::GetRewardDescription()
{
    return AmountText(m_amount[DifficultyIndex()], m_rewardTag);
}

void Action_GiveMoney::Give(Character& recipient, uint32_t amount)
{
    recipient.AddMoney(amount);
}

void Action_GiveAttributePoints::Give(Character& recipient, uint32_t amount)
{
    recipient.AddModifierPoints(amount);
}

void Action_GiveExp::Give(Character& recipient, uint32_t amount)
{
    recipient.ReceiveExperience(amount, false);
}

// ---- Skill points ------------------------------------------------------------------------

void Action_GiveSkillPoints::SerializeChildProperties(IOStream& stream)
{
    SerializeAmounts(stream);
    stream.StreamString("skill", m_skill);
    SerializeRewardKeys(stream);
}

void Action_GiveSkillPoints::Fire(uint32_t playerId, bool)
{
    uint32_t amount = 0;
    if (!CurrentAmount(amount) || amount == 0)
        return;
    Character* recipient = RewardRecipient(playerId);
    if (!recipient)
        return;
    if (!m_skill.empty()) {
        SkillManager& skills = recipient->GetSkillManager();
        const uint32_t skillId = skills.FindSkillId(m_skill);
        if (!skillId) {
            gEngine->Log(LOG_WARNING, "Action_GiveSkillPoints %u: the player has no skill \"%s\"; nothing is given",
                         GetId(), m_skill.c_str());
            return;
        }
        skills.IncrementSkill(skillId, amount);
    } else {
        Give(*recipient, amount);
    }
    AnnounceReward(FindOwningQuest());
}

void Action_GiveSkillPoints::Give(Character& recipient, uint32_t amount)
{
    recipient.AddSkillPoints(amount);
    GameEvent_PlayerSkillUp event;
    event.objectId = recipient.GetObjectId();
    EventManager::Get().Send(event, "GameEvent_PlayerSkillUp");
}

std::u16string Action_GiveSkillPoints::GetRewardDescription()
{
    if (m_skill.empty())
        return AmountRewardAction::GetRewardDescription();
    const LoadTable* table = ObjectManager::Get().LoadTableFile(m_skill);
    m_skillDisplayTag = table ? table->GetString("skillDisplayName", "") : "";
    return CutRewardText(SimpleTagText(m_skillDisplayTag));
}

// ---- Items -------------------------------------------------------------------------------

bool QuestAction::ResolveItemRecord(const std::string& record, std::string& base, std::string& prefix,
                                    std::string& suffix, RandomUniform& random, const char* owner)
{
    base.clear();
    prefix.clear();
    suffix.clear();
    if (!ObjectManager::Get().LoadTableFile(record)) {
        gEngine->Log(LOG_WARNING, "%s: no record \"%s\"; no item is given", owner, record.c_str());
        return false;
    }
    if (std::unique_ptr<LootBase> table = LootBase::Create(record)) {
        int depth = LootLimits::kNestingDepth;
        table->GetLootName(base, prefix, suffix, random, depth);
        if (base.empty()) {
            gEngine->Log(LOG_WARNING, "%s: the loot table \"%s\" draws no item; none is given", owner,
                         record.c_str());
            return false;
        }
        return true;
    }
    base = record;
    return true;
}

void Action_GiveItem::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("item[0]", m_item[0]);
    stream.StreamString("item[1]", m_item[1]);
    stream.StreamString("item[2]", m_item[2]);
    SerializeRewardKeys(stream);
}

void Action_GiveItem::Fire(uint32_t playerId, bool)
{
    const std::string& record = m_item[DifficultyIndex()];
    Player* local = FindLocalPlayer();
    if (record.empty() || !local || !gGameEngine)
        return;
    RandomUniform& random = gGameEngine->GetRandomGen();
    ItemReplicaInfo replica;
    if (!ResolveItemRecord(record, replica.baseName, replica.prefixName, replica.suffixName, random, GetName()))
        return;

    const QuietItemScope quiet(m_region == 0);
    replica.objectId = ObjectManager::Get().CreateObjectID();
    replica.seed = static_cast<uint32_t>(random.IGenerate(kRewardSeedMin, kRewardSeedMax));
    m_lastItemId = replica.objectId;
    if (Item* shown = Item::CreateItem(replica)) {
        m_description = CutRewardText(shown->GetGameDescription());
        ObjectManager::Get().DestroyObjectEx(shown, __FILE__, __LINE__);
    }
    const uint32_t recipientId = playerId ? playerId : local->GetObjectId();
    gGameEngine->CreateItemForCharacter(recipientId, local->GetCoords(), replica, nullptr);
    AnnounceReward(FindOwningQuest());
}

}  // namespace GAME
