#include "Game/combat/AttributePak.h"

namespace GAME {

void AttributePak::Load(const std::string& recordName)
{
    m_recordName = recordName;
}

}  // namespace GAME
