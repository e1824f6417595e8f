#include "Engine/Controller.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Controller, Object)

Controller::~Controller() = default;

void Controller::AttachParent(uint32_t parentId)
{
    m_parentId = parentId;
    PostParentAttached();
}

}  // namespace GAME
