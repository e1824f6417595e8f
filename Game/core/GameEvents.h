// Game events the game core sends and receives through the event manager. Each is sent
// under its own name, which is the structure's name.
#pragma once

#include <cstdint>
#include <string>

#include "Engine/EventManager.h"
#include "Engine/World.h"

namespace GAME {

// A creature started dying: its record name, its id and the id of its killer.
struct GameEvent_CreatureDeath : GameEvent {
    std::string objectName;
    uint32_t objectId = 0;
    uint32_t attackerId = 0;
};

// An entity entered or left a trigger volume: the volume's id, then the entity's.
struct GameEvent_EnterBoundingVolume : GameEvent {
    uint32_t volumeId = 0;
    uint32_t entityId = 0;
};
struct GameEvent_ExitBoundingVolume : GameEvent {
    uint32_t volumeId = 0;
    uint32_t entityId = 0;
};

// What the three generic entity events carry: the designer object's name in the level
// and its id.
struct GenericEntityEvent : GameEvent {
    std::string objectName;
    uint32_t objectId = 0;
};
// A designer object of the level was loaded (sent under "GameEvent_GenericEntitySpawn").
struct GameEvent_GenericEntitySpawn : GenericEntityEvent {};
// It had its first update ("GameEvent_GenericEntityInitialUpdate").
struct GameEvent_GenericEntityInitialUpdate : GenericEntityEvent {};
// It was destroyed ("GameEvent_GenericEntityDestroy").
struct GameEvent_GenericEntityDestroy : GenericEntityEvent {};

// A creature's controller made it start dying: its id.
struct GameEvent_CreatureStartDeath : GameEvent {
    uint32_t objectId = 0;
};

// A creature entered the world (its first update): its record name, its id and whether
// it is a player.
struct GameEvent_CreatureSpawn : GameEvent {
    std::string objectName;
    uint32_t objectId = 0;
    bool isPlayer = false;
};

// A creature finished its first update: its id and record name.
struct GameEvent_CreatureInitialUpdate : GameEvent {
    uint32_t objectId = 0;
    std::string objectName;
};

// The game is about to run its first frame (the host sends it once the level is loaded).
struct GameEvent_PreRun : GameEvent {};

// A party invitation for this machine's player, from the inviting player.
struct GameEvent_InviteToParty : GameEvent {
    uint32_t inviterId = 0;
};

// A tutorial page was unlocked.
struct GameEvent_TutorialUnlock : GameEvent {
    uint32_t page = 0;
};

// A character gained skill points to spend: the character's object id.
struct GameEvent_PlayerSkillUp : GameEvent {
    uint32_t objectId = 0;
};

// A character reached a new level: the character's object id.
struct GameEvent_PlayerLevelUp : GameEvent {
    uint32_t objectId = 0;
};

// The game balance level changed.
struct GameEvent_GameBalanceLevel : GameEvent {
    int32_t level = 0;
};

// A line of text that floats up from an object (a critical hit's damage), shown in a
// style of the game-wide record.
struct GameEvent_FloatingText : GameEvent {
    uint32_t objectId = 0;
    WorldVec3 position;
    std::string style;
    std::u16string text;
};

// A character finished the move or the animation a quest ordered: its record name.
struct GameEvent_MoveCompleted : GameEvent {
    std::string objectName;
};
struct GameEvent_AnimationCompleted : GameEvent {
    std::string objectName;
};

// A quest was completed: its handle and the two flags its completion was given.
struct GameEvent_QuestComplete : GameEvent {
    Name handle;
    bool flagA = false;
    bool flagB = false;
};

// ---- quests ----
// A quest became active (its first step completed): its handle.
struct GameEvent_InheritQuest : GameEvent {
    Name handle;
};
// A quest can no longer be solved here: its handle.
struct GameEvent_QuestUnsolvable : GameEvent {
    Name handle;
};
// Every quest was dropped (a new game).
struct GameEvent_QuestReset : GameEvent {};
// Asks the quest of that file to complete at once, with the two completion flags.
struct GameEvent_CompleteQuestNow : GameEvent {
    std::string questFile;
    bool flagA = false;
    bool flagB = false;
};
// A quest's trigger changed its map marker: the quest's handle, two texts, three flags.
struct GameEvent_UpdateMapMarker : GameEvent {
    Name handle;
    std::string first;
    std::string second;
    bool flags[3] = {false, false, false};
};
// A quest's trigger changed its dialog tab: the quest's handle and the text.
struct GameEvent_UpdateDialogTab : GameEvent {
    Name handle;
    std::string text;
};
// A quest reward was given (or shown again from the saved ones, `simulated`).
struct GameEvent_Reward : GameEvent {
    bool simulated = false;
    Name questName;
    int32_t region = 0;
    std::string locationTag;
    std::string titleTag;
    std::u16string text;
};
// A quest fades the screen out and in: both times in milliseconds, the colour faded to
// (red, green, blue, alpha).
struct GameEvent_ScreenFade : GameEvent {
    int32_t fadeMs = 0;
    int32_t blackoutMs = 0;
    float color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};
// A quest moves the player: where to, and the region id (-1: the current one).
struct GameEvent_TeleportPlayer : GameEvent {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    int32_t regionId = -1;
};
// A quest's trigger wrote its journal entry: the quest's handle, where and what (tags), the
// quest's rewards for the current difficulty, and whether the entry completes the quest and
// plays its sound.
struct GameEvent_UpdateJournal : GameEvent {
    Name handle;
    int32_t region = 1;
    std::string locationTag;
    std::string titleTag;
    std::string fullTextTag;
    std::string rewardItemTag;
    int32_t rewardGold = 0;
    int32_t rewardExperience = 0;
    int32_t rewardSkillPoints = 0;
    int32_t rewardAttributePoints = 0;
    bool doComplete = false;
    bool doSound = true;
};
// ---- end of quests ----


// A quest's state changed; the flag is handed on to the quest save.
struct GameEvent_QuestUpdate : GameEvent {
    bool flag = false;
};

// A player received a trigger token: the player's object id and the token's name.
struct GameEvent_GotToken : GameEvent {
    uint32_t objectId = 0;
    std::string tokenName;
};

// A banner of text across the screen (a quest's reward announces itself so): the text,
// where it stands, its colour (red, green, blue, alpha) and three timings in milliseconds.
struct GameEvent_ShowTextBanner : GameEvent {
    std::u16string text;
    float x = 0.0f;
    float y = 0.0f;
    float color[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    float times[3] = {0.0f, 0.0f, 0.0f};
};

// A player talked to a merchant: the user interface opens the merchant's shop for the player.
struct GameEvent_ActivateNPCMarket : GameEvent {
    uint32_t merchantId = 0;
    uint32_t playerId = 0;
};

// ---- conversations ----
// A player started talking to a non-player character.
struct GameEvent_ConversationBegin : GameEvent {
    std::string npcName;
    uint32_t playerId = 0;
};
// A non-player character was alerted by another character.
struct GameEvent_ConversationAlert : GameEvent {
    uint32_t npcId = 0;
};
// ---- end of conversations ----

// ---- script points ----
// A point placed for a scripted character: where it is, the character it is meant for
// (by object name) and its place in that character's sequence.
struct GameEvent_ScriptPoint : GameEvent {
    WorldCoords coords;
    std::string characterName;
    int32_t sequenceNum = 0;
};
// ---- end of script points ----

}  // namespace GAME
