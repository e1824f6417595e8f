#include "Game/characters/AmbientCharacter.h"

#include "Engine/Engine.h"
#include "Engine/LoadTable.h"
#include "Engine/Localization.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/ai/ControllerCombat.h"
#include "Game/ai/ControllerStooge.h"
#include "Game/characters/Monster.h"
#include "Game/combat/CombatManager.h"
#include "Game/core/TeamManager.h"
#include "Game/skills/Skill.h"
#include "Game/skills/SkillManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(AmbientCharacter, Character)

AmbientCharacter::~AmbientCharacter() { DestroyPendingController(); }

void AmbientCharacter::DestroyPendingController()
{
    if (Object* controller = ObjectManager::Get().GetObject(m_pendingControllerId))
        ObjectManager::Get().DestroyObjectEx(controller, "AmbientCharacter", __LINE__);
    m_pendingControllerId = 0;
}

void AmbientCharacter::Load(const LoadTable& table)
{
    Character::Load(table);

    // A client follows the server and the editor places (with the controllers monsters
    // get there); otherwise the record's type decides, and this peer drives the
    // creature's skills.
    DestroyPendingController();   // loaded again before it was attached
    ObjectManager& objects = ObjectManager::Get();
    ControllerBaseCharacter* controller = nullptr;
    if (IsOnNetworkClient()) {
        controller = objects.CreateObjectFromFile<ControllerBaseCharacter>(Monster::kStubControllerRecord);
    } else if (gEngine && gEngine->IsEditorMode()) {
        controller = objects.CreateObjectFromFile<ControllerBaseCharacter>(Monster::kEditorControllerRecord);
    } else {
        if (std::string(table.GetString("controllerType", "")) == kStoogeType)
            controller = DynamicCast<ControllerStooge>(objects.CreateObject("ControllerStooge"));
        GetSkillManager().SetAsControllingManager();
    }
    m_pendingControllerId = controller ? controller->GetObjectId() : 0;

    GetSkillManager().LoadSkills(table, kRecordSkillCount);
    // "skill1" names one of the skills the character was given.
    m_skillId1 = 0;
    const std::string skill1 = table.GetString("skill1", "");
    if (!skill1.empty())
        m_skillId1 = GetSkillManager().FindSkillId(skill1);
}

void AmbientCharacter::InitialUpdate()
{
    Character::InitialUpdate();

    if (m_pendingControllerId) {
        const uint32_t id = m_pendingControllerId;
        m_pendingControllerId = 0;
        ObjectManager& objects = ObjectManager::Get();
        if (auto* controller = objects.GetObject<ControllerBaseCharacter>(id)) {
            // A controller the character held before would be lost with its id.
            if (Object* previous = objects.GetObject(GetControllerId()); previous && previous != controller)
                objects.DestroyObjectEx(previous, "AmbientCharacter", __LINE__);
            SetControllerId(id);
            controller->AttachParent(GetObjectId());
        }
    }

    if (!GetTeam().IsInitialized())
        SetTeam(TeamManager::DefaultMonsterTeam());
}

void AmbientCharacter::UnderAttack(uint32_t attackerId)
{
    if (auto* controller = ObjectManager::Get().GetObject<ControllerCombat>(GetControllerId()))
        controller->UnderAttack(attackerId);
}

void AmbientCharacter::CreateUISummaryText(GameTextClass textClass, std::vector<GameTextLine>& lines) const
{
    LocalizationManager& texts = LocalizationManager::Instance();
    auto add = [&](const std::u16string& text) { lines.emplace_back(textClass, text, false); };
    auto blank = [&] { lines.emplace_back(GameTextClass::Default, std::u16string(), false); };

    add(texts.Format("SkillPetDescriptionHealth", GetTotalCharAttribute(CharAttributeType_Life)));
    add(texts.Format("SkillPetDescriptionMana", GetTotalCharAttribute(CharAttributeType_Mana)));
    blank();
    add(texts.Format("tagSkillPetAbilities", GetGameDescription(false)));

    bool listed = false;
    for (uint32_t id : GetSkillManager().GetUISkillList()) {
        const Skill* skill = ObjectManager::Get().GetObject<Skill>(id);
        if (!skill || skill->GetCurrentLevel() == 0 || !skill->IsPetDisplayable())
            continue;
        skill->CreateUIShortSummaryText(textClass, lines);
        blank();
        listed = true;
    }
    if (listed)
        return;

    float minimum = 0.0f, maximum = 0.0f;
    GetCombatManager().GetHandHitDamage(minimum, maximum);
    if (minimum == maximum)
        add(texts.Format("SkillPetDescriptionDamageMinOnly", minimum));
    else
        add(texts.Format("SkillPetDescriptionDamageMinMax", minimum, maximum));
    blank();
}

}  // namespace GAME
