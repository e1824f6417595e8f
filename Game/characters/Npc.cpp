#include "Game/characters/Npc.h"

#include <algorithm>
#include <cmath>

#include "Engine/Engine.h"
#include "Engine/EventManager.h"
#include "Engine/LoadTable.h"
#include "Engine/NetPacketBuffer.h"
#include "Engine/ObjectManager.h"
#include "Game/ai/ControllerBaseCharacter.h"
#include "Game/characters/CharacterActions.h"
#include "Game/characters/NpcHerdRegistry.h"
#include "Game/characters/Player.h"
#include "Game/core/ActivityManager.h"
#include "Game/core/GameEngine.h"
#include "Game/core/GameEvents.h"
#include "Game/core/GameUIInterface.h"
#include "Game/core/TeleportConfirmActivity.h"
#include "Game/core/foundation/BinaryReader.h"
#include "Game/core/foundation/BinaryWriter.h"
#include "Game/core/foundation/MathUtil.h"
#include "Game/items/Item.h"
#include "Game/quests/DialogPak.h"
#include "Game/quests/QuestActions.h"
#include "Game/quests/QuestTargetedActions.h"
#include "Game/quests/QuestRepository.h"
#include "Game/skills/SkillManager.h"
#include "Game/world/EffectEntity.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Npc, Character)

namespace {

// The kinds of detail-map entry a character adds.
constexpr int kMapEntryNpc = 2;

void Destroy(Object* object, int line)
{
    if (object)
        ObjectManager::Get().DestroyObjectEx(object, "Npc", line);
}

// The id a player's saved state keeps for an action; "none" without one.
template <class Action>
uint32_t ActionId(const Action* action)
{
    return action ? action->GetId() : QuestAction::kNoAction;
}

// Makes the saved action pending and runs it again. An id that names no action of that
// kind (the quest file changed since the save) is logged and skipped.
template <class Action>
void RunSavedAction(const QuestRepository& quests, const std::string& npcName, const char* what, uint32_t id,
                    Action*& pending)
{
    if (id == QuestAction::kNoAction)
        return;
    auto* action = dynamic_cast<Action*>(quests.FindActionById(id));
    if (!action) {
        gEngine->Log(LOG_WARNING, "Npc %s: saved %s action %u is not a quest action; skipped", npcName.c_str(), what,
                     id);
        return;
    }
    pending = action;
    action->Execute();
}

}  // namespace

Npc::Npc()
{
    SetPathMass(5.0f);
}

Npc::~Npc()
{
    DestroyDialogPak();
    DetachPunctuation();
    DetachIllumination();
}

Player* Npc::GetLocalPlayer()
{
    return gGameEngine ? gGameEngine->GetMainPlayer() : nullptr;
}

// ---- Load and the first update ------------------------------------------------------------

void Npc::Load(const LoadTable& table)
{
    Character::Load(table);
    m_messageFile = table.GetString("messageFileName", "NoFile");
    m_messageScrollRate = table.GetFloat("messageScrollRate", 1.0f);
    m_messageTag = table.GetString("messageDialogTag", "");
    m_aiType = table.GetString("AIType", "");
    m_alertAnim = LoadAnimation(table.GetString("alertAnim", ""));
    m_alertAnimSpeed = table.GetFloat("alertAnimSpeed", 1.0f);
    m_npcEffectRecord = kNpcEffectRecord;
    m_availableForConversations = table.GetBool("isAvailableForConversations", true);
    m_includeInMap = table.GetBool("IncludeInMap", false);
    m_inHerd = table.GetBool("isInHerd", false);
    m_herderFor = table.GetString("isHerderFor", "");
    m_npcAttractor = table.GetBool("isNpcAttractor", false);
    if (m_npcAttractor) {
        m_attractionTimeMin = table.GetInt("attractionTimeMin", 3);
        m_attractionTimeMax = table.GetInt("attractionTimeMax", 4);
    }
    m_canBeAttracted = table.GetBool("canBeAttracted", true);
    m_dialogPakRecord = table.GetString("dialogPak", "");

    if (IsOnNetworkClient()) {
        m_controllerRecord = kStubControllerRecord;
        SetIsControllingCharacter(false);
    } else {
        m_controllerRecord = gEngine && gEngine->IsEditorMode() ? kEditorControllerRecord : kNpcControllerRecord;
        SetIsControllingCharacter(true);
    }
    LoadController();
}

