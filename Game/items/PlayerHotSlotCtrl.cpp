#include "Game/items/PlayerHotSlotCtrl.h"

#include <string>

#include "Engine/IOStream.h"
#include "Engine/ObjectManager.h"
#include "Game/characters/Player.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

void PlayerHotSlotCtrl::SetToDefaults()
{
    m_primarySkillId = 0;
    m_secondarySkillId = 0;
}

void PlayerHotSlotCtrl::Update(int) {}

bool PlayerHotSlotCtrl::IsInDefaultState() const
{
    return m_primarySkillId == 0 && m_secondarySkillId == 0;
}

namespace {

constexpr int32_t kEmptySlot = -1;
constexpr int32_t kSkillOption = 0;
constexpr int32_t kPotionOption = 1;
constexpr uint32_t kPrimarySlot = 10, kPrimaryAlternateSlot = 11, kSecondarySlot = 12, kSecondaryAlternateSlot = 13;

}  // namespace

void PlayerHotSlotCtrl::StreamProperties(IOStream& stream)
{
    const bool alternate = m_player && m_player->GetAlternateConfig();
    stream.BeginBlock();
    for (uint32_t slot = 0; slot < kSlotCount && !stream.Failed(); ++slot) {
        const bool primary = slot == kPrimarySlot || slot == kPrimaryAlternateSlot;
        const bool secondary = slot == kSecondarySlot || slot == kSecondaryAlternateSlot;
        if (!stream.IsReading()) {
            const uint32_t id = primary ? m_primarySkillId : secondary ? m_secondarySkillId : 0;
            const Skill* skill = id != 0 ? ObjectManager::Get().GetObject<Skill>(id) : nullptr;
            int32_t type = skill ? kSkillOption : kEmptySlot;
            stream.StreamInt32("storedType", type);
            if (skill) {
                std::string name = skill->GetObjectName();
                bool itemSkill = skill->IsItemSkill();
                stream.StreamString("skillName", name);
                stream.StreamBool("isItemSkill", itemSkill);
            }
            continue;
        }
        int32_t type = kEmptySlot;
        stream.StreamInt32("storedType", type);
        if (type == kPotionOption) {
            int32_t defaultType = kEmptySlot;
            stream.StreamInt32("storedDefaultType", defaultType);
        } else if (type == kSkillOption) {
            std::string name;
            bool itemSkill = false;
            stream.StreamString("skillName", name);
            stream.StreamBool("isItemSkill", itemSkill);
            const uint32_t id = m_player && !stream.Failed() ? m_player->GetSkillManager().FindSkillId(name) : 0;
            if (slot == (alternate ? kPrimaryAlternateSlot : kPrimarySlot))
                m_primarySkillId = id;
            else if (slot == (alternate ? kSecondaryAlternateSlot : kSecondarySlot))
                m_secondarySkillId = id;
        }
    }
    stream.EndBlock();
}

}  // namespace GAME
