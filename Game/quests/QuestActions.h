// Quest actions that change what a non-player character shows. The quest repository owns
// them and finds them by id, so a character restored from a save can run its saved action
// again.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "Engine/Trigger.h"

namespace GAME {

class Npc;

class QuestAction : public TriggerAction {
public:
    // The id of "no action" in saved per-player state.
    static constexpr uint32_t kNoAction = 0xffffffffu;

    explicit QuestAction(uint32_t id) : TriggerAction(id, nullptr) {}
    virtual void Execute() = 0;
    void Fire(uint32_t, bool) override { Execute(); }

protected:
    // The character in the world with that object name; null when none is.
    static Npc* FindNpc(const std::string& name);
};

// Lights up a character: 1 an exclamation mark, 2 a question mark, 3 the glow effect;
// with the deluminate flag it takes the light away instead.
class Action_IlluminateNpc : public QuestAction {
public:
    Action_IlluminateNpc(uint32_t id, std::string npcName, int kind, bool deluminate = false)
        : QuestAction(id), m_npcName(std::move(npcName)), m_kind(kind), m_deluminate(deluminate)
    {
    }
    void Execute() override;
    const char* GetName() const override { return "Action_IlluminateNpc"; }
    int GetKind() const { return m_kind; }
    bool GetDeluminate() const { return m_deluminate; }
    // The character took the light away on its own (the player talked to it).
    void SetDeluminate() { m_deluminate = true; }

private:
    std::string m_npcName;
    int m_kind;
    bool m_deluminate;
};

// Gives a character a new dialog pak.
class Action_UpdateNPCDialog : public QuestAction {
public:
    Action_UpdateNPCDialog(uint32_t id, std::string npcName, std::string dialogRecord)
        : QuestAction(id), m_npcName(std::move(npcName)), m_dialogRecord(std::move(dialogRecord))
    {
    }
    void Execute() override;
    const char* GetName() const override { return "Action_UpdateNPCDialog"; }
    // Set once the player heard the pak's primary dialog.
    void SetNoPrimaryDialog(bool value) { m_noPrimaryDialog = value; }
    bool GetNoPrimaryDialog() const { return m_noPrimaryDialog; }
    const std::string& GetDialogRecord() const { return m_dialogRecord; }

private:
    std::string m_npcName;
    std::string m_dialogRecord;
    bool m_noPrimaryDialog = false;
};

}  // namespace GAME
