#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestTargetedActions.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "Engine/Engine.h"
#include "Engine/IOStream.h"
#include "Engine/EventManager.h"
#include "Engine/ObjectManager.h"
#include "Engine/World.h"
#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/characters/Npc.h"
#include "Game/quests/Quest.h"
#include "Game/skills/SkillActivated.h"

namespace GAME {

namespace {

class NpcNamed : public FilterFunction<Entity> {
public:
    explicit NpcNamed(const std::string& name) : m_name(name) {}
    bool operator()(const Entity* entity) const override
    {
        return DynamicCast<Npc>(entity) && entity->GetObjectName() == m_name;
    }

private:
    const std::string& m_name;
};

#define GAME_REGISTER_ACTION(Name) const TriggerActionProducerOf<Name> k##Name##Producer(#Name);
GAME_REGISTER_ACTION(Action_GiveMoney)
GAME_REGISTER_ACTION(Action_GiveItem)
GAME_REGISTER_ACTION(Action_DispenseItemFromNpc)
GAME_REGISTER_ACTION(Action_DropItemFromNpc)
GAME_REGISTER_ACTION(Action_DispenseItemFromChest)
GAME_REGISTER_ACTION(Action_TaskCreatureToLocation)
GAME_REGISTER_ACTION(Action_SpawnEntityAtLocation)
GAME_REGISTER_ACTION(Action_BoatDialog)
GAME_REGISTER_ACTION(Action_OpenDoor)
GAME_REGISTER_ACTION(Action_CloseDoor)
GAME_REGISTER_ACTION(Action_LockFixedItem)
GAME_REGISTER_ACTION(Action_UnlockFixedItem)
GAME_REGISTER_ACTION(Action_GiveAttributePoints)
GAME_REGISTER_ACTION(Action_GiveSkillPoints)
GAME_REGISTER_ACTION(Action_KillCreature)
GAME_REGISTER_ACTION(Action_GiveExp)
GAME_REGISTER_ACTION(Action_BestowTriggerToken)
GAME_REGISTER_ACTION(Action_RemoveTriggerToken)
GAME_REGISTER_ACTION(Action_RemoveItemFromInventory)
GAME_REGISTER_ACTION(Action_UpdateNPCDialog)
GAME_REGISTER_ACTION(Action_TalkNPC)
GAME_REGISTER_ACTION(Action_ClearNPCDialog)
GAME_REGISTER_ACTION(Action_LoadAmbientPlaylist)
GAME_REGISTER_ACTION(Action_LoadMusicPlaylist)
GAME_REGISTER_ACTION(Action_FadeInMusic)
GAME_REGISTER_ACTION(Action_FadeOutMusic)
GAME_REGISTER_ACTION(Action_LoadEventMusic)
GAME_REGISTER_ACTION(Action_PlaySoundEffect)
GAME_REGISTER_ACTION(Action_SetCharacterInvincible)
GAME_REGISTER_ACTION(Action_NpcPlayAnimation)
GAME_REGISTER_ACTION(Action_IlluminateNpc)
GAME_REGISTER_ACTION(Action_HideNpc)
GAME_REGISTER_ACTION(Action_ShowNpc)
GAME_REGISTER_ACTION(Action_DisableProxy)
GAME_REGISTER_ACTION(Action_ScreenFade)
GAME_REGISTER_ACTION(Action_TeleportPlayer)
GAME_REGISTER_ACTION(Action_SetTimeOfDay)
GAME_REGISTER_ACTION(Action_FadeOutEventMusic)
GAME_REGISTER_ACTION(Action_DebugText)
GAME_REGISTER_ACTION(Action_UpdateMapMarker)
GAME_REGISTER_ACTION(Action_ClearMapMarker)
GAME_REGISTER_ACTION(Action_UpdateDialogTab)
GAME_REGISTER_ACTION(Action_UpdateJournalEntry)
GAME_REGISTER_ACTION(Action_BestowQuest)
GAME_REGISTER_ACTION(Action_CompleteQuestNow)
GAME_REGISTER_ACTION(Action_SendTutorialEvent)
GAME_REGISTER_ACTION(Action_ScreenShake)
GAME_REGISTER_ACTION(Action_FireSkill)
#undef GAME_REGISTER_ACTION

// Seconds from a record as whole milliseconds, truncated, held to 0 .. about eleven days
// so that a broken value cannot overflow the conversion.
int32_t QuestActionMilliseconds(float seconds)
{
    if (!(seconds > 0.0f))
        return 0;
    return SecondsToMs(std::min(seconds, 1.0e6f));
}

}  // namespace

Npc* QuestAction::FindNpc(const std::string& name)
{
    std::vector<Entity*> found;
    World::Get().GetEntities(found, NpcNamed(name), EntityList_All);
    return found.empty() ? nullptr : DynamicCast<Npc>(found.front());
}

int QuestAction::DifficultyIndex()
{
    const int difficulty = gGameEngine ? static_cast<int>(gGameEngine->GetGameDifficulty()) : 0;
    return std::clamp(difficulty, 0, 2);
}

Player* QuestAction::FindLocalPlayer()
{
    return gGameEngine ? ObjectManager::Get().GetObject<Player>(gGameEngine->GetPlayerId()) : nullptr;
}

Quest* QuestAction::FindOwningQuest() const
{
    const auto* step = m_parent ? dynamic_cast<const QuestStep*>(m_parent->GetParent()) : nullptr;
    return step ? step->GetParent() : nullptr;
}

void PendingQuestAction::StreamChildProperties(IOStream& stream)
{
    stream.StreamBool("isPendingFire", m_pendingFire);
}

void OneStringAction::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString(m_key, m_value);
}

