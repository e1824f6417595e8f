// What the weapon and armour kinds build alike from their table rows: the item's name from a format tag and its
// attribute lines in a kind's order.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "Engine/ObjectManager.h"
#include "Game/combat/CharAttributeType.h"
#include "Game/core/foundation/GameTextLine.h"

namespace GAME {

class ItemEquipment;

// An object a weapon or armour piece owns through the object manager, held by id: once the
// manager has freed it (at shutdown every object goes, in id order, so it may go before
// its owner) a lookup finds nothing, and nothing is freed twice.
template <class T>
class OwnedObject {
public:
    OwnedObject() = default;
    OwnedObject(const OwnedObject&) = delete;
    OwnedObject& operator=(const OwnedObject&) = delete;
    ~OwnedObject() { Destroy(); }

    T* Get() const { return m_id ? ObjectManager::Get().GetObject<T>(m_id) : nullptr; }
    // Destroys the object held and holds this one (null: none).
    void Reset(T* object)
    {
        Destroy();
        m_id = object ? object->GetObjectId() : 0;
    }
    // Lets go of the object without destroying it (it is someone else's now).
    void Release() { m_id = 0; }
    void Destroy()
    {
        if (Object* object = m_id ? ObjectManager::Get().GetObject(m_id) : nullptr)
            ObjectManager::Get().DestroyObjectEx(object, "OwnedObject", __LINE__);
        m_id = 0;
    }

private:
    uint32_t m_id = 0;
};

namespace EquipmentKind {

// The text groups of the five attribute stores: offensive three, retaliation three,
// defence two, character two, skill one; Blank is one line of a single blank.
enum Group { O1, O2, O3, R1, R2, R3, D1, D2, C1, C2, S1, Blank };

struct Entry {
    Group group;
    GameTextClass textClass;
};

// Appends each store group's lines with its class, in the order given (the blank line with
// class Default); when the last line appended is of class Default it is dropped.
void AppendAttributeLines(const ItemEquipment& item, std::initializer_list<Entry> order,
                          std::vector<GameTextLine>& lines);

// The tag's text, or nothing for an empty tag.
std::u16string TagText(const std::string& tag);

// The name format (commonTag when prefix and suffix texts are both empty, else
// magicalTag) filled with the name, quality, style, prefix and suffix texts, in that order
// (a format places them by position, "%4$s %1$s %5$s"); an empty part leaves no blank of
// its own.
std::u16string FormatName(const char* commonTag, const char* magicalTag, const std::string& nameTag,
                          const std::string& qualityTag, const std::string& styleTag, const std::string& prefixTag,
                          const std::string& suffixTag);

// The name for GetGameDescription (the classification's colour in front, line breaks
// removed, blanks trimmed) and the line of GetUIGameDescription.
std::u16string GameDescription(const ItemEquipment& item, std::u16string name);
void AppendGameDescription(const ItemEquipment& item, std::u16string name, std::vector<GameTextLine>& lines);

}  // namespace EquipmentKind
}  // namespace GAME
