// The editor lines of the trigger action kinds, each made by name with its values read in
// by key, as a quest file would set them.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "../characters/RecordingStream.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestTargetedActions.h"

namespace GAME {

namespace {

using Values = std::vector<std::pair<const char*, const char*>>;

template <class T>
void Parse(const std::string& text, T& value)
{
    if constexpr (std::is_same_v<T, std::string>)
        value = text;
    else if constexpr (std::is_same_v<T, bool>)
        value = text == "true";
    else if constexpr (std::is_same_v<T, int32_t>)
        value = std::stoi(text);
    else if constexpr (std::is_same_v<T, float>)
        value = std::stof(text);
    else
        ADD_FAILURE() << "no text form for this value: " << text;
}

// Writes the action's keys, replaces the named values and reads them all back.
void SetValues(TriggerAction& action, const Values& values)
{
    RecordingStream stream;
    action.SerializeChildProperties(stream);
    for (const auto& [key, text] : values) {
        auto found = std::find_if(stream.entries.begin(), stream.entries.end(),
                                  [key = key](const RecordingStream::Entry& e) { return e.key == key; });
        ASSERT_NE(found, stream.entries.end()) << action.GetName() << " has no key " << key;
        std::visit([text = text](auto& value) { Parse(text, value); }, found->value);
    }
    stream.reading = true;
    action.SerializeChildProperties(stream);
}

}  // namespace

TEST(QuestActionTextTest, EveryKindDescribesItsValues)
{
    struct Case {
        const char* kind;
        Values values;
        const char* line;
    };
    const char* const npc = "Records/Creatures/Elder.dbr";
    const Case cases[] = {
        {"Action_GiveMoney", {{"moneyAmount[0]", "10"}, {"moneyAmount[1]", "20"}, {"moneyAmount[2]", "30"}},
         "Give Player {B10,20,30} gold"},
        {"Action_GiveItem", {{"item[0]", "Items/Sword.dbr"}, {"item[2]", "Items\\Axe.dbr"}},
         "Give Player Item {BSword,[empty],Axe}"},
        {"Action_GiveAttributePoints", {{"attributeAmount[0]", "1"}, {"attributeAmount[2]", "3"}},
         "Give Player {B1,0,3} attribute points"},
        {"Action_GiveSkillPoints", {{"skillAmount[1]", "2"}, {"skill", "Skills/Fire.dbr"}},
         "Give Player {B0,2,0 skill points} to {BFire}"},
        {"Action_GiveSkillPoints", {}, "Give Player {B0,0,0 skill points}"},
        {"Action_GiveExp", {{"experiencePts[0]", "-5"}}, "Give Player {B-5,0,0} Experience"},
        {"Action_DispenseItemFromNpc", {{"npc", npc}, {"item[1]", "a.dbr"}}, "Dispense Item {B[empty],a,[empty]} From NPC {BElder}"},
        {"Action_DropItemFromNpc", {{"npc", npc}}, "Drop Item {B[empty],[empty],[empty]} From {BElder}"},
        {"Action_DispenseItemFromChest", {{"chest", "Chest.dbr"}}, "Dispense Item {B[empty],[empty],[empty]} From Chest {BChest}"},
        {"Action_TaskCreatureToLocation", {{"creature", "Wolf.dbr"}, {"location", "Cave.dbr"}, {"fight", "true"}},
         "Task {BWolf} To {BCave} and {B Fight}"},
        {"Action_TaskCreatureToLocation", {}, "Task {B[empty]} To {B[empty]} and {B Don't Fight}"},
        {"Action_SpawnEntityAtLocation", {{"entity", "Boar.dbr"}, {"location", "Glade.dbr"}}, "Spawn {BBoar} At {BGlade}"},
        {"Action_BoatDialog", {{"npc", npc}}, "Boat Dialog {BElder} with target {B0, 0, 0}"},
        {"Action_OpenDoor", {{"door", "Gate.dbr"}}, "Open door {BGate}"},
        {"Action_CloseDoor", {{"door", "Gate.dbr"}}, "Close door {BGate}"},
        {"Action_LockFixedItem", {{"fixedItem", "Box.dbr"}}, "Lock Fixed Item {BBox}"},
        {"Action_UnlockFixedItem", {{"fixedItem", "Box.dbr"}}, "Unlock Fixed Item {BBox} and {BRefire}"},
        {"Action_UnlockFixedItem", {{"canReFire", "false"}}, "Unlock Fixed Item {B[empty]} and {BDon't Refire}"},
        {"Action_KillCreature", {{"creatureRecord", "Boss.dbr"}}, "Kill Creature {BBoss}"},
        {"Action_KillCreature", {}, "Kill Creature {B[empty]}"},
        {"Action_BestowTriggerToken", {{"tokenName", "Quests/Key.token"}}, "Give Token {RQuests/Key.token}"},
        {"Action_RemoveTriggerToken", {}, "Remove Token {R[empty]}"},
        {"Action_RemoveItemFromInventory", {{"itemName", "Scroll.dbr"}}, "Remove Item {BScroll} From Inventory"},
        {"Action_UpdateNPCDialog", {{"npc", npc}, {"dialogFile", "Talk/Elder2.dbr"}}, "Update {BElder}'s Dialog to {BElder2}"},
        {"Action_TalkNPC", {{"npc", npc}}, "Initiate Conversation with {BElder}"},
        {"Action_ClearNPCDialog", {{"npc", npc}}, "Clear {BElder}'s Dialog"},
        {"Action_LoadAmbientPlaylist", {{"playlist", "Forest.dbr"}}, "Load Ambient Playlist {BForest}"},
        {"Action_LoadMusicPlaylist", {{"playlist", "Battle.dbr"}}, "Load Music Playlist {BBattle}"},
        {"Action_FadeInMusic", {}, "Fade In Music"},
        {"Action_FadeOutMusic", {}, "Fade Out Music"},
        {"Action_LoadEventMusic", {{"playlist", "Victory.dbr"}}, "Play Music Event {BVictory}"},
        {"Action_PlaySoundEffect", {{"soundEffect", "Bell.dbr"}}, "Play Sound Effect {BBell}"},
        {"Action_SetCharacterInvincible", {{"npc", npc}}, "Make {BElder} invincible"},
        {"Action_NpcPlayAnimation", {{"npc", npc}, {"animation", "7"}, {"allowInterruptions", "true"}},
         "Npc {BElder} play animation {B7} and {BAllow Interruptions}"},
        {"Action_IlluminateNpc", {{"npc", npc}}, "Illuminate {BElder} as {B Primary }"},
        {"Action_IlluminateNpc", {{"npc", npc}, {"type", "2"}}, "Illuminate {BElder} as {B Secondary }"},
        {"Action_IlluminateNpc", {{"npc", npc}, {"type", "3"}}, "Illuminate {BElder} as {B Tertiary }"},
        {"Action_IlluminateNpc", {{"npc", npc}, {"type", "4"}}, "Illuminate {BElder} as {B[empty]}"},
        {"Action_HideNpc", {{"npc", npc}}, "Hide {BElder}"},
        {"Action_ShowNpc", {{"npc", npc}}, "Show {BElder}"},
        {"Action_DisableProxy", {{"proxy", "Camp.dbr"}}, "Disable proxy {BCamp}"},
        {"Action_ScreenFade", {}, "Screen Fade"},
        {"Action_TeleportPlayer", {{"xCoord", "1.5"}, {"yCoord", "-2"}, {"zCoord", "30"}, {"regionId", "4"}},
         "Teleport Player to {(1.5,-2,30)}"},
        {"Action_SetTimeOfDay", {{"timeOfDay", "6.5"}}, "Set Time Of Day to {B6.5} Hour"},
        {"Action_FadeOutEventMusic", {}, "Fade Out Event Music"},
        {"Action_DebugText", {{"debugText", "Look here. Now/then"}}, "Display Debug Text {BLook here. Now/then}"},
        {"Action_UpdateMapMarker", {}, "Update This Quest's Map Marker"},
        {"Action_ClearMapMarker", {}, "Clear This Quest's Map Marker"},
        {"Action_UpdateDialogTab", {{"dialogPak", "Paks/Tab.dbr"}}, "Update This Quest's Dialog Tab to {BTab}"},
        {"Action_UpdateJournalEntry", {{"region", "3"}, {"doComplete", "true"}}, "{BComplete} Journal Entry in Region #{B3}"},
        {"Action_UpdateJournalEntry", {}, "{BAdd} Journal Entry in Region #{B1}"},
        {"Action_BestowQuest", {{"questFile", "Q/A.qst"}}, "Bestow Quest"},
        {"Action_CompleteQuestNow", {}, "Complete Quest Now"},
        {"Action_SendTutorialEvent", {{"index", "12"}}, "Send Index {B12} to tutorial system"},
        {"Action_ScreenShake", {{"duration", "500"}, {"amplitude", "3"}}, "Screen Shake {B3} amplitude for {B500}ms"},
        {"Action_FireSkill", {{"skill", "Skills/Bolt.dbr"}, {"source", "Tower.dbr"}, {"target", "Gate.dbr"}},
         "Fire Skill {BBolt} from {BTower} to {BGate} and {BDon't Allow Interruptions}"},
    };
    std::set<std::string> kinds;
    for (const Case& c : cases) {
        std::unique_ptr<TriggerAction> action = TriggerActionFactory::Get().Create(c.kind, 0);
        ASSERT_NE(action, nullptr) << c.kind;
        SetValues(*action, c.values);
        EXPECT_EQ(action->GetDescription(), c.line) << c.kind;
        kinds.insert(c.kind);
    }
    EXPECT_EQ(kinds.size(), 48u);
}

TEST(QuestActionTextTest, RecordsShowAsTheirBareFileName)
{
    Action_BoatDialog boat(0, nullptr);
    boat.SetTargetRecord("Records\\Creatures/Old.Boatman.dbr");
    boat.SetX(-5);
    boat.SetY(12);
    boat.SetZ(300);
    EXPECT_EQ(boat.GetDescription(), "Boat Dialog {BOld.Boatman} with target {B-5, 12, 300}");
    Action_HideNpc hide(0, nullptr);
    hide.SetTargetRecord("Records/Creatures\\Guard");
    EXPECT_EQ(hide.GetDescription(), "Hide {BGuard}");
}

}  // namespace GAME
