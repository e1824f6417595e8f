// A non-player character: townsfolk and quest givers. It talks to players through dialog
// paks, shows a mark (exclamation, question, anchor) or a glow over its head, can attract
// and be attracted by other characters, can live in a herd, can hand a player an item, and
// can be a boat master that carries the player elsewhere.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "Engine/UniqueId.h"
#include "Engine/World.h"
#include "Game/characters/Character.h"

namespace GAME {

class Action_IlluminateNpc;
class Action_UpdateNPCDialog;
class Actor;
class DialogPak;
class EffectEntity;
class GraphicsAnim;
class NetPacketInBuffer;
class NetPacketOutBuffer;
class Player;
struct SoundDescriptor;

class Npc : public Character {
    GAME_DECLARE_CLASS(Npc)

public:
    // Chooses the mark shown while a dialog waits to be heard.
    using DialogType = int32_t;
    static constexpr DialogType kDefaultDialogType = 4;

    static constexpr const char* kStubControllerRecord = "Records/Controllers/Player/CharacterControllerStub.dbr";
    static constexpr const char* kEditorControllerRecord = "Records/Controllers/Editor/EditorController.dbr";
    static constexpr const char* kNpcControllerRecord = "Records/Controllers/Npc/Npc2Controller.dbr";
    static constexpr const char* kHerdAnimalControllerRecord = "Records/Controllers/Npc/NpcHerdAnimalController.dbr";
    static constexpr const char* kHerderControllerRecord = "Records/Controllers/Npc/NpcHerderController.dbr";
    static constexpr const char* kNpcEffectRecord = "Records/Effects/EnvironmentFX/NPCEffect.dbr";
    static constexpr const char* kQuestion01 = "Records/Effects/ObjectEffects/Question01.dbr";
    static constexpr const char* kQuestion03 = "Records/Effects/ObjectEffects/Question03.dbr";
    static constexpr const char* kExclamation02 = "Records/Effects/ObjectEffects/Exclaimation02.dbr";
    static constexpr const char* kExclamation03 = "Records/Effects/ObjectEffects/Exclaimation03.dbr";
    static constexpr const char* kAnchor01 = "Records/Effects/ObjectEffects/Anchor01.dbr";
    // How long a conversation keeps the character from starting another.
    static constexpr int kConversationTimeMs = 1000;
    // The mark floats this high over its attach point.
    static constexpr float kPunctuationHeight = 3.0f;

    Npc();
    ~Npc() override;

    void Load(const LoadTable& table) override;
    void InitialUpdate() override;
    void UpdateSelf(int elapsedMs) override;
    void DebugRender() override;
    bool ShouldServerSpawn() const override { return true; }
    // Rolls what it wears, except on a network client (the server's roll reaches it).
    bool ShouldLoadLoot() const override { return !IsOnNetworkClient(); }
    bool IsOfInterest() const override;
    bool WillYouChat(uint32_t otherId) override;
    // A character that paths like a sheep turns as fast as it moves.
    float GetMinRotationSpeed() const override;
    float GetMaxRotationSpeed() const override;
    void AppendDetailMapData(std::vector<DetailMapEntry>& entries) const override;

    // ---- Level state and replication ------------------------------------------------
    // The interaction-changed flag, the dialog type and the dialog timer, 32 bits each.
    bool ShouldSaveState() const override { return m_interactionStateChanged; }
    void SaveState(BinaryWriter& writer) override;
    // A short buffer is logged; nothing read after the failing read is applied.
    void RestoreState(BinaryReader& reader) override;
    // Loot seed 1 (16 bits) and the nine worn item ids (32 bits each).
    void WriteReplicationData(NetPacketOutBuffer& out) const;
    // Keeps what it read only when every read succeeded (logged otherwise).
    bool ReadReplicationData(NetPacketInBuffer& in);
    // Builds the loot from what was read (the second seed stays 0).
    void ApplyReplicationData();
    const LootStruct& GetLootReplica() const { return m_lootReplica; }

