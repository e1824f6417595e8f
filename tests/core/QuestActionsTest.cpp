// The trigger action kinds: each is made by name, writes its keys in order with their
// defaults, reads back what it wrote, and answers the re-fire and delay questions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../characters/RecordingStream.h"
#include "Engine/EventManager.h"
#include "Game/core/GameEvents.h"
#include "Game/skills/SkillActivated.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestTargetedActions.h"

namespace GAME {

namespace {

std::string Text(const RecordingStream::Value& value)
{
    struct Visitor {
        std::string operator()(const UniqueId&) const { return "id"; }
        std::string operator()(const std::u16string&) const { return "w"; }
        std::string operator()(bool v) const { return v ? "true" : "false"; }
        std::string operator()(uint32_t v) const { return std::to_string(v) + "u"; }
        std::string operator()(const std::string& v) const { return "'" + v + "'"; }
        std::string operator()(float v) const { return std::to_string(v); }
        std::string operator()(int32_t v) const { return std::to_string(v); }
    };
    return std::visit(Visitor{}, value);
}

// "key=value" per entry, joined by spaces.
std::string Written(const RecordingStream& stream)
{
    std::string out;
    for (const RecordingStream::Entry& entry : stream.entries)
        out += (out.empty() ? "" : " ") + entry.key + "=" + Text(entry.value);
    return out;
}

struct ActionCase {
    const char* name;
    const char* keys;
    bool canReFire;
    bool canDelay;
    const char* state;
};

const char* const kReward = "region=1 locationTag='' titleTag=''";
const char* const kPending = "isPendingFire=false";

std::string Join(const std::string& a, const std::string& b) { return a.empty() ? b : a + " " + b; }

const std::vector<ActionCase>& Cases()
{
    static const std::string money = Join("moneyAmount[0]=0 moneyAmount[1]=0 moneyAmount[2]=0", kReward);
    static const std::string item = Join("item[0]='' item[1]='' item[2]=''", kReward);
    static const std::string attr = Join("attributeAmount[0]=0 attributeAmount[1]=0 attributeAmount[2]=0", kReward);
    static const std::string skill =
        Join("skillAmount[0]=0 skillAmount[1]=0 skillAmount[2]=0 skill=''", kReward);
    static const std::string exp = Join("experiencePts[0]=0 experiencePts[1]=0 experiencePts[2]=0", kReward);
    static const std::vector<ActionCase> cases = {
        {"Action_GiveMoney", money.c_str(), false, true, ""},
        {"Action_GiveItem", item.c_str(), false, true, ""},
        {"Action_GiveAttributePoints", attr.c_str(), false, true, ""},
        {"Action_GiveSkillPoints", skill.c_str(), false, true, ""},
        {"Action_GiveExp", exp.c_str(), false, true, ""},
        {"Action_DispenseItemFromNpc", "npc='' item[0]='' item[1]='' item[2]=''", true, true, kPending},
        {"Action_DropItemFromNpc", "npc='' item[0]='' item[1]='' item[2]=''", false, true, kPending},
        {"Action_DispenseItemFromChest", "chest='' item[0]='' item[1]='' item[2]=''", true, true, kPending},
        {"Action_TaskCreatureToLocation", "creature='' location='' fight=false canReFire=true", true, true, kPending},
        {"Action_SpawnEntityAtLocation", "entity='' location=''", false, true, kPending},
        {"Action_BoatDialog", "npc='' onOff=false tag=''", true, true, ""},
        {"Action_OpenDoor", "door='' canReFire=true", true, true, ""},
        {"Action_CloseDoor", "door='' canReFire=true", true, true, ""},
        {"Action_LockFixedItem", "fixedItem=''", false, true, ""},
        {"Action_UnlockFixedItem", "fixedItem='' canReFire=true", true, true, ""},
        {"Action_KillCreature", "creatureRecord='' canReFire=true", false, false, ""},
        {"Action_BestowTriggerToken", "tokenName=''", false, false, ""},
        {"Action_RemoveTriggerToken", "tokenName=''", false, false, ""},
        {"Action_RemoveItemFromInventory", "itemName=''", false, false, ""},
        {"Action_UpdateNPCDialog", "npc='' dialogFile=''", true, false, "isPendingFire=false noPrimaryDialog=false"},
        {"Action_TalkNPC", "npc=''", false, false, ""},
        {"Action_ClearNPCDialog", "npc=''", true, true, kPending},
        {"Action_LoadAmbientPlaylist", "playlist=''", false, true, ""},
        {"Action_LoadMusicPlaylist", "playlist=''", false, true, ""},
        {"Action_FadeInMusic", "", false, true, ""},
        {"Action_FadeOutMusic", "", false, true, ""},
        {"Action_LoadEventMusic", "playlist=''", false, true, ""},
        {"Action_PlaySoundEffect", "soundEffect=''", false, true, ""},
        {"Action_SetCharacterInvincible", "npc='' invincible=true canReFire=true", true, false, kPending},
        {"Action_NpcPlayAnimation", "npc='' animation=0 allowInterruptions=false looping=false", false, true, kPending},
        {"Action_IlluminateNpc", "npc='' type=1", true, true, "isPendingFire=false isDeluminate=false"},
        {"Action_HideNpc", "npc='' canReFire=true", true, false, kPending},
        {"Action_ShowNpc", "npc='' canReFire=true", true, false, kPending},
        {"Action_DisableProxy", "proxy=''", true, false, kPending},
        {"Action_ScreenFade", "fadeInOutInSecs=0.000000 blackoutInSecs=0.000000", false, true, ""},
        {"Action_TeleportPlayer", "xCoord=0.000000 yCoord=0.000000 zCoord=0.000000 regionId=-1", false, true, ""},
        {"Action_SetTimeOfDay", "timeOfDay=0.000000 enableTimeProgression=1", false, false, ""},
        {"Action_FadeOutEventMusic", "timeInSecs=0.000000", false, true, ""},
        {"Action_DebugText", "debugText=''", false, false, ""},
        {"Action_UpdateMapMarker", "descriptionTag='' bulletPointTag='' doComplete=false doSound=true", true, true, ""},
        {"Action_ClearMapMarker", "doSound=true", true, true, ""},
        {"Action_UpdateDialogTab", "dialogPak=''", true, true, ""},
        {"Action_UpdateJournalEntry",
         "region=1 locationTag='' titleTag='' fullTextTag='' doComplete=false doSound=true", true, true, ""},
        {"Action_BestowQuest", "questFile=''", false, false, ""},
        {"Action_CompleteQuestNow", "questFile=''", true, true, ""},
        {"Action_SendTutorialEvent", "index=0", false, true, ""},
        {"Action_ScreenShake", "duration=0 amplitude=0", false, false, ""},
        {"Action_FireSkill", "skill='' source='' target='' allowInterruptions=false", false, true, ""},
    };
    return cases;
}

// Every value changed from its default, so that a read that drops a key shows.
RecordingStream::Value Changed(const RecordingStream::Value& value)
{
    struct Visitor {
        RecordingStream::Value operator()(const UniqueId& v) const { return v; }
        RecordingStream::Value operator()(const std::u16string& v) const { return v + u"x"; }
        RecordingStream::Value operator()(bool v) const { return !v; }
        RecordingStream::Value operator()(uint32_t v) const { return v + 7; }
        RecordingStream::Value operator()(const std::string& v) const { return v + "Records/X.dbr"; }
        RecordingStream::Value operator()(float v) const { return v + 2.5f; }
        RecordingStream::Value operator()(int32_t v) const { return v + 7; }
    };
    return std::visit(Visitor{}, value);
}

// Records what the actions ask of the step that holds their trigger.
struct MarkerLog : TriggerContainer {
    void RemoveTrigger(Trigger*) override {}
    void MoveUp(Trigger*) override {}
    void MoveDown(Trigger*) override {}
    void UpdateContainerUI(const std::string& a, const std::string& b, bool x, bool y, bool z) override
    {
        calls.push_back(a + "|" + b + "|" + std::to_string(x) + std::to_string(y) + std::to_string(z));
    }
    void UpdateDialogTab(const std::string& text) override { calls.push_back("tab " + text); }
    void FireAction(TriggerAction*, uint32_t) override {}
    void SetDirty() override {}
    std::vector<std::string> calls;
};

}  // namespace

TEST(QuestActions, MarkerAndTabActionsPlaySoundOnlyWhenFirstFired)
{
    MarkerLog log;
    Trigger trigger(1);
    trigger.SetParent(&log);
    Action_UpdateMapMarker marker(0, &trigger);
    marker.SetDescriptionTag("tagA");
    marker.SetBulletPointTag("tagB");
    marker.SetDoComplete(1);
    marker.Fire(0, false);
    marker.Fire(0, true);
    Action_ClearMapMarker clear(0, &trigger);
    clear.Fire(0, false);
    Action_UpdateDialogTab tab(0, &trigger);
    tab.SetValue("Records/Dialog/Tab.dbr");
    tab.Fire(0, false);
    EXPECT_EQ(log.calls, (std::vector<std::string>{"tagA|tagB|111", "tagA|tagB|100", "||011",
                                                   "tab Records/Dialog/Tab.dbr"}));
}

TEST(QuestActions, ScreenAndQuestEventsCarryTheirValues)
{
    EventCapture capture;
    capture.Keep<GameEvent_ScreenFade>("GameEvent_ScreenFade");
    capture.Keep<GameEvent_CameraShake>("GameEvent_CameraShake");
    capture.Keep<GameEvent_CompleteQuestNow>("GameEvent_CompleteQuestNow");

    Action_ScreenFade fade(0, nullptr);
    fade.SetFadeInOut(1.5f);
    fade.SetBlackout(-3.0f);
    fade.Fire(0, false);
    fade.SetFadeInOut(1.0e30f);
    fade.Fire(0, false);
    fade.SetFadeInOut(2.0009f);   // 2000.9 ms: truncated, not rounded
    fade.Fire(0, false);
    auto fades = capture.Kept<GameEvent_ScreenFade>("GameEvent_ScreenFade");
    ASSERT_EQ(fades.size(), 3u);
    EXPECT_EQ(fades[0].fadeMs, 1500);
    EXPECT_EQ(fades[0].blackoutMs, 0);
    EXPECT_EQ(fades[0].color[3], 1.0f);
    EXPECT_GT(fades[1].fadeMs, 0);
    EXPECT_EQ(fades[2].fadeMs, 2000);

    Action_ScreenShake shake(0, nullptr);
    shake.SetDuration(250);
    shake.Fire(0, false);  // no amplitude: nothing
    shake.SetAmplitude(2);
    shake.Fire(0, false);
    auto shakes = capture.Kept<GameEvent_CameraShake>("GameEvent_CameraShake");
    ASSERT_EQ(shakes.size(), 1u);
    EXPECT_EQ(shakes[0].durationMs, 250.0f);
    EXPECT_EQ(shakes[0].amplitude, 2.0f);

    Action_CompleteQuestNow complete(0, nullptr);
    complete.SetValue("Quests/A.qst");
    complete.Fire(0, false);
    complete.Fire(0, true);
    auto completes = capture.Kept<GameEvent_CompleteQuestNow>("GameEvent_CompleteQuestNow");
    ASSERT_EQ(completes.size(), 2u);
    EXPECT_EQ(completes[0].questFile, "Quests/A.qst");
    EXPECT_TRUE(completes[0].flagA && completes[0].flagB);
    EXPECT_FALSE(completes[1].flagA || completes[1].flagB);
}

TEST(QuestActions, EveryKindPersistsItsKeysInOrderWithDefaults)
{
    ASSERT_EQ(Cases().size(), 48u);
    for (const ActionCase& c : Cases()) {
        SCOPED_TRACE(c.name);
        auto action = TriggerActionFactory::Get().Create(c.name, 0x01020304u);
        ASSERT_NE(action, nullptr);
        EXPECT_STREQ(action->GetName(), c.name);
        EXPECT_EQ(action->GetId(), 0x01020304u);
        EXPECT_EQ(action->GetParent(), nullptr);
        EXPECT_EQ(action->CanReFire(), c.canReFire);
        EXPECT_EQ(action->CanDelay(), c.canDelay);

        RecordingStream written;
        action->SerializeChildProperties(written);
        EXPECT_EQ(Written(written), c.keys);
        RecordingStream state;
        action->StreamChildProperties(state);
        EXPECT_EQ(Written(state), c.state);

        // Read changed values into a fresh action; it writes them back unchanged.
        RecordingStream changed = written;
        for (RecordingStream::Entry& entry : changed.entries)
            entry.value = Changed(entry.value);
        changed.reading = true;
        auto read = TriggerActionFactory::Get().Create(c.name, 0);
        read->SerializeChildProperties(changed);
        RecordingStream again;
        read->SerializeChildProperties(again);
        changed.reading = false;
        EXPECT_EQ(Written(again), Written(changed));
    }
}

TEST(QuestActions, TokenActionsMatchAndForgetTheirTokenExactly)
{
    for (const char* name : {"Action_BestowTriggerToken", "Action_RemoveTriggerToken"}) {
        SCOPED_TRACE(name);
        auto action = TriggerActionFactory::Get().Create(name, 0);
        static_cast<OneStringAction&>(*action).SetValue("Key");
        EXPECT_TRUE(action->ContainsToken("Key"));
        EXPECT_FALSE(action->ContainsToken("key"));
        action->RemoveTokenReferences("key");
        EXPECT_TRUE(action->ContainsToken("Key"));
        action->RemoveTokenReferences("Key");
        EXPECT_FALSE(action->ContainsToken("Key"));
        EXPECT_STREQ(static_cast<OneStringAction&>(*action).GetValue(), "");
    }
}

TEST(QuestActions, ConversionsOfMarkerAndTimeSetters)
{
    Action_UpdateMapMarker marker(0, nullptr);
    EXPECT_TRUE(marker.m_flag);
    for (int value : {-1, 0}) {
        marker.SetDoComplete(value);
        EXPECT_EQ(marker.GetDoComplete(), 0);
    }
    marker.SetDoComplete(5);
    EXPECT_EQ(marker.GetDoComplete(), 1);

    Action_SetTimeOfDay time(0, nullptr);
    time.SetEnableProgression(false);
    RecordingStream stream;
    time.SerializeChildProperties(stream);
    EXPECT_EQ(Written(stream), "timeOfDay=0.000000 enableTimeProgression=0");
}

// The setters named after the persisted keys store what the keys then write.
TEST(QuestActions, NamedSettersStoreTheirKeys)
{
    Action_OpenDoor door(0, nullptr);
    door.SetDoor("Records/Door.dbr");
    door.SetCanReFire(false);
    Action_GiveMoney money(0, nullptr);
    money.SetMoneyAmountNormal(1);
    money.SetMoneyAmountEpic(2);
    money.SetMoneyAmountLegendary(3);
    Action_NpcPlayAnimation play(0, nullptr);
    play.SetNpc("Records/Npc.dbr");
    play.SetAnimation(4);
    play.SetAllowInterruptions(true);
    play.SetLooping(true);
    Action_LoadMusicPlaylist music(0, nullptr);
    music.SetPlaylist("Music.pl");
    Action_FireSkill skill(0, nullptr);
    skill.SetSkill("Records/Skill.dbr");
    skill.SetSource("Records/A.dbr");
    skill.SetTarget("Records/B.dbr");
    std::string written;
    for (TriggerAction* action : std::initializer_list<TriggerAction*>{&door, &money, &play, &music, &skill}) {
        RecordingStream stream;
        action->SerializeChildProperties(stream);
        written += Written(stream) + "\n";
    }
    EXPECT_EQ(written, "door='Records/Door.dbr' canReFire=false\n"
                       "moneyAmount[0]=1 moneyAmount[1]=2 moneyAmount[2]=3 region=1 locationTag='' titleTag=''\n"
                       "npc='Records/Npc.dbr' animation=4 allowInterruptions=true looping=true\n"
                       "playlist='Music.pl'\n"
                       "skill='Records/Skill.dbr' source='Records/A.dbr' target='Records/B.dbr' allowInterruptions=false\n");
    EXPECT_STREQ(door.GetDoor(), "Records/Door.dbr");
    EXPECT_EQ(money.GetMoneyAmountLegendary(), 3);
}

}  // namespace GAME
