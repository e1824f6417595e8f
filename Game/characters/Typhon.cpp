#include "Game/characters/Typhon.h"

namespace GAME {

GAME_IMPLEMENT_CLASS(Typhon, Monster)

void Typhon::DisableSkillEffects()
{
    for (CharFxPak& effect : m_godSkillEffects)
        effect.Enable(false);
}

}  // namespace GAME
