#include "Game/items/PlayerHotSlotCtrl.h"

#include <algorithm>

#include "Engine/IOStream.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/foundation/GameTextLine.h"
#include "Game/core/foundation/StringUtil.h"
#include "Game/items/PlayerInventoryCtrl.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"
#include "Game/skills/SkillProfile.h"

namespace GAME {

// ---- HotSlotOption ---------------------------------------------------------------------------

bool HotSlotOption::operator==(const HotSlotOption& other) const
{
    return m_storedType == other.m_storedType && m_player == other.m_player;
}

void HotSlotOption::DeepCopy(const HotSlotOption* other)
{
    if (!other)
        return;
    m_player = other->m_player;
    m_storedType = other->m_storedType;
}

PlayerInventoryCtrl* HotSlotOption::GetInventoryCtrl() const
{
    ControllerPlayer* controller = m_player ? m_player->GetPlayerController() : nullptr;
    return controller ? &controller->GetInventoryCtrl() : nullptr;
}

// ---- HotSlotOptionSkill ----------------------------------------------------------------------

namespace {

// The skill type of a skill used on its user: sent at once, without a target.
constexpr Skill_Type kSelfCastSkillType = 1;

const Skill* SkillOf(uint32_t skillId)
{
    return skillId ? ObjectManager::Get().GetObject<Skill>(skillId) : nullptr;
}

const SkillProfile* ProfileOf(uint32_t skillId)
{
    const Skill* skill = SkillOf(skillId);
    return skill && gGameEngine ? gGameEngine->GetSkillResource(skill->GetResourceName()) : nullptr;
}

}  // namespace

HotSlotOptionSkill::HotSlotOptionSkill(const HotSlotOption* other) : HotSlotOption(kSkillOption)
{
    DeepCopy(other);
    m_skillId = other ? other->GetSkillId() : 0;
}

bool HotSlotOptionSkill::Validate() const
{
    return m_skillId == 0 || (m_player && m_player->GetSkillManager().IsSkillValidForUse(m_skillId, true));
}

bool HotSlotOptionSkill::operator==(const HotSlotOption& other) const
{
    return HotSlotOption::operator==(other) && other.GetSkillId() == m_skillId;
}

void HotSlotOptionSkill::Activate(bool& needsTarget, bool& activated)
{
    needsTarget = false;
    activated = false;
    const Skill* skill = SkillOf(m_skillId);
    if (!skill || !m_player)
        return;
    if (skill->GetSkillType() != kSelfCastSkillType) {
        needsTarget = true;
        return;
    }
    ControllerPlayer* controller = m_player->GetPlayerController();
    uint32_t target = m_player->GetObjectId();
    activated = controller && controller->SendSkillAction(*m_player, true, false, m_skillId,
                                                          m_player->GetPathPosition(), target);
}

float HotSlotOptionSkill::GetCooldownCompletion() const
{
    const Skill* skill = SkillOf(m_skillId);
    return skill ? skill->GetCooldownCompletion() : 0.0f;
}

HotSlotOptionStatus HotSlotOptionSkill::GetStatus() const
{
    const Skill* skill = SkillOf(m_skillId);
    if (!skill)
        return HotSlotOptionStatus_Unavailable;
    switch (skill->GetReason()) {
    case Skill_Usable: return HotSlotOptionStatus_Ready;
    case Skill_CoolingDown: return HotSlotOptionStatus_CoolingDown;
    case Skill_NotEnoughMana: return HotSlotOptionStatus_LackingMana;
    case Skill_WeaponNotQualifying: return HotSlotOptionStatus_WeaponDoesNotQualify;
    default: return HotSlotOptionStatus_Unavailable;
    }
}

const char* HotSlotOptionSkill::GetBitmapNameUp() const
{
    const SkillProfile* profile = ProfileOf(m_skillId);
    return profile ? profile->GetUpBitmapName().c_str() : "";
}

const char* HotSlotOptionSkill::GetBitmapNameDown() const
{
    const SkillProfile* profile = ProfileOf(m_skillId);
    return profile ? profile->GetDownBitmapName().c_str() : "";
}

void HotSlotOptionSkill::GetRolloverText(std::vector<GameTextLine>& lines) const
{
    GameEngine::GenerateUISkillInfo(SkillOf(m_skillId), lines);
}

void HotSlotOptionSkill::GetDisplayName(std::u16string& name) const
{
    name.clear();
    const Skill* skill = SkillOf(m_skillId);
    if (!skill || !LocalizationManager::Instance().GetFormat(skill->GetDisplayNameTag().c_str(), name))
        return;
    TrimDisplayText(name);
}

void HotSlotOptionSkill::StreamProperties(IOStream& stream)
{
    if (!stream.IsReading()) {
        const Skill* skill = SkillOf(m_skillId);
        int32_t type = kSkillOption;
        std::string name = skill ? skill->GetObjectName() : std::string();
        bool itemSkill = skill && skill->IsItemSkill();
        stream.StreamInt32("storedType", type);
        stream.StreamString("skillName", name);
        stream.StreamBool("isItemSkill", itemSkill);
        return;
    }
    std::string name;
    bool itemSkill = false;
    stream.StreamString("skillName", name);
    stream.StreamBool("isItemSkill", itemSkill);
    m_skillId = 0;
    if (m_player && !stream.Failed() && !name.empty()) {
        const SkillManager& skills = m_player->GetSkillManager();
        m_skillId = itemSkill ? skills.FindItemSkillId(name) : skills.FindSkillId(name);
    }
}

// ---- HotSlotOptionPotion ---------------------------------------------------------------------

namespace {

struct DefaultPotionData {
    std::string up;
    std::string down;
    std::u16string name;
};

DefaultPotionData gDefaultPotions[2];

const DefaultPotionData* DefaultPotion(int32_t type)
{
    return type == HotSlotOptionPotion::kHealth || type == HotSlotOptionPotion::kMana ? &gDefaultPotions[type]
                                                                                      : nullptr;
}

}  // namespace

HotSlotOptionPotion::HotSlotOptionPotion(const HotSlotOption* other) : HotSlotOption(kPotionOption), m_defaultType(kNone)
{
    DeepCopy(other);
    if (other && other->GetType() == kPotionOption)
        m_defaultType = static_cast<const HotSlotOptionPotion*>(other)->m_defaultType;
}

void HotSlotOptionPotion::SetDefaultPotionData(int32_t type, const std::string& up, const std::string& down,
                                               const std::u16string& name)
{
    if (type != kHealth && type != kMana)
        return;
    gDefaultPotions[type] = {up.substr(0, kMaxDefaultText), down.substr(0, kMaxDefaultText),
                             name.substr(0, kMaxDefaultText)};
}

bool HotSlotOptionPotion::operator==(const HotSlotOption& other) const
{
    return HotSlotOption::operator==(other) &&
           static_cast<const HotSlotOptionPotion&>(other).m_defaultType == m_defaultType;
}

void HotSlotOptionPotion::Activate(bool& needsTarget, bool& activated)
{
    needsTarget = false;
    activated = false;
    PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    if (inventory && m_player->IsAlive())
        activated = inventory->UsePotionOfType(m_defaultType, kLowNeed, kHighNeed);
}

float HotSlotOptionPotion::GetCooldownCompletion() const
{
    const PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    if (!inventory || m_defaultType == kNone)
        return 1.0f;
    const int total = inventory->GetTotalCooldown(m_defaultType);
    if (total == 0)
        return 0.0f;
    return 1.0f - static_cast<float>(inventory->GetCurrentCooldown(m_defaultType)) / static_cast<float>(total);
}

HotSlotOptionStatus HotSlotOptionPotion::GetStatus() const
{
    const PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    if (!inventory)
        return HotSlotOptionStatus_Unavailable;
    if (inventory->GetTotalPotions(m_defaultType) < 1)
        return HotSlotOptionStatus_NoPotionsLeft;
    return GetCooldownCompletion() <= 0.0f ? HotSlotOptionStatus_Ready : HotSlotOptionStatus_CoolingDown;
}

int HotSlotOptionPotion::GetNumberAvailable() const
{
    const PlayerInventoryCtrl* inventory = GetInventoryCtrl();
    if (!inventory || m_defaultType == kNone)
        return 0;
    return static_cast<int>(std::min<uint32_t>(inventory->GetTotalPotions(m_defaultType), INT32_MAX));
}

const char* HotSlotOptionPotion::GetBitmapNameUp() const
{
    const DefaultPotionData* data = DefaultPotion(m_defaultType);
    return data ? data->up.c_str() : "";
}

const char* HotSlotOptionPotion::GetBitmapNameDown() const
{
    const DefaultPotionData* data = DefaultPotion(m_defaultType);
    return data ? data->down.c_str() : "";
}

void HotSlotOptionPotion::GetDisplayName(std::u16string& name) const
{
    const DefaultPotionData* data = DefaultPotion(m_defaultType);
    name = data && GetInventoryCtrl() ? data->name : std::u16string();
}

void HotSlotOptionPotion::GetRolloverText(std::vector<GameTextLine>& lines) const
{
    std::u16string name;
    GetDisplayName(name);
    lines.emplace_back(GameTextClass::ItemNamePotion, name, false);
}

void HotSlotOptionPotion::StreamProperties(IOStream& stream)
{
    if (!stream.IsReading()) {
        int32_t type = kPotionOption;
        stream.StreamInt32("storedType", type);
    }
    stream.StreamInt32("storedDefaultType", m_defaultType);
    // A kind the game does not have is none: the validation lets the option go.
    if (stream.IsReading() && m_defaultType != kHealth && m_defaultType != kMana)
        m_defaultType = kNone;
}

// ---- PlayerHotSlotCtrl -----------------------------------------------------------------------

PlayerHotSlotCtrl::~PlayerHotSlotCtrl()
{
    for (uint32_t index = 0; index < kSlotCount; ++index)
        ReleaseSlot(index);
}

uint32_t PlayerHotSlotCtrl::PrimaryIndex() const
{
    return m_player && m_player->GetAlternateConfig() ? kPrimaryAlternateSlot : kPrimarySlot;
}

uint32_t PlayerHotSlotCtrl::SecondaryIndex() const
{
    return m_player && m_player->GetAlternateConfig() ? kSecondaryAlternateSlot : kSecondarySlot;
}

void PlayerHotSlotCtrl::ReleaseSlot(uint32_t index)
{
    HotSlotOption* option = m_slots[index];
    if (!option)
        return;
    m_slots[index] = nullptr;
    if (m_active == option)
        m_active = nullptr;
    if (std::find(m_slots.begin(), m_slots.end(), option) == m_slots.end())
        delete option;
}

void PlayerHotSlotCtrl::SetHotSlot(uint32_t index, const HotSlotOption* option)
{
    m_active = nullptr;
    m_needsTarget = false;
    PutInSlot(index, option);
}

void PlayerHotSlotCtrl::PutInSlot(uint32_t index, const HotSlotOption* option)
{
    if (index >= kSlotCount)
        return;
    ReleaseSlot(index);
    if (!option)
        return;
    for (HotSlotOption* held : m_slots) {
        if (held && held->GetType() == option->GetType() && *held == *option) {
            m_slots[index] = held;
            return;
        }
    }
    if (option->GetType() == HotSlotOption::kSkillOption)
        m_slots[index] = new HotSlotOptionSkill(option);
    else if (option->GetType() == HotSlotOption::kPotionOption)
        m_slots[index] = new HotSlotOptionPotion(option);
}

HotSlotOption* PlayerHotSlotCtrl::GetHotSlotOption(uint32_t index) const
{
    return m_player && index < kSlotCount ? m_slots[index] : nullptr;
}

HotSlotOptionStatus PlayerHotSlotCtrl::GetSlotStatus(uint32_t index) const
{
    return index < kSlotCount && m_slots[index] ? m_slots[index]->GetStatus() : HotSlotOptionStatus_Unavailable;
}

bool PlayerHotSlotCtrl::IsActive(uint32_t index) const
{
    const HotSlotOption* slot = index < kSlotCount ? m_slots[index] : nullptr;
    return m_active && slot && m_active->GetType() == slot->GetType() && *m_active == *slot;
}

bool PlayerHotSlotCtrl::IsHotSlotActive(uint32_t index) const { return IsActive(index); }

void PlayerHotSlotCtrl::Activate(HotSlotOption* option, bool& activated)
{
    m_active = option;
    activated = false;
    if (option)
        option->Activate(m_needsTarget, activated);
}

void PlayerHotSlotCtrl::ActivateHotSlot(uint32_t index)
{
    if (!m_player || index >= kSlotCount)
        return;
    bool activated = false;
    Activate(m_slots[index], activated);
    if (activated)
        m_activationCooldown = kActivationDelayMs;
}

void PlayerHotSlotCtrl::ActivatePrimarySlot()
{
    if (!m_player)
        return;
    bool activated = false;
    Activate(GetPrimarySlot(), activated);
    m_activationCooldown = activated ? kActivationDelayMs : 0;
}

void PlayerHotSlotCtrl::ActivateSecondarySlot()
{
    HotSlotOption* option = m_player ? GetSecondarySlot() : nullptr;
    if (!option)
        return;
    bool activated = false;
    Activate(option, activated);
    m_activationCooldown = activated ? kActivationDelayMs : 0;
    // A potion drunk is done with: nothing waits for a target.
    if (activated && option->GetType() == HotSlotOption::kPotionOption)
        m_active = nullptr;
}

HotSlotOption* PlayerHotSlotCtrl::GetActiveSlotOption(bool primary)
{
    m_needsTarget = false;
    if (HotSlotOption* active = m_active) {
        m_active = nullptr;
        return active;
    }
    return primary ? GetPrimarySlot() : GetSecondarySlot();
}

bool PlayerHotSlotCtrl::DeactivateActiveSlot()
{
    const bool wasActive = m_active != nullptr;
    m_active = nullptr;
    m_needsTarget = false;
    return wasActive;
}

uint32_t PlayerHotSlotCtrl::DefaultSkillId() const
{
    return m_player ? m_player->GetSkillManager().GetDefaultSkillId() : 0;
}

void PlayerHotSlotCtrl::FillDefaultSkillSlots()
{
    for (uint32_t index : {kPrimarySlot, kPrimaryAlternateSlot}) {
        if (m_slots[index])
            continue;
        HotSlotOptionSkill option(DefaultSkillId());
        option.SetPlayer(m_player);
        PutInSlot(index, &option);
    }
}

void PlayerHotSlotCtrl::Update(int elapsedMs)
{
    elapsedMs = std::max(elapsedMs, 0);
    if (m_activationCooldown > 0) {
        m_activationCooldown -= elapsedMs;
        if (m_activationCooldown < 1) {
            m_activationCooldown = 0;
            m_active = nullptr;
        }
    }
    m_validationTimer -= elapsedMs;
    if (m_validationTimer >= 1)
        return;
    m_validationTimer = kValidationPeriodMs;
    for (uint32_t index = 0; index < kSlotCount; ++index)
        if (m_slots[index] && !m_slots[index]->Validate())
            ReleaseSlot(index);
    FillDefaultSkillSlots();
}

void PlayerHotSlotCtrl::SetToDefaults()
{
    FillDefaultSkillSlots();
    const HotSlotOptionPotion health(HotSlotOptionPotion::kHealth), mana(HotSlotOptionPotion::kMana);
    for (auto [index, option] : {std::pair{kHealthPotionSlot, &health}, std::pair{kManaPotionSlot, &mana}}) {
        if (m_slots[index])
            continue;
        HotSlotOptionPotion copy(option);
        copy.SetPlayer(m_player);
        PutInSlot(index, &copy);
    }
    for (HotSlotOption* option : m_slots)
        if (option)
            option->SetPlayer(m_player);
}

bool PlayerHotSlotCtrl::IsInDefaultState() const
{
    if (!gGameEngine || !gGameEngine->GetMainPlayer())
        return true;
    for (uint32_t index = 0; index < kHealthPotionSlot; ++index)
        if (m_slots[index])
            return false;
    const uint32_t skill = DefaultSkillId();
    for (uint32_t index : {kPrimarySlot, kPrimaryAlternateSlot})
        if (!m_slots[index] || m_slots[index]->GetSkillId() != skill)
            return false;
    return m_slots[kHealthPotionSlot] && m_slots[kHealthPotionSlot]->GetSkillId() == 0;
}

void PlayerHotSlotCtrl::StreamProperties(IOStream& stream)
{
    stream.BeginBlock();
    for (uint32_t index = 0; index < kSlotCount && !stream.Failed(); ++index) {
        if (!stream.IsReading()) {
            if (HotSlotOption* option = m_slots[index]) {
                option->StreamProperties(stream);
            } else {
                int32_t empty = -1;
                stream.StreamInt32("storedType", empty);
            }
            continue;
        }
        SetHotSlot(index, nullptr);
        int32_t type = -1;
        stream.StreamInt32("storedType", type);
        HotSlotOption* option = nullptr;
        if (type == HotSlotOption::kSkillOption)
            option = new HotSlotOptionSkill();
        else if (type == HotSlotOption::kPotionOption)
            option = new HotSlotOptionPotion();
        if (!option)
            continue;
        option->SetPlayer(m_player);
        option->StreamProperties(stream);
        m_slots[index] = option;
    }
    stream.EndBlock();
}

}  // namespace GAME