void Npc::LoadController()
{
    Destroy(ObjectManager::Get().GetObject(GetControllerId()), __LINE__);
    SetControllerId(0);
    if (auto* controller = ObjectManager::Get().CreateObjectFromFile<ControllerBaseCharacter>(m_controllerRecord))
        SetControllerId(controller->GetObjectId());
    m_controllerRecord.clear();
}

void Npc::InitialUpdate()
{
    const bool editor = gEngine && gEngine->IsEditorMode();
    if (!editor && !m_dialogPakRecord.empty())
        Dialog_ReplaceStatic(m_dialogPakRecord.c_str(), nullptr, false);
    if (Controller* controller = ObjectManager::Get().GetObject<Controller>(GetControllerId()))
        controller->AttachParent(GetObjectId());
    RestoreInteractionState();
    Character::InitialUpdate();

    m_homeCoords = GetCoords();
    Coords chat = m_homeCoords.GetRegionCoords();
    chat.origin += chat.zAxis * 2.0f;
    m_chatPoint = WorldCoords(m_homeCoords.GetRegion(), chat);

    if (m_inHerd)
        NpcHerdRegistry::Get().AddHerdAnimal(GetObjectName(), *this);
    else if (!m_herderFor.empty())
        NpcHerdRegistry::Get().AddHerder(m_herderFor, GetObjectId());
}

// A saved action id that names no action (the quest file changed since) is logged and
// skipped: the character then simply shows no mark for it.
void Npc::RestoreInteractionState()
{
    Player* player = GetLocalPlayer();
    if (!player)
        return;
    const std::string& name = GetObjectName();
    const QuestRepository& quests = *QuestRepository::Get();

    NpcIlluminationData illumination;
    if (player->GetNpcIllumination(name, illumination))
        RunSavedAction(quests, name, "illumination", illumination.value, m_pendingIllumination);
    NpcDialogData dialog;
    if (player->GetNpcDialog(name, dialog))
        RunSavedAction(quests, name, "dialog", dialog.value, m_pendingDialog);
    if (player->IsBoatMaster(name))
        AttachPunctuation(kAnchor01);
}

// ---- The frame -------------------------------------------------------------------------------

void Npc::UpdateSelf(int elapsedMs)
{
    Character::UpdateSelf(elapsedMs);
    UpdateDialog(elapsedMs);
    if (m_conversationTimerMs > 0)
        m_conversationTimerMs -= elapsedMs;
    if (m_ignoreAttractionMs > 0)
        m_ignoreAttractionMs -= elapsedMs;
    TurnPunctuationToCamera();
}

void Npc::UpdateDialog(int elapsedMs)
{
    if (m_dialogTimerMs > 0) {
        m_dialogTimerMs -= elapsedMs;
        if (m_dialogTimerMs < 1) {
            m_dialogTimerMs = 0;
            if (m_dialogPak) {
                if (m_dialogType == kDefaultDialogType)
                    AttachPunctuation(kQuestion01);
                m_dialogPak->Finish();
            }
        }
    }
    if (m_dialogPak && m_dialogPak->IsPlaying()) {
        const Player* player = GetLocalPlayer();
        if (player && player->GetRegion() && GetRegion()) {
            const Vec3 apart = player->GetCoords().GetPosition().ToWorldSpace() - GetCoords().GetPosition().ToWorldSpace();
            const float range = m_dialogPak->GetRange();
            if (apart.LengthSquared() > range * range)
                m_dialogPak->Finish();
        }
    }
}

