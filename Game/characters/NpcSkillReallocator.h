// A non-player character that opens the skill reallocation window for the player who
// talks to it, greeting through a merchant dialog pak.
#pragma once

#include "Game/characters/Npc.h"

namespace GAME {

class NpcSkillReallocator : public Npc {
    GAME_DECLARE_CLASS(NpcSkillReallocator)

public:
    static constexpr const char* kReallocationMark = "Records/Effects/ObjectEffects/Reallocation01.dbr";
    static constexpr DialogType kReallocatorDialogType = 5;
    // Its kind of detail-map entry.
    static constexpr int kMapEntryReallocator = 10;

    NpcSkillReallocator() { SetDialogType(kReallocatorDialogType); }

    void Load(const LoadTable& table) override;
    // Takes a merchant pak from the record; the action and the played flag are not used
    // and no per-player state is written.
    void Dialog_ReplaceStatic(const char* recordName, Action_UpdateNPCDialog* action, bool played) override;
    bool IsOfInterest() const override { return true; }
    // Opens the window only for the local player, and greets when it opened.
    void OnPlayerInteract(uint32_t playerId, bool first, bool second) override;
    void AppendDetailMapData(std::vector<DetailMapEntry>& entries) const override;

    void Dialog_Hello();
    void Dialog_Goodbye();

private:
    void PlayMerchantDialog(int selector);
};

}  // namespace GAME