void Action_ScreenFade::SerializeChildProperties(IOStream& stream)
{
    stream.StreamFloat("fadeInOutInSecs", m_fadeInOut);
    stream.StreamFloat("blackoutInSecs", m_blackout);
}

void Action_TeleportPlayer::SerializeChildProperties(IOStream& stream)
{
    stream.StreamFloat("xCoord", m_x);
    stream.StreamFloat("yCoord", m_y);
    stream.StreamFloat("zCoord", m_z);
    stream.StreamInt32("regionId", m_regionId);
}

void Action_SetTimeOfDay::SerializeChildProperties(IOStream& stream)
{
    stream.StreamFloat("timeOfDay", m_timeOfDay);
    stream.StreamInt32("enableTimeProgression", m_enableProgression);
}

void Action_FadeOutEventMusic::SerializeChildProperties(IOStream& stream)
{
    stream.StreamFloat("timeInSecs", m_timeInSecs);
}

void Action_UpdateMapMarker::SerializeChildProperties(IOStream& stream)
{
    stream.StreamString("descriptionTag", m_descriptionTag);
    stream.StreamString("bulletPointTag", m_bulletPointTag);
    stream.StreamBool("doComplete", m_doComplete);
    stream.StreamBool("doSound", m_doSound);
}

void Action_ClearMapMarker::SerializeChildProperties(IOStream& stream)
{
    stream.StreamBool("doSound", m_doSound);
}

void Action_UpdateJournalEntry::SerializeChildProperties(IOStream& stream)
{
    stream.StreamInt32("region", m_region);
    stream.StreamString("locationTag", m_locationTag);
    stream.StreamString("titleTag", m_titleTag);
    stream.StreamString("fullTextTag", m_fullTextTag);
    stream.StreamBool("doComplete", m_doComplete);
    stream.StreamBool("doSound", m_doSound);
}

void Action_SendTutorialEvent::SerializeChildProperties(IOStream& stream)
{
    stream.StreamInt32("index", m_index);
}

void Action_ScreenShake::SerializeChildProperties(IOStream& stream)
{
    stream.StreamInt32("duration", m_duration);
    stream.StreamInt32("amplitude", m_amplitude);
}

void Action_UpdateMapMarker::Fire(uint32_t, bool reFire)
{
    if (m_parent)
        m_parent->UpdateContainerUI(m_descriptionTag, m_bulletPointTag, m_doComplete,
                                    m_doComplete && m_doSound && !reFire, !reFire);
}

void Action_ClearMapMarker::Fire(uint32_t, bool reFire)
{
    if (m_parent)
        m_parent->UpdateContainerUI("", "", false, m_doSound && !reFire, !reFire);
}

void Action_UpdateDialogTab::Fire(uint32_t, bool)
{
    if (m_parent)
        m_parent->UpdateDialogTab(m_value);
}

void Action_BestowQuest::Fire(uint32_t, bool)
{
    GameEvent_InheritQuest event;
    event.handle = Name::Create(m_value);
    EventManager::Get().Send(event, "GameEvent_InheritQuest");
}

void Action_CompleteQuestNow::Fire(uint32_t, bool reFire)
{
    GameEvent_CompleteQuestNow event;
    event.questFile = m_value;
    event.flagA = !reFire;
    event.flagB = !reFire;
    EventManager::Get().Send(event, "GameEvent_CompleteQuestNow");
}

void Action_ScreenFade::Fire(uint32_t, bool)
{
    GameEvent_ScreenFade event;
    event.fadeMs = QuestActionMilliseconds(m_fadeInOut);
    event.blackoutMs = QuestActionMilliseconds(m_blackout);
    EventManager::Get().Send(event, "GameEvent_ScreenFade");
}

void Action_TeleportPlayer::Fire(uint32_t, bool)
{
    GameEvent_TeleportPlayer event;
    event.x = m_x;
    event.y = m_y;
    event.z = m_z;
    event.regionId = m_regionId;
    EventManager::Get().Send(event, "GameEvent_TeleportPlayer");
}

void Action_ScreenShake::Fire(uint32_t, bool)
{
    if (m_duration == 0 || m_amplitude == 0)
        return;
    GameEvent_CameraShake event;
    event.durationMs = static_cast<float>(m_duration);
    event.amplitude = static_cast<float>(m_amplitude);
    EventManager::Get().Send(event, "GameEvent_CameraShake");
}

}  // namespace GAME
