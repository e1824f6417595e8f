#include "Game/characters/NpcSkillReallocator.h"

#include "Game/characters/Player.h"
#include "Game/core/GameEngine.h"
#include "Game/quests/DialogPak.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(NpcSkillReallocator, Npc)

void NpcSkillReallocator::Load(const LoadTable& table)
{
    Npc::Load(table);
    AttachPunctuation(kReallocationMark);
}

void NpcSkillReallocator::Dialog_ReplaceStatic(const char* recordName, Action_UpdateNPCDialog*, bool)
{
    DestroyDialogPak();
    if (MerchantDialogPak* pak = MerchantDialogPak::Spawn(recordName ? recordName : ""))
        SetCurrentDialogPak(pak);
}

void NpcSkillReallocator::OnPlayerInteract(uint32_t playerId, bool, bool)
{
    const Player* local = GetLocalPlayer();
    if (!local || local->GetObjectId() != playerId || !gGameEngine)
        return;
    if (gGameEngine->DisplaySkillReallocationWindow(GetObjectId()))
        Dialog_Hello();
}

void NpcSkillReallocator::AppendDetailMapData(std::vector<DetailMapEntry>& entries) const
{
    entries.push_back(DetailMapEntry{kMapEntryReallocator, GetGameDescription(false), GetCoords().GetPosition(),
                                     GetCoords().GetRegionCoords().zAxis});
}

void NpcSkillReallocator::Dialog_Hello()
{
    PlayMerchantDialog(MerchantDialogPak::kSelectorHello);
}

void NpcSkillReallocator::Dialog_Goodbye()
{
    PlayMerchantDialog(MerchantDialogPak::kSelectorGoodbye);
}

void NpcSkillReallocator::PlayMerchantDialog(int selector)
{
    auto* pak = dynamic_cast<MerchantDialogPak*>(GetDialogPak());
    if (!pak)
        return;
    pak->SetDialogSelector(selector);
    pak->Play(0);
}

}  // namespace GAME
