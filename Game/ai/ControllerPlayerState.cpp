#include "Game/ai/ControllerPlayerState.h"

#include "Engine/Random.h"
#include <cstring>

#include "Engine/Engine.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/Npc.h"
#include "Game/characters/Player.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/network/ActorConfigCommands.h"
#include "Game/skills/SkillActivated.h"
#include "Game/world/FixedItem.h"
#include "Game/world/StrategicMovementBase.h"

namespace GAME {

namespace {

// How near the player must be to an NPC to talk without walking.
constexpr float kPlayerNpcTalkRange = 3.0f;
// The tolerance of every reachability test of the player's requests.
constexpr float kPlayerReachTolerance = 0.5f;
// A move click nearer than this to the player is ignored.
constexpr float kPlayerMinimumMove = 1.6f;
// An item whose approach point stays farther than this beyond reach is not walked to.
constexpr float kPlayerItemWalkLimit = 6.0f;
// The range a skill's target validation allows.
constexpr float kPlayerSkillTargetRange = 1.5f;

// Whether the object is of the class of that name or derives from it.
bool IsOfClassNamed(const Object& object, const char* name)
{
    for (const RTTI_ClassInfo* info = &object.GetClassInfo(); info; info = info->GetParent())
        if (std::strcmp(info->GetName(), name) == 0)
            return true;
    return false;
}

}  // namespace

uint32_t ControllerPlayerState::GetPlayerId() const
{
    const Player* player = GetCharacter();
    return player ? player->GetObjectId() : 0;
}

void ControllerPlayerState::EngageNpc(uint32_t npcId, bool first, bool second)
{
    GetController()->HandleAction(new EngageNpcAction(GetController()->GetParentId(), npcId, first, second));
}

// ---- Clicks ------------------------------------------------------------------------------------

bool ControllerPlayerState::SelectPrimaryAction(bool inPlace, bool second, const WorldVec3& point, uint32_t& target)
{
    Player* player = GetCharacter();
    if (!player)
        return false;
    ObjectManager& objects = ObjectManager::Get();
    if (target != 0) {
        if (const Npc* npc = objects.GetObject<Npc>(target)) {
            RequestNpcAction(inPlace, second, point, npc);
            return false;
        }
        if (const Item* item = objects.GetObject<Item>(target)) {
            RequestItemAction(inPlace, second, point, item);
            return false;
        }
        if (const FixedItem* fixedItem = objects.GetObject<FixedItem>(target)) {
            RequestFixedItemAction(inPlace, second, point, fixedItem);
            return false;
        }
        if (const StrategicMovementBase* marker = objects.GetObject<StrategicMovementBase>(target)) {
            RequestStrategicMovementAction(inPlace, second, point, marker);
            return false;
        }
    }
    const bool hotSlotsOff = player->GetPlayerHotSlotCtrl().GetDisableHotSlotsOverride();
    if (!hotSlotsOff && (target != 0 || inPlace)) {
        const HotSlotOption* option = GetController()->GetPrimarySlotOption();
        const uint32_t skillId = option ? option->GetSkillId() : 0;
        if (skillId != 0) {
            if (RequestSkillAction(inPlace, second, skillId, point, target))
                return false;
            // The request may have left the player gone.
            Player* still = GetCharacter();
            if (still &&
                RequestSkillAction(inPlace, second, still->GetSkillManager().GetDefaultSkillId(), point, target))
                return false;
        }
    }
    RequestMoveAction(inPlace, second, point);
    return true;
}

bool ControllerPlayerState::SelectSecondaryAction(bool inPlace, bool second, const WorldVec3& point, uint32_t& target)
{
    Player* player = GetCharacter();
    if (!player || player->GetPlayerHotSlotCtrl().GetDisableHotSlotsOverride())
        return false;
    const HotSlotOption* option = GetController()->GetSecondarySlotOption();
    if (!option)
        return false;
    const uint32_t skillId = option->GetSkillId();
    if (skillId != 0) {
        if (RequestSkillAction(inPlace, second, skillId, point, target))
            return false;
        const auto* skill = ObjectManager::Get().GetObject<SkillActivated>(skillId);
        Player* still = GetCharacter();
        if (skill && still && skill->UseDefaultWhenUnavailable())
            RequestSkillAction(inPlace, second, still->GetSkillManager().GetDefaultSkillId(), point, target);
        return false;
    }
    if (option->GetType() == HotSlotOption::kPotionOption &&
        player->GetPlayerHotSlotCtrl().GetSecondaryStatus() == HotSlotOptionStatus_Ready)
        player->GetPlayerHotSlotCtrl().ActivateSecondarySlot();
    return false;
}

bool ControllerPlayerState::ActivateSuperSkill(bool inPlace, bool second, const WorldVec3& point, uint32_t& target)
{
    Player* player = GetCharacter();
    if (!player)
        return false;
    PlayerHotSlotCtrl& hotSlots = player->GetPlayerHotSlotCtrl();
    if (hotSlots.GetDisableHotSlotsOverride() || !hotSlots.IsAnySlotActive())
        return false;
    const HotSlotOption* option = hotSlots.GetActiveSlotOption(true);
    if (!option)
        return false;
    return RequestSkillAction(inPlace, second, option->GetSkillId(), point, target);
}

// ---- Skills --------------------------------------------------------------------------------------

bool ControllerPlayerState::ChooseSkillTarget(uint32_t skillId, uint32_t& target) const
{
    const auto* skill = ObjectManager::Get().GetObject<SkillActivated>(skillId);
    if (!skill)
        return false;
    const ControllerPlayer& controller = *GetController();
    switch (skill->GetTargetType()) {
    case SkillTargetType_Foe:
        if (controller.GetCombatEnemy() == 0 && controller.GetCombatAlly() != 0) {
            target = 0;
            return false;
        }
        target = controller.GetCombatEnemy();
        break;
    case SkillTargetType_Friend:
        target = controller.GetCombatAlly();
        break;
    case SkillTargetType_Self:
        target = GetPlayerId();
        break;
    default:
        break;
    }
    return true;
}

bool ControllerPlayerState::DefaultRequestSkillAction(bool inPlace, bool, uint32_t skillId, const WorldVec3& point,
                                                      uint32_t& target)
{
    Player* player = GetCharacter();
    auto* skill = ObjectManager::Get().GetObject<SkillActivated>(skillId);
    if (!player || !skill)
        return false;
    const uint32_t clicked = target;
    if (!ChooseSkillTarget(skillId, target))
        return false;

    Skill_UseQuery reason = skill->GetReason();
    if (!skill->UseDefaultWhenUnavailable()) {
        if (reason == Skill_CoolingDown)
            player->PlaySkillCooldownVox(skillId);
        else if (reason == Skill_NotEnoughMana)
            player->PlayNotEnoughManaVox(skillId);
    }
    unsigned validated = target;
    if (!skill->GetValidTarget(*player, validated, point, inPlace, kPlayerSkillTargetRange))
        reason = static_cast<Skill_UseQuery>(3);
    target = validated;
    if (reason != Skill_Usable)
        return false;
    if (skillId != player->GetSkillManager().GetDefaultSkillId())
        player->ResetSkillVox();

    ObjectManager& objects = ObjectManager::Get();
    WorldVec3 aim = point;
    WorldVec3 approach = point;
    if (Character* targetCharacter = objects.GetObject<Character>(target)) {
        aim = targetCharacter->GetPathPosition();
        approach = player->GetMoveToPoint(target, skillId, aim);
    } else if (Character* clickedCharacter = objects.GetObject<Character>(clicked)) {
        approach = player->GetMoveToPoint(clicked, skillId, clickedCharacter->GetPathPosition());
    } else {
        approach = player->GetMoveToPoint(0, skillId, point);
    }
    if (!approach.IsValid())
        return false;

    const ControllerAIStateData data(target, target, skillId, aim);
    const WorldVec3 own = player->GetPathPosition();
    if (inPlace) {
        SetState("UseSkill", data);
    } else if (GetSkillUseTolerance(target) + Character::GetTargetDistance(player->GetObjectId(), target, skillId) >
                   WorldDistance(own, aim) ||
               player->GetExtents() > WorldDistance(own, approach)) {
        SetState("UseSkill", data);
    } else if (player->CanMoveTo(approach, kPlayerReachTolerance)) {
        GetController()->SetTargetPoint(point);
        SetState("MoveToUseSkill", ControllerAIStateData(target, target, skillId, approach));
    }
    GetController()->SetMouseRepeat(target, aim);
    return true;
}

bool ControllerPlayerState::UseSkillOfState()
{
    const uint32_t targetId = GetCurrentEnemy();
    const uint32_t skillId = GetCurrentSkillID();
    if (targetId != 0) {
        Character* targetCharacter = ObjectManager::Get().GetObject<Character>(targetId);
        if (!targetCharacter)
            return false;
        UseSkill(targetId, targetCharacter->GetPathPosition(), skillId, static_cast<uint32_t>(GAME::rand()),
                 TargetLeadingData());
    } else {
        UseSkill(0, GetPointOfInterest(), skillId, static_cast<uint32_t>(GAME::rand()), TargetLeadingData());
    }
    return true;
}

// ---- Objects ---------------------------------------------------------------------------------

void ControllerPlayerState::DefaultRequestNpcAction(bool, bool, const WorldVec3&, const Npc* npc)
{
    Player* player = GetCharacter();
    if (!player || !npc)
        return;
    const uint32_t npcId = npc->GetObjectId();
    if (player->NearTarget(npcId, kPlayerNpcTalkRange)) {
        SetState("TalkToNpc", ControllerAIStateData(0, npcId, 0, WorldVec3()));
        return;
    }
    Npc* other = ObjectManager::Get().GetObject<Npc>(npcId);
    if (!other)
        return;
    const WorldVec3 approach = player->GetMoveToPoint(npcId, 0, other->GetPathPosition());
    if (approach.IsValid() && player->CanMoveTo(approach, kPlayerReachTolerance))
        SetState("MoveToNpc", ControllerAIStateData(0, npcId, 0, approach));
}

void ControllerPlayerState::DefaultRequestItemAction(bool, bool, const WorldVec3& point, const Item* item)
{
    Player* player = GetCharacter();
    if (!player || !item || !item->IsInWorld())
        return;
    WorldVec3 itemPosition = item->GetCoords().GetPosition();
    if (!itemPosition.IsValid())
        itemPosition = point;
    if (!itemPosition.IsValid()) {
        gEngine->Log(LOG_WARNING, "Player tried to pick up item when item and mouse position had no valid region");
        return;
    }
    const uint32_t itemId = item->GetObjectId();
    const ControllerAIStateData pickUp(0, itemId, 0, WorldVec3());
    const float reach = player->GetExtents() + item->GetBoundingRadius() + 1.0f;
    const WorldVec3 own = player->GetPathPosition();
    if (WorldDistance(own, itemPosition) <= reach) {
        SetState("PickupItem", pickUp);
        return;
    }
    WorldVec3 approach = player->GetMoveToPoint(itemId, 0, itemPosition);
    if (!approach.IsValid() || !player->CanMoveTo(approach, kPlayerReachTolerance))
        approach = player->GetFurthestMoveToPoint(itemPosition);
    const bool questItem = IsOfClassNamed(*item, "QuestItem");
    if (approach.IsValid()) {
        if (WorldDistance(approach, itemPosition) - reach <= kPlayerItemWalkLimit) {
            if (WorldDistance(own, approach) < reach)
                SetState("PickupItem", pickUp);
            else
                SetState("MoveToItem", ControllerAIStateData(0, itemId, 0, approach));
        } else if (questItem) {
            SetState("MoveToItem", ControllerAIStateData(0, itemId, 0, approach));
        }
        return;
    }
    if (WorldDistance(own, itemPosition) - reach <= kPlayerItemWalkLimit || questItem)
        SetState("PickupItem", pickUp);
}

void ControllerPlayerState::DefaultRequestFixedItemAction(bool, bool, const WorldVec3&, const FixedItem* fixedItem)
{
    Player* player = GetCharacter();
    if (!player || !fixedItem || !fixedItem->CanIUse(player->GetObjectId()))
        return;
    const uint32_t fixedId = fixedItem->GetObjectId();
    const WorldVec3 itemPosition = fixedItem->GetCoords().GetPosition();
    const WorldVec3 approach = player->GetMoveToPoint(fixedId, 0, itemPosition);
    if (!approach.IsValid())
        return;
    const float reach = fixedItem->GetExtraReach();
    const WorldVec3 own = player->GetPathPosition();
    if (player->GetExtents() + reach >= WorldDistance(own, approach) ||
        WorldDistance(approach, itemPosition) + reach >= WorldDistance(itemPosition, own)) {
        SetState("UseFixedItem", ControllerAIStateData(0, fixedId, 0, WorldVec3()));
    } else if (player->CanMoveTo(approach, kPlayerReachTolerance)) {
        SetState("MoveToFixedItem", ControllerAIStateData(0, fixedId, 0, approach));
    }
}

void ControllerPlayerState::DefaultRequestStrategicMovementAction(bool, bool, const WorldVec3&,
                                                                  const StrategicMovementBase* marker)
{
    Player* player = GetCharacter();
    if (!player || !marker)
        return;
    const uint32_t markerId = marker->GetObjectId();
    const WorldVec3 approach = player->GetMoveToPoint(markerId, 0, marker->GetCoords().GetPosition());
    if (approach.IsValid() && player->GetExtents() >= WorldDistance(player->GetPathPosition(), approach))
        SetState("DoStrategicMovement", ControllerAIStateData(0, markerId, 0, WorldVec3()));
    else if (approach.IsValid() && player->CanMoveTo(approach, kPlayerReachTolerance))
        SetState("MoveToStrategicMovement", ControllerAIStateData(0, markerId, 0, approach));
}

void ControllerPlayerState::DefaultRequestMoveAction(bool, bool, const WorldVec3& point)
{
    Player* player = GetCharacter();
    if (!player || !point.IsValid() || WorldDistance(player->GetPathPosition(), point) < kPlayerMinimumMove)
        return;
    if (player->CanMoveTo(point, kPlayerReachTolerance)) {
        SetState("MoveTo", ControllerAIStateData(0, 0, 0, point));
        return;
    }
    const WorldVec3 furthest = player->GetFurthestMoveToPoint(point);
    if (furthest.IsValid() && player->CanMoveTo(furthest, kPlayerReachTolerance))
        SetState("MoveTo", ControllerAIStateData(0, 0, 0, furthest));
}

// ---- Item, pet and relic use ------------------------------------------------------------------

bool ControllerPlayerState::DefaultRequestUseItemAction(uint32_t itemId, bool remove)
{
    Player* player = GetCharacter();
    if (itemId == 0 || !player)
        return false;
    player->Enqueue(new UseItemConfigCmd(player->GetObjectId(), itemId, remove));
    return true;
}

bool ControllerPlayerState::DefaultRequestReleasePetAction(uint32_t petId)
{
    Player* player = GetCharacter();
    if (!player)
        return false;
    player->Enqueue(new ReleasePetConfigCmd(player->GetObjectId(), petId));
    return true;
}

bool ControllerPlayerState::DefaultRequestUseRelicAction(uint32_t relicId, uint32_t itemId)
{
    Player* player = GetCharacter();
    if (relicId == 0 || itemId == 0 || !player)
        return false;
    player->Enqueue(new UseRelicConfigCmd(player->GetObjectId(), relicId, itemId));
    return true;
}

void ControllerPlayerState::DefaultBeginImmobilizeAction() { SetState("Immobilized", ControllerAIStateData()); }
void ControllerPlayerState::DefaultBeginTrapAction() { SetState("Trapped", ControllerAIStateData()); }
void ControllerPlayerState::DefaultBeginStunAction() { SetState("Stunned", ControllerAIStateData()); }

}  // namespace GAME
