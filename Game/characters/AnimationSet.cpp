#include "Game/characters/AnimationSet.h"

namespace GAME {

void AnimationSet::PreLoad() { ++m_preLoadCount; }

}  // namespace GAME
