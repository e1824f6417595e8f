#include "Game/characters/GarmentManager.h"

namespace GAME {

void GarmentManager::SetClothing(Character& character, const std::string& mesh, const std::string& texture,
                                 const std::string& bumpTexture)
{
    m_clothingMesh = mesh;
    m_clothingTexture = texture;
    m_clothingBumpTexture = bumpTexture;
    UpdateGarment(character);
}

void GarmentManager::SetVestment(Character& character, const std::string& mesh, const std::string& texture,
                                 const std::string& bumpTexture)
{
    m_vestmentMesh = mesh;
    m_vestmentTexture = texture;
    m_vestmentBumpTexture = bumpTexture;
    UpdateGarment(character);
}

// Actors show no meshes or textures yet, so there is nothing to apply.
void GarmentManager::UpdateGarment(Character& /*character*/) {}

}  // namespace GAME
