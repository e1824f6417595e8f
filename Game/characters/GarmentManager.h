// Remembers the clothing and vestment look of one character; a vestment wins over
// clothing, and taking both off gives the character its own look back.
#pragma once

#include <string>

namespace GAME {

class Character;

class GarmentManager {
public:
    GarmentManager() = default;
    virtual ~GarmentManager() = default;

    // Empty strings take the garment off.
    virtual void SetClothing(Character& character, const std::string& mesh, const std::string& texture,
                             const std::string& bumpTexture);
    virtual void SetVestment(Character& character, const std::string& mesh, const std::string& texture,
                             const std::string& bumpTexture);

    const std::string& GetClothingMesh() const { return m_clothingMesh; }
    const std::string& GetVestmentMesh() const { return m_vestmentMesh; }

protected:
    // Applies the look that wins to the character.
    virtual void UpdateGarment(Character& character);

private:
    std::string m_vestmentMesh;
    std::string m_vestmentTexture;
    std::string m_vestmentBumpTexture;
    std::string m_clothingMesh;
    std::string m_clothingTexture;
    std::string m_clothingBumpTexture;
};

}  // namespace GAME
