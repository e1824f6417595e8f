// The offensive damage attributes that one record grants, in three owned lists by how they
// are rolled in combat: the plain list (each rolls its own chance), and the AND and XOR
// groups that apply when the store's global chance succeeds.
#pragma once

#include <memory>
#include <vector>

#include "Game/combat/DamageAttribute.h"

namespace GAME {

class DamageAttributeStore {
public:
    using AttributeList = std::vector<std::unique_ptr<DamageAttribute>>;

    DamageAttributeStore() = default;
    // A copy holds clones of every attribute, in the same lists and order, so no
    // attribute ever has two owners.
    DamageAttributeStore(const DamageAttributeStore& other);
    DamageAttributeStore& operator=(const DamageAttributeStore& other);
    virtual ~DamageAttributeStore();

    // The store takes the attribute, appended to the list named; null is ignored.
    virtual void AddGlobalXorAttribute(std::unique_ptr<DamageAttribute> attribute);
    virtual void AddGlobalAndAttribute(std::unique_ptr<DamageAttribute> attribute);
    virtual void AddAttribute(std::unique_ptr<DamageAttribute> attribute);
    // The same, to the list that a load chose; nothing (the attribute is destroyed) for
    // DamageAttributeList::None.
    void Add(DamageAttributeList list, std::unique_ptr<DamageAttribute> attribute);

    const AttributeList& GetGlobalXorAttributes() const { return m_globalXorAttributes; }
    const AttributeList& GetGlobalAndAttributes() const { return m_globalAndAttributes; }
    const AttributeList& GetAttributes() const { return m_attributes; }

private:
    AttributeList m_globalXorAttributes;
    AttributeList m_globalAndAttributes;
    AttributeList m_attributes;
};

}  // namespace GAME