    // ---- Operations kinds change ------------------------------------------------------
    // Creates the controller from the record Load chose, then forgets the record.
    virtual void LoadController();
    // A player engaged the character: a conversation, then an item it may hand out.
    virtual void OnPlayerInteract(uint32_t playerId, bool first, bool second);
    virtual Character* GetChatTarget() const { return nullptr; }
    virtual GraphicsAnim* GetAlertAnim() const { return m_alertAnim; }
    virtual float GetAlertAnimSpeed() const { return m_alertAnimSpeed; }
    virtual void PlayAlertSound() {}
    virtual void SetChatEnable(bool enabled) { m_chatEnabled = enabled; }
    virtual bool GetChatEnable() const { return m_chatEnabled; }
    virtual void Converse(uint32_t playerId);
    virtual bool Dialog_DoOverridePlaybackType() const { return false; }
    virtual void Dialog_OverridePlayback(const SoundDescriptor&) {}
    // Replaces the standing dialog with one made from the record (none for an empty
    // one), shown for the action; with `played` its primary dialog counts as heard.
    virtual void Dialog_ReplaceStatic(const char* recordName, Action_UpdateNPCDialog* action, bool played);
    virtual uint32_t GetSocialTarget() const { return m_socialTargets.empty() ? 0 : m_socialTargets.front(); }
    virtual void AddSocialTarget(uint32_t id);
    virtual void DeleteSocialTarget(uint32_t id);
    virtual void UpdateSocialTargetList() {}
    virtual bool IsChatting() const { return !m_socialTargets.empty(); }
    virtual bool CanChat() const { return true; }

    // ---- Conversation -------------------------------------------------------------------
    bool IsAvailableForConversations() const;
    bool IsInSidelineConversation() const { return m_inSidelineConversation; }
    bool IsChattingWithPlayer(uint32_t id) const;
    void OnConversationEnd(uint32_t characterId) { DeleteSocialTarget(characterId); }
    // The dialog system is done: the first social target goes, or else the first dialog
    // in play.
    void OnDialogComplete();
    void Dialog_TriggerAlert(uint32_t id);
    int GetConversationTimer() const { return m_conversationTimerMs; }

    // ---- Attraction and herds ---------------------------------------------------------
    bool IsNpcAttractor() const { return m_npcAttractor; }
    // A random wait in ms between the two record times; 0 for a character that attracts none.
    int GetAttractionTime() const;
    bool CanBeAttracted() const { return m_ignoreAttractionMs > 0 ? false : m_canBeAttracted; }
    void SetIgnoreAttractionTime(int ms) { m_ignoreAttractionMs = ms; }
    bool IsInHerd() const { return m_inHerd; }
    const std::string& GetHerderFor() const { return m_herderFor; }

    // ---- Dialogs --------------------------------------------------------------------------
    bool HasDialog() const { return m_dialogPak != nullptr; }
    DialogPak* GetDialogPak() const { return m_dialogPak; }
    void SetDialogType(DialogType type) { m_dialogType = type; }
    DialogType GetDialogType() const { return m_dialogType; }
    int GetDialogTimer() const { return m_dialogTimerMs; }
    void Dialog_Push(DialogPak* pak);
    void Dialog_Append(DialogPak* pak);
    void Dialog_Push(const std::string& recordName);
    void Dialog_Append(const std::string& recordName);
    // The first pak of the stack, taken off it; null when the stack is empty.
    DialogPak* Dialog_Pop();
    size_t GetDialogStackSize() const { return m_dialogStack.size(); }
    size_t GetDialogsInPlay() const { return m_dialogsInPlay.size(); }
    void DestroyDialogPak();
    void Dialog_Illuminate(Action_IlluminateNpc* action);
    void Dialog_Deluminate();
    Action_IlluminateNpc* GetPendingIllumination() const { return m_pendingIllumination; }
    Action_UpdateNPCDialog* GetPendingDialog() const { return m_pendingDialog; }
    bool IsInteractionStateChanged() const { return m_interactionStateChanged; }
    // 1 close by, falling to 0 about 6.5 units further than 3 away from the local player.
    float GetDialogFade() const;

    // ---- Marks over the head ----------------------------------------------------------
    void AttachPunctuation(const char* recordName);
    void DetachPunctuation();
    Actor* GetPunctuation() const { return m_punctuation; }
    const std::string& GetPunctuationRecord() const { return m_punctuationRecord; }
    void AttachIllumination(const char* recordName);
    void DetachIllumination();
    EffectEntity* GetIllumination() const { return m_illumination; }
    void SetBoatMasterPunctuation() { AttachPunctuation(kAnchor01); }

