#include "Game/quests/DialogPak.h"

#include "Engine/LoadTable.h"
#include "Engine/ObjectManager.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(DialogPak, Object)
GAME_IMPLEMENT_CLASS(NpcDialogPak, DialogPak)
GAME_IMPLEMENT_CLASS(MerchantDialogPak, DialogPak)

void DialogPak::Load(const LoadTable& table)
{
    Object::Load(table);
    m_range = table.GetFloat("range", 10.0f);
    m_length = table.GetFloat("length", 5.0f);
}

void DialogPak::Play(int)
{
    m_playing = true;
    ++m_playCount;
}

NpcDialogPak* NpcDialogPak::Spawn(const std::string& recordName)
{
    if (recordName.empty())
        return nullptr;
    return ObjectManager::Get().CreateObjectFromFile<NpcDialogPak>(recordName);
}

MerchantDialogPak* MerchantDialogPak::Spawn(const std::string& recordName)
{
    if (recordName.empty())
        return nullptr;
    return ObjectManager::Get().CreateObjectFromFile<MerchantDialogPak>(recordName);
}

}  // namespace GAME
