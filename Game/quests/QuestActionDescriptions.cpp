// The one-line editor descriptions of the trigger actions. The markup is the one the trigger
// conditions use: "{B" opens bold, "{R" opens red and "}" closes either; a record is shown as
// its file stem and an empty record as "[empty]".
#include <cstdio>
#include <string>

#include "Game/core/foundation/StringUtil.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestConditions.h"
#include "Game/quests/QuestTargetedActions.h"

namespace GAME {

namespace {

// "{B" stem "}" of a record, after `prefix`.
std::string BoldRecord(const char* prefix, const std::string& record)
{
    return QuestCondition::DescribeRecord(prefix, record);
}

// "{B" text "}" of a value shown as written.
std::string BoldText(const std::string& text)
{
    return "{B" + text + "}";
}

std::string RecordStem(const std::string& record)
{
    return record.empty() ? std::string("[empty]") : GetFileName(record, true);
}

std::string ItemStems(const std::string (&items)[3])
{
    return "{B" + RecordStem(items[0]) + "," + RecordStem(items[1]) + "," + RecordStem(items[2]) + "}";
}

std::string AllowInterruptionsText(bool allow)
{
    return BoldText(allow ? "Allow Interruptions" : "Don't Allow Interruptions");
}

}  // namespace

// ---- Rewards -----------------------------------------------------------------------------

std::string AmountRewardAction::DescribeAmounts() const
{
    return IntToString(m_amount[0]) + "," + IntToString(m_amount[1]) + "," + IntToString(m_amount[2]);
}

std::string Action_GiveMoney::GetDescription() const
{
    return "Give Player {B" + DescribeAmounts() + "} gold";
}

std::string Action_GiveAttributePoints::GetDescription() const
{
    return "Give Player {B" + DescribeAmounts() + "} attribute points";
}

std::string Action_GiveExp::GetDescription() const
{
    return "Give Player {B" + DescribeAmounts() + "} Experience";
}

std::string Action_GiveSkillPoints::GetDescription() const
{
    std::string text = "Give Player {B" + DescribeAmounts() + " skill points}";
    if (!m_skill.empty())
        text += BoldRecord(" to ", m_skill);
    return text;
}

std::string Action_GiveItem::GetDescription() const
{
    return "Give Player Item " + ItemStems(m_item);
}

// ---- Actions on a target -----------------------------------------------------------------

std::string Action_DispenseItemFromNpc::GetDescription() const
{
    return "Dispense Item " + ItemStems(m_item) + BoldRecord(" From NPC ", m_record);
}

std::string Action_DropItemFromNpc::GetDescription() const
{
    return "Drop Item " + ItemStems(m_item) + BoldRecord(" From ", m_record);
}

std::string Action_DispenseItemFromChest::GetDescription() const
{
    return "Dispense Item " + ItemStems(m_item) + BoldRecord(" From Chest ", m_record);
}

std::string Action_TaskCreatureToLocation::GetDescription() const
{
    return BoldRecord("Task ", m_record) + BoldRecord(" To ", m_location) + " and " +
           BoldText(m_fight ? " Fight" : " Don't Fight");
}

std::string Action_SpawnEntityAtLocation::GetDescription() const
{
    return BoldRecord("Spawn ", m_entity) + BoldRecord(" At ", m_record);
}

std::string Action_BoatDialog::GetDescription() const
{
    char target[64];
    std::snprintf(target, sizeof(target), "%d, %d, %d", m_x, m_y, m_z);
    return BoldRecord("Boat Dialog ", m_record) + " with target " + BoldText(target);
}

std::string Action_OpenDoor::GetDescription() const
{
    return BoldRecord("Open door ", m_record);
}

std::string Action_CloseDoor::GetDescription() const
{
    return BoldRecord("Close door ", m_record);
}

std::string Action_LockFixedItem::GetDescription() const
{
    return BoldRecord("Lock Fixed Item ", m_record);
}

std::string Action_UnlockFixedItem::GetDescription() const
{
    return BoldRecord("Unlock Fixed Item ", m_record) + " and " + BoldText(m_canReFire ? "Refire" : "Don't Refire");
}

std::string Action_KillCreature::GetDescription() const
{
    return BoldRecord("Kill Creature ", m_record);
}

std::string Action_UpdateNPCDialog::GetDescription() const
{
    return BoldRecord("Update ", m_record) + BoldRecord("'s Dialog to ", m_dialogRecord);
}

std::string Action_TalkNPC::GetDescription() const
{
    return BoldRecord("Initiate Conversation with ", m_record);
}

std::string Action_ClearNPCDialog::GetDescription() const
{
    return BoldRecord("Clear ", m_record) + "'s Dialog";
}

std::string Action_SetCharacterInvincible::GetDescription() const
{
    return BoldRecord("Make ", m_record) + " invincible";
}

std::string Action_NpcPlayAnimation::GetDescription() const
{
    return BoldRecord("Npc ", m_record) + " play animation " + BoldText(IntToString(m_animation)) + " and " +
           AllowInterruptionsText(m_allowInterruptions);
}

// The marker word by kind; any other kind shows as an empty field.
std::string Action_IlluminateNpc::GetDescription() const
{
    const char* marker = m_kind == 1 ? " Primary " : m_kind == 2 ? " Secondary " : m_kind == 3 ? " Tertiary " : "[empty]";
    return BoldRecord("Illuminate ", m_record) + " as " + BoldText(marker);
}

std::string Action_HideNpc::GetDescription() const
{
    return BoldRecord("Hide ", m_record);
}

std::string Action_ShowNpc::GetDescription() const
{
    return BoldRecord("Show ", m_record);
}

std::string Action_DisableProxy::GetDescription() const
{
    return BoldRecord("Disable proxy ", m_record);
}

std::string Action_FireSkill::GetDescription() const
{
    return BoldRecord("Fire Skill ", m_skill) + BoldRecord(" from ", m_source) + BoldRecord(" to ", m_record) +
           " and " + AllowInterruptionsText(m_allowInterruptions);
}

// ---- Tokens, items, sound ----------------------------------------------------------------

// Token names are shown whole, in red.
std::string Action_BestowTriggerToken::GetDescription() const
{
    return "Give Token {R" + (m_value.empty() ? std::string("[empty]") : m_value) + "}";
}

std::string Action_RemoveTriggerToken::GetDescription() const
{
    return "Remove Token {R" + (m_value.empty() ? std::string("[empty]") : m_value) + "}";
}

std::string Action_RemoveItemFromInventory::GetDescription() const
{
    return BoldRecord("Remove Item ", m_value) + " From Inventory";
}

std::string Action_LoadAmbientPlaylist::GetDescription() const
{
    return BoldRecord("Load Ambient Playlist ", m_value);
}

std::string Action_LoadMusicPlaylist::GetDescription() const
{
    return BoldRecord("Load Music Playlist ", m_value);
}

std::string Action_LoadEventMusic::GetDescription() const
{
    return BoldRecord("Play Music Event ", m_value);
}

std::string Action_PlaySoundEffect::GetDescription() const
{
    return BoldRecord("Play Sound Effect ", m_value);
}

// A designer's line is not a record: shown as written.
std::string Action_DebugText::GetDescription() const
{
    return "Display Debug Text " + BoldText(m_value.empty() ? std::string("[empty]") : m_value);
}

std::string Action_UpdateDialogTab::GetDescription() const
{
    return BoldRecord("Update This Quest's Dialog Tab to ", m_value);
}

// ---- World, screen, quest and journal ----------------------------------------------------

std::string Action_SetTimeOfDay::GetDescription() const
{
    return "Set Time Of Day to " + BoldText(FloatToString(m_timeOfDay)) + " Hour";
}

std::string Action_SendTutorialEvent::GetDescription() const
{
    return "Send Index " + BoldText(IntToString(m_index)) + " to tutorial system";
}

std::string Action_ScreenShake::GetDescription() const
{
    return "Screen Shake " + BoldText(IntToString(m_amplitude)) + " amplitude for " +
           BoldText(IntToString(m_duration)) + "ms";
}

// The region is not part of the line.
std::string Action_TeleportPlayer::GetDescription() const
{
    return "Teleport Player to {(" + FloatToString(m_x) + "," + FloatToString(m_y) + "," + FloatToString(m_z) + ")}";
}

std::string Action_UpdateJournalEntry::GetDescription() const
{
    return BoldText(m_doComplete ? "Complete" : "Add") + " Journal Entry in Region #" + BoldText(IntToString(m_region));
}

std::string Action_FadeInMusic::GetDescription() const
{
    return "Fade In Music";
}

std::string Action_FadeOutMusic::GetDescription() const
{
    return "Fade Out Music";
}

std::string Action_FadeOutEventMusic::GetDescription() const
{
    return "Fade Out Event Music";
}

std::string Action_ScreenFade::GetDescription() const
{
    return "Screen Fade";
}

std::string Action_UpdateMapMarker::GetDescription() const
{
    return "Update This Quest's Map Marker";
}

std::string Action_ClearMapMarker::GetDescription() const
{
    return "Clear This Quest's Map Marker";
}

std::string Action_BestowQuest::GetDescription() const
{
    return "Bestow Quest";
}

std::string Action_CompleteQuestNow::GetDescription() const
{
    return "Complete Quest Now";
}

}  // namespace GAME
