// Sideline conversations: short scripted exchanges among non-player characters standing
// together. A conversation record lists up to twenty lines, each a dialog tag spoken by one
// of up to four speakers; packs of conversations are enabled and disabled as a whole. The
// manager keeps which characters and which conversations are free, busy or disabled; the
// user interface starts a conversation for chosen actors, takes its lines in order and
// ends it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Engine/EventManager.h"
#include "Engine/Name.h"
#include "Engine/World.h"

namespace GAME {

class Conversation;
class LoadTable;
struct GameEvent_EnterBoundingVolume;
struct GameEvent_ExitBoundingVolume;

// A sideline conversation began: the conversation, for the user interface that shows it.
struct GameEvent_StartSidelineConversation : GameEvent {
    Conversation* conversation = nullptr;
};

class Conversation {
public:
    static constexpr int kMaxLines = 20;
    static constexpr int kMaxSpeakers = 4;
    // How often a conversation centres on its first speaker rather than the stored point.
    static constexpr float kFirstSpeakerCentreChance = 0.8f;

    Conversation() = default;
    virtual ~Conversation() = default;
    Conversation(const Conversation&) = delete;
    Conversation& operator=(const Conversation&) = delete;

    // "dialogTag"N and "dialogSpeaker"N for N = 1 .. 20.
    void Load(const LoadTable& table);
    virtual void Update(int) {}

    // The i-th conversationalist gets ids[i]; `ids` holds one per conversationalist.
    void SetConversationActors(const uint32_t* ids);
    void GetConversationActors(std::vector<uint32_t>& out) const;
    size_t GetNumberOfConversationalists() const { return m_speakers.size(); }
    void SetCenterPoint(const WorldVec3& point) { m_center = point; }
    WorldVec3 GetCenterPoint() const;
    void SetPendingDisable(bool pending) { m_pendingDisable = pending; }
    bool IsPendingDisable() const { return m_pendingDisable; }

    void OnBeginConverse();
    // Tells the actors and hands the conversation and its actors back to the manager.
    void OnEndConverse();
    // The next line's actor and tag; false (speaker 0, empty tag) after the last line.
    bool GetNextSpeakerAndSpeech(uint32_t& speaker, std::string& tag);

private:
    struct Speaker {
        int number = 0;
        uint32_t actorId = 0;
        std::vector<std::string> lines;
        size_t nextLine = 0;
    };
    // Tells every actor with an AI controller.
    template <class Call>
    void ForEachActorController(Call call) const;

    std::vector<Speaker> m_speakers;   // in speaker-number order
    std::vector<size_t> m_speechOrder; // one speaker index per line
    size_t m_nextLine = 0;
    WorldVec3 m_center;
    bool m_useFirstSpeakerAsCenter = false;
    bool m_pendingDisable = false;
};

class NpcConversationManager {
public:
    static NpcConversationManager& Get();
    // Destroys the one manager (shutdown, tests); the next Get makes a new one.
    static void Destroy();

    NpcConversationManager();
    ~NpcConversationManager();
    NpcConversationManager(const NpcConversationManager&) = delete;
    NpcConversationManager& operator=(const NpcConversationManager&) = delete;

    void OnStartConversation(Conversation* conversation, const uint32_t* actorIds, const WorldVec3& centre);
    void OnEndConversation(Conversation* conversation);
    void GetAvailableNpcsList(std::vector<uint32_t>& out) const;
    const std::vector<Conversation*>& GetAvailableConversations() const { return m_available; }
    const std::vector<Conversation*>& GetBusyConversations() const { return m_busy; }
    const std::vector<Conversation*>& GetDisabledConversations() const { return m_disabled; }
    const std::vector<Conversation*>& GetCollisionConversations() const { return m_collision; }
    const std::vector<uint32_t>& GetUnavailableNpcs() const { return m_unavailableNpcs; }

    void _EnableConversationPak(const std::string& record);
    void _EnableCollisionConversationPak(const std::string& record);
    void _DisableConversationPak(const std::string& record);
    void _DiableCollisionConversationPak(const std::string&) {}
    void Update(int) {}
    void UpdateConversations(int) {}
    void RequestCollisionConversation(uint32_t, uint32_t) {}

    // Characters: a character takes part in conversations once enabled.
    void _MakeAvailable(uint32_t id);
    void _MakeUnavailable(uint32_t id);
    void _MakeEnabled(uint32_t id);
    void _MakeDisabled(uint32_t id);
    void _MakeAvailable(Conversation* conversation);
    void _MakeUnavailable(Conversation* conversation);
    void _MakeEnabled(Conversation* conversation, bool collision);
    void _MakeDisabled(Conversation* conversation);

    void OnEnterBoundingVolume(const GameEvent_EnterBoundingVolume&) {}
    void OnExitBoundingVolume(const GameEvent_ExitBoundingVolume&) {}

private:
    struct Pak {
        Name name;
        std::vector<std::unique_ptr<Conversation>> conversations;
        bool collision = false;
    };
    void EnablePak(const std::string& record, bool collision);

    std::vector<uint32_t> m_availableNpcs;
    std::vector<uint32_t> m_unavailableNpcs;
    std::vector<Conversation*> m_busy;
    std::vector<Conversation*> m_available;
    std::vector<Conversation*> m_disabled;
    std::vector<Conversation*> m_collision;
    std::vector<std::unique_ptr<Pak>> m_paks;
    int m_counter = 0;
    GameEventListener<NpcConversationManager, GameEvent_EnterBoundingVolume> m_enterHandler;
    GameEventListener<NpcConversationManager, GameEvent_ExitBoundingVolume> m_exitHandler;
};

}  // namespace GAME