// The mark turns about the vertical axis to face the camera and floats over the head.
void Npc::TurnPunctuationToCamera()
{
    if (!m_punctuation || !gGameEngine)
        return;
    const WorldCoords& camera = gGameEngine->GetCamera().GetCoords();
    if (!camera.GetRegion() || !GetRegion())
        return;
    Vec3 view = camera.GetRegionCoords().zAxis;
    view.y = 0.0f;
    Vec3 toCamera(-view.x, 0.0f, -view.z);
    const float length = toCamera.Length();
    float angle = 0.0f;
    if (length > 0.0f) {
        toCamera = toCamera * (1.0f / length);
        const Vec3 forward(0.0f, 0.0f, 1.0f);
        angle = std::acos(std::clamp(Dot(forward, toCamera), -1.0f, 1.0f));
        if (CrossProduct(forward, toCamera).y < 0.0f)
            angle = -angle;
    }
    Coords placed = Coords::MakeRotation(Vec3(0.0f, 1.0f, 0.0f), angle);
    placed.origin = GetAttachPointPosition(Name("Head")).GetRegionPosition() + Vec3(0.0f, kPunctuationHeight, 0.0f);
    World::Get().AddEntity(m_punctuation, WorldCoords(GetRegion(), placed));
}

void Npc::DebugRender()
{
    Character::DebugRender();
}

// ---- Conversation ------------------------------------------------------------------------

bool Npc::IsAvailableForConversations() const
{
    return m_availableForConversations && !m_inSidelineConversation && m_conversationTimerMs < 1;
}

bool Npc::IsChattingWithPlayer(uint32_t id) const
{
    return std::find(m_socialTargets.begin(), m_socialTargets.end(), id) != m_socialTargets.end();
}

bool Npc::WillYouChat(uint32_t otherId)
{
    m_socialTargets.push_back(otherId);
    return true;
}

void Npc::AddSocialTarget(uint32_t id)
{
    if (!IsChattingWithPlayer(id))
        m_socialTargets.push_back(id);
}

void Npc::DeleteSocialTarget(uint32_t id)
{
    m_socialTargets.erase(std::remove(m_socialTargets.begin(), m_socialTargets.end(), id), m_socialTargets.end());
}

void Npc::OnDialogComplete()
{
    if (!m_socialTargets.empty())
        m_socialTargets.erase(m_socialTargets.begin());
    else if (!m_dialogsInPlay.empty())
        m_dialogsInPlay.erase(m_dialogsInPlay.begin());
}

void Npc::Converse(uint32_t playerId)
{
    Player* local = GetLocalPlayer();
    const bool isLocal = local && local->GetObjectId() == playerId;
    if (IsBoatMaster() && isLocal) {
        // The player's entry names the destination (a point in the world) and the text
        // of the question; the player confirms before being carried there.
        BoatMasterData entry;
        if (!local->GetBoatMaster(GetObjectName(), entry)) {
            gEngine->Log(LOG_WARNING, "Npc %s: boat master without a destination", GetObjectName().c_str());
            return;
        }
        const Vec3 point(static_cast<float>(entry.values[0]), static_cast<float>(entry.values[1]),
                         static_cast<float>(entry.values[2]));
        if (Region* region = World::Get().GetRegionContaining(point)) {
            auto* activity = new TeleportConfirmActivity();
            activity->Set(WorldVec3(region, point - region->GetOffset()), entry.destination);
            ActivityManager::Get()->InstallActivity(activity);
        } else {
            gEngine->Log(LOG_WARNING, "Npc %s: no region holds the boat master's destination",
                         GetObjectName().c_str());
        }
        return;
    }
    if (!IsAvailableForConversations())
        return;
    m_conversationTimerMs = kConversationTimeMs;
    QuestRepository& quests = *QuestRepository::Get();
    if (isLocal && m_dialogPak)
        quests.EnableDelayedActions(true);

    GameEvent_ConversationBegin begin;
    begin.npcName = GetObjectName();
    begin.playerId = playerId;
    EventManager::Get().Send(begin, "GameEvent_ConversationBegin");

    if (!isLocal)
        return;
    bool keepDelayedActions = false;
    if (DialogPak* next = Dialog_Pop())
        m_dialogsInPlay.push_back(next);
    if (m_dialogPak) {
        GameUIInterface* ui = gGameEngine ? gGameEngine->GetUI() : nullptr;
        if (ui)
            keepDelayedActions = !ui->ShowNpcDialog(m_dialogPak, playerId, GetObjectId());
        Dialog_Deluminate();
        m_dialogTimerMs = SecondsToMs(m_dialogPak->GetLength());
        if (m_pendingDialog)
            m_pendingDialog->SetNoPrimaryDialog(true);
    }
    if (!keepDelayedActions)
        quests.EnableDelayedActions(false);
}

