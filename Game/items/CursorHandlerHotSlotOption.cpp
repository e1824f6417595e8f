#include "Game/items/CursorHandlerHotSlotOption.h"

#include "Engine/ObjectManager.h"
#include "Engine/Texture.h"
#include "Game/items/PlayerHotSlotCtrl.h"
#include "Game/skills/Skill.h"

namespace GAME {

CursorHandlerHotSlotOption::CursorHandlerHotSlotOption() = default;

CursorHandlerHotSlotOption::~CursorHandlerHotSlotOption() = default;

void CursorHandlerHotSlotOption::Render(GraphicsCanvas& canvas) const { RenderTexture(canvas, m_bitmap.get(), false); }

bool CursorHandlerHotSlotOption::Cancel()
{
    SetOption(nullptr);
    return true;
}

void CursorHandlerHotSlotOption::SetOption(HotSlotOption* option)
{
    m_option.reset(option);
    m_bitmap.reset();
    const char* bitmap = m_option ? m_option->GetBitmapNameUp() : nullptr;
    if (bitmap)
        m_bitmap = std::make_unique<Texture>(bitmap);
}

void CursorHandlerHotSlotOption::SetId(uint32_t skillId)
{
    SetOption(nullptr);
    if (!ObjectManager::Get().GetObject<Skill>(skillId))
        return;
    auto* option = new HotSlotOptionSkill(skillId);
    option->SetPlayer(GetPlayer());
    SetOption(option);
}

}  // namespace GAME
