#include "Game/items/CursorHandler.h"

#include "Engine/GameServices.h"
#include "Engine/GraphicsCanvas.h"
#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/ai/ControllerPlayer.h"
#include "Game/characters/Player.h"

namespace GAME {

CursorHandler::~CursorHandler()
{
    if (m_activationSound)
        ObjectManager::Get().DestroyObjectEx(m_activationSound, "CursorHandler", __LINE__);
    m_activationSound = nullptr;
}

void CursorHandler::PlayActivationSound()
{
    if (m_activationSound)
        m_activationSound->Play(true);
}

bool CursorHandler::Escape()
{
    Cancel();
    return true;
}

void CursorHandler::SetPlayer(const Player* player) { m_playerId = player ? player->GetObjectId() : 0; }

Player* CursorHandler::GetPlayer() const { return ObjectManager::Get().GetObject<Player>(m_playerId); }

ControllerPlayer* CursorHandler::GetPlayerCtrl() const
{
    const Player* player = GetPlayer();
    return player ? ObjectManager::Get().GetObject<ControllerPlayer>(player->GetControllerId()) : nullptr;
}

PlayerInventoryCtrl* CursorHandler::GetInventoryCtrl() const
{
    ControllerPlayer* controller = GetPlayerCtrl();
    return controller ? &controller->GetInventoryCtrl() : nullptr;
}

EquipmentCtrl* CursorHandler::GetEquipmentCtrl() const
{
    ControllerPlayer* controller = GetPlayerCtrl();
    return controller ? &controller->GetEquipmentCtrl() : nullptr;
}

void CursorHandler::RenderTexture(GraphicsCanvas& canvas, const Texture* texture, bool adjustToResolution) const
{
    if (!texture || !texture->IsLoaded())
        return;
    Rect size{0.0f, 0.0f, static_cast<float>(texture->GetWidth()), static_cast<float>(texture->GetHeight())};
    const GraphicsEngine* graphics = GraphicsEngine::Get();
    if (adjustToResolution && graphics->IsDownsizing())
        size = graphics->GetResAdjRect(size);
    canvas.RenderTexture(texture->GetName(), static_cast<int>(m_displayPosition.x - size.width * 0.5f),
                         static_cast<int>(m_displayPosition.y - size.height * 0.5f), 1.0f);
}

}  // namespace GAME