void Npc::OnPlayerInteract(uint32_t playerId, bool, bool)
{
    Converse(playerId);
    const auto dispense = m_dispenseItems.find(playerId);
    if (dispense == m_dispenseItems.end())
        return;
    const Player* local = GetLocalPlayer();
    if (local && local->HasItem(dispense->second))
        return;
    ItemReplicaInfo replica;
    replica.baseName = dispense->second;
    if (Item* item = Item::CreateItem(replica))
        DropItem(item, 0.5f, 0.5f);
    else
        gEngine->Log(LOG_WARNING, "Npc %s: cannot make the item \"%s\" to hand out", GetObjectName().c_str(),
                     dispense->second.c_str());
}

void Npc::Dialog_TriggerAlert(uint32_t id)
{
    if (!ObjectManager::Get().GetObject<Character>(id))
        return;
    if (auto* controller = ObjectManager::Get().GetObject<ControllerBaseCharacter>(GetControllerId()))
        controller->HandleAction(new LongIdleAction(GetObjectId()));
    GameEvent_ConversationAlert alert;
    alert.npcId = GetObjectId();
    EventManager::Get().Send(alert, "GameEvent_ConversationAlert");
}

// ---- Dialogs ------------------------------------------------------------------------------

void Npc::Dialog_Push(DialogPak* pak)
{
    if (pak)
        m_dialogStack.insert(m_dialogStack.begin(), pak);
}

void Npc::Dialog_Append(DialogPak* pak)
{
    if (pak)
        m_dialogStack.push_back(pak);
}

void Npc::Dialog_Push(const std::string& recordName)
{
    Dialog_Push(NpcDialogPak::Spawn(recordName));
}

void Npc::Dialog_Append(const std::string& recordName)
{
    Dialog_Append(NpcDialogPak::Spawn(recordName));
}

DialogPak* Npc::Dialog_Pop()
{
    if (m_dialogStack.empty())
        return nullptr;
    DialogPak* first = m_dialogStack.front();
    m_dialogStack.erase(m_dialogStack.begin());
    return first;
}

void Npc::DestroyPak(DialogPak* pak)
{
    if (!pak)
        return;
    GameUIInterface* ui = gGameEngine ? gGameEngine->GetUI() : nullptr;
    if (ui && ui->IsShowingNpcDialog(pak))
        ui->CloseNpcDialog(pak);
    Destroy(pak, __LINE__);
}

void Npc::DestroyDialogPak()
{
    DestroyPak(m_dialogPak);
    m_dialogPak = nullptr;
}

void Npc::Dialog_ReplaceStatic(const char* recordName, Action_UpdateNPCDialog* action, bool played)
{
    if (IsBoatMaster())
        return;
    SetPlayerNpcDialog(action);
    NpcDialogPak* pak = recordName && *recordName ? NpcDialogPak::Spawn(recordName) : nullptr;
    m_interactionStateChanged = true;
    DestroyDialogPak();
    if (pak) {
        m_dialogPak = pak;
        if (m_dialogType == kDefaultDialogType || !m_pendingIllumination || played) {
            AttachPunctuation(m_dialogType == kDefaultDialogType ? kQuestion01 : kExclamation03);
            if (Dialog* primary = played ? pak->GetPrimaryDialog() : nullptr)
                primary->SetHasBeenPlayed(true);
        }
    } else {
        DetachPunctuation();
    }
    m_pendingDialog = action;
}

void Npc::Dialog_Illuminate(Action_IlluminateNpc* action)
{
    SetPlayerNpcIllumination(action);
    if (action && action->GetDeluminate()) {
        Dialog_Deluminate();
        return;
    }
    m_interactionStateChanged = true;
    m_pendingIllumination = action;
    DetachPunctuation();
    switch (action ? action->GetKind() : 0) {
        case 1: AttachPunctuation(kExclamation02); break;
        case 2: AttachPunctuation(kQuestion01); break;
        case 3: AttachIllumination(m_npcEffectRecord.c_str()); break;
        default: break;
    }
}

