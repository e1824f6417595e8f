#include "Game/characters/GarmentManager.h"

#include "Game/characters/Character.h"

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

namespace {

// Shows a garment: its mesh, and each texture it names (an empty texture keeps the one
// the actor shows).
void Wear(Actor& actor, const std::string& mesh, const std::string& texture, const std::string& bumpTexture)
{
    actor.SetMesh(mesh);
    if (!texture.empty())
        actor.SetBaseTexture(texture);
    if (!bumpTexture.empty())
        actor.SetBumpTexture(bumpTexture);
}

}  // namespace

// A vestment wins over clothing; with neither the character's own mesh comes back,
// without textures.
void GarmentManager::UpdateGarment(Character& character)
{
    if (!m_vestmentMesh.empty()) {
        Wear(character, m_vestmentMesh, m_vestmentTexture, m_vestmentBumpTexture);
    } else if (!m_clothingMesh.empty()) {
        Wear(character, m_clothingMesh, m_clothingTexture, m_clothingBumpTexture);
    } else {
        character.RestoreMesh();
        character.SetBaseTexture(std::string());
        character.SetBumpTexture(std::string());
    }
}

}  // namespace GAME