    // ---- State kept in the local player under the character's object name ----------
    void SetBoatMaster(bool on, const std::string& textTag, int x, int y, int z);
    bool IsBoatMaster() const;
    void SetPlayerNpcDialog(Action_UpdateNPCDialog* action);
    void SetPlayerNpcIllumination(Action_IlluminateNpc* action);

    // ---- Controllers, items and the rest -----------------------------------------------
    // Swaps the controller for one made from the record (not in the editor).
    void SetController(const std::string& recordName);
    void CreateController(const std::string& recordName);
    void SetDispenseItem(uint32_t playerId, const std::string& recordName) { m_dispenseItems[playerId] = recordName; }
    float GetDistanceToPlayer() const;
    bool IncludeInMap() const;
    const WorldCoords& GetHomeCoords() const { return m_homeCoords; }
    const WorldCoords& GetChatPoint() const { return m_chatPoint; }
    bool GetDebugRender() const { return m_debugRender; }
    // The identity the level placed the character under; instance groups list it by this.
    const UniqueId& GetUniqueId() const { return m_uniqueId; }
    void SetUniqueId(const UniqueId& id) { m_uniqueId = id; }
    void OnDebugRenderClick() { m_debugRender = !m_debugRender; }
    const std::string& GetMessageFileName() const { return m_messageFile; }
    const std::string& GetMessageTag() const { return m_messageTag; }
    float GetMessageScrollRate() const { return m_messageScrollRate; }
    const std::string& GetAIType() const { return m_aiType; }

protected:
    // The local player; null when there is none.
    static Player* GetLocalPlayer();
    void SetCurrentDialogPak(DialogPak* pak) { m_dialogPak = pak; }
    void SetConversationTimer(int ms) { m_conversationTimerMs = ms; }
    // A kind's own dialog replaced the standing one for the action (saved with the level).
    void SetReplacedDialog(Action_UpdateNPCDialog* action)
    {
        m_interactionStateChanged = true;
        m_pendingDialog = action;
    }

private:
    void UpdateDialog(int elapsedMs);
    void TurnPunctuationToCamera();
    void RestoreInteractionState();
    void DestroyPak(DialogPak* pak);

    std::vector<uint32_t> m_socialTargets;
    std::string m_dialogPakRecord;
    DialogPak* m_dialogPak = nullptr;
    DialogType m_dialogType = kDefaultDialogType;
    int m_dialogTimerMs = -1;
    bool m_interactionStateChanged = false;
    Action_IlluminateNpc* m_pendingIllumination = nullptr;
    Action_UpdateNPCDialog* m_pendingDialog = nullptr;
    std::string m_messageFile = "NoFile";
    std::string m_messageTag;
    float m_messageScrollRate = 1.0f;
    std::string m_aiType;
    WorldCoords m_homeCoords;
    WorldCoords m_chatPoint;
    GraphicsAnim* m_alertAnim = nullptr;
    float m_alertAnimSpeed = 1.0f;
    bool m_chatEnabled = true;
    bool m_includeInMap = false;
    std::vector<DialogPak*> m_dialogStack;
    std::vector<DialogPak*> m_dialogsInPlay;
    std::string m_npcEffectRecord = kNpcEffectRecord;
    EffectEntity* m_illumination = nullptr;
    Actor* m_punctuation = nullptr;
    std::string m_punctuationRecord;
    bool m_availableForConversations = true;
    int m_conversationTimerMs = 0;
    bool m_inSidelineConversation = false;
    bool m_inHerd = false;
    std::string m_herderFor;
    UniqueId m_uniqueId;
    bool m_npcAttractor = false;
    int m_attractionTimeMin = 0;
    int m_attractionTimeMax = 0;
    bool m_canBeAttracted = true;
    int m_ignoreAttractionMs = 0;
    bool m_debugRender = false;
    std::string m_controllerRecord;
    std::map<uint32_t, std::string> m_dispenseItems;
    LootStruct m_lootReplica;
    bool m_hasLootReplica = false;
};

}  // namespace GAME