void Npc::Dialog_Deluminate()
{
    m_interactionStateChanged = true;
    switch (m_dialogType) {
        case 1: AttachPunctuation(kExclamation03); break;
        case 2:
        case 4: AttachPunctuation(kQuestion03); break;
        case 3: DetachIllumination(); break;
        default: break;
    }
    if (m_pendingIllumination)
        m_pendingIllumination->SetDeluminate();
    m_pendingIllumination = nullptr;
}

float Npc::GetDialogFade() const
{
    const Player* player = GetLocalPlayer();
    if (!player)
        return 0.0f;
    const Vec3 apart = player->GetCoords().GetPosition().ToWorldSpace() - GetCoords().GetPosition().ToWorldSpace();
    return std::clamp(1.0f - (apart.LengthSquared() - 9.0f) * 0.02366864f, 0.0f, 1.0f);
}

// ---- Marks over the head ---------------------------------------------------------------------

void Npc::AttachPunctuation(const char* recordName)
{
    if (!recordName || m_punctuationRecord == recordName)
        return;
    DetachPunctuation();
    m_punctuation = ObjectManager::Get().CreateObjectFromFile<Actor>(recordName);
    if (!m_punctuation)
        return;
    m_punctuationRecord = recordName;
    Attach(m_punctuation, Coords::MakeTranslation(Vec3(0.0f, kPunctuationHeight, 0.0f)), Name("Head"));
}

void Npc::DetachPunctuation()
{
    Destroy(m_punctuation, __LINE__);
    m_punctuation = nullptr;
    m_punctuationRecord.clear();
}

void Npc::AttachIllumination(const char* recordName)
{
    if (m_illumination || !recordName)
        return;
    m_illumination = ObjectManager::Get().CreateObjectFromFile<EffectEntity>(recordName);
    if (!m_illumination)
        return;
    Attach(m_illumination, Coords(), Name());
    m_illumination->StartEmitting();
}

void Npc::DetachIllumination()
{
    if (!m_illumination)
        return;
    m_illumination->StopEmitting();
    Detach(m_illumination);
    Destroy(m_illumination, __LINE__);
    m_illumination = nullptr;
}

// ---- State kept in the local player --------------------------------------------------------

void Npc::SetBoatMaster(bool on, const std::string& textTag, int x, int y, int z)
{
    Player* player = GetLocalPlayer();
    if (!player || !on)
        return;
    BoatMasterData data;
    data.name = GetObjectName();
    data.destination = textTag;
    data.values[0] = x;
    data.values[1] = y;
    data.values[2] = z;
    player->AddBoatMaster(data);
    SetBoatMasterPunctuation();
}

bool Npc::IsBoatMaster() const
{
    const Player* player = GetLocalPlayer();
    return player && player->IsBoatMaster(GetObjectName());
}

void Npc::SetPlayerNpcDialog(Action_UpdateNPCDialog* action)
{
    Player* player = GetLocalPlayer();
    if (!player)
        return;
    player->RemoveNpcDialog(GetObjectName());
    player->AddNpcDialog(NpcDialogData{GetObjectName(), ActionId(action)});
}

void Npc::SetPlayerNpcIllumination(Action_IlluminateNpc* action)
{
    Player* player = GetLocalPlayer();
    if (!player)
        return;
    player->RemoveNpcIllumination(GetObjectName());
    player->AddNpcIllumination(NpcIlluminationData{GetObjectName(), ActionId(action)});
}

// ---- Controllers, attraction and the map ------------------------------------------------------

void Npc::SetController(const std::string& recordName)
{
    if (gEngine && gEngine->IsEditorMode())
        return;
    Destroy(ObjectManager::Get().GetObject(GetControllerId()), __LINE__);
    SetControllerId(0);
    CreateController(recordName);
    GetSkillManager().SetAsControllingManager();
}

void Npc::CreateController(const std::string& recordName)
{
    auto* controller = ObjectManager::Get().CreateObjectFromFile<ControllerBaseCharacter>(recordName);
    if (!controller)
        return;
    SetControllerId(controller->GetObjectId());
    controller->AttachParent(GetObjectId());
}

int Npc::GetAttractionTime() const
{
    if (!m_npcAttractor)
        return 0;
    const int low = WholeSecondsToMs(m_attractionTimeMin);
    const int high = std::max(low, WholeSecondsToMs(m_attractionTimeMax));
    return gGameEngine ? gGameEngine->GetRandomGen().IGenerate(low, high) : low;
}

float Npc::GetDistanceToPlayer() const
{
    const Player* player = GetLocalPlayer();
    if (!player)
        return 0.0f;
    return (player->GetCoords().GetPosition().ToWorldSpace() - GetCoords().GetPosition().ToWorldSpace()).Length();
}

float Npc::GetMinRotationSpeed() const
{
    if (GetPathGenerationStyle() != CharacterPathGenerationStyle::Sheep)
        return Character::GetMinRotationSpeed();
    return GetMotion().Length() * 0.25f * 3.0f;
}

float Npc::GetMaxRotationSpeed() const
{
    if (GetPathGenerationStyle() != CharacterPathGenerationStyle::Sheep)
        return Character::GetMaxRotationSpeed();
    return GetMotion().Length() * 0.25f * 9.0f;
}

bool Npc::IncludeInMap() const
{
    return m_includeInMap && GetVisibility();
}

bool Npc::IsOfInterest() const
{
    return m_dialogPak != nullptr || IsBoatMaster();
}

void Npc::AppendDetailMapData(std::vector<DetailMapEntry>& entries) const
{
    if (!IncludeInMap())
        return;
    const Coords& coords = GetCoords().GetRegionCoords();
    entries.push_back(DetailMapEntry{kMapEntryNpc, GetGameDescription(false), GetCoords().GetPosition(), coords.zAxis});
}

// ---- Level state and replication ---------------------------------------------------------------

void Npc::SaveState(BinaryWriter& writer)
{
    writer.WriteBool(m_interactionStateChanged);
    writer.WriteUInt32(static_cast<uint32_t>(m_dialogType));
    writer.WriteUInt32(static_cast<uint32_t>(m_dialogTimerMs));
}

void Npc::RestoreState(BinaryReader& reader)
{
    const bool changed = reader.ReadBool();
    const auto type = static_cast<DialogType>(reader.ReadUInt32());
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Npc %s: level state too short; nothing restored", GetObjectName().c_str());
        return;
    }
    m_interactionStateChanged = changed;
    m_dialogType = type;
    RestoreInteractionState();
    const auto timer = static_cast<int32_t>(reader.ReadUInt32());
    if (reader.HasFailed()) {
        gEngine->Log(LOG_WARNING, "Npc %s: level state ends before the dialog timer; timer kept",
                     GetObjectName().c_str());
        return;
    }
    m_dialogTimerMs = timer;
}

void Npc::WriteReplicationData(NetPacketOutBuffer& out) const
{
    const LootStruct& loot = GetLootInfo();
    unsigned int seed = loot.seed;
    out.Add16Bit(&seed);
    for (uint32_t id : loot.itemIds)
        out.AddU32(id);
}

bool Npc::ReadReplicationData(NetPacketInBuffer& in)
{
    m_hasLootReplica = false;
    LootStruct replica;
    unsigned int seed = 0;
    in.Remove16Bit(&seed);
    for (uint32_t& id : replica.itemIds)
        id = in.RemoveU32();
    if (!in.IsOk()) {
        gEngine->Log(LOG_WARNING, "Npc %s: replication image unreadable (%s); nothing kept", GetObjectName().c_str(),
                     in.GetError().c_str());
        return false;
    }
    replica.seed = static_cast<uint16_t>(seed);
    m_lootReplica = replica;
    m_hasLootReplica = true;
    return true;
}

void Npc::ApplyReplicationData()
{
    if (!m_hasLootReplica) {
        gEngine->Log(LOG_WARNING, "Npc %s: no replication image to apply", GetObjectName().c_str());
        return;
    }
    m_hasLootReplica = false;
    LoadLootFromStruct(m_lootReplica);
}

}  // namespace GAME
