#include "Game/combat/DamageAttributeStore.h"

namespace GAME {

namespace {

void Append(DamageAttributeStore::AttributeList& list, std::unique_ptr<DamageAttribute> attribute)
{
    if (attribute)
        list.push_back(std::move(attribute));
}

DamageAttributeStore::AttributeList Clones(const DamageAttributeStore::AttributeList& list)
{
    DamageAttributeStore::AttributeList copy;
    copy.reserve(list.size());
    for (const auto& attribute : list)
        copy.push_back(attribute->Clone());
    return copy;
}

}  // namespace

DamageAttributeStore::DamageAttributeStore(const DamageAttributeStore& other)
    : m_globalXorAttributes(Clones(other.m_globalXorAttributes)),
      m_globalAndAttributes(Clones(other.m_globalAndAttributes)),
      m_attributes(Clones(other.m_attributes))
{
}

DamageAttributeStore& DamageAttributeStore::operator=(const DamageAttributeStore& other)
{
    if (this != &other) {
        m_globalXorAttributes = Clones(other.m_globalXorAttributes);
        m_globalAndAttributes = Clones(other.m_globalAndAttributes);
        m_attributes = Clones(other.m_attributes);
    }
    return *this;
}

DamageAttributeStore::~DamageAttributeStore() = default;

void DamageAttributeStore::AddGlobalXorAttribute(std::unique_ptr<DamageAttribute> attribute)
{
    Append(m_globalXorAttributes, std::move(attribute));
}

void DamageAttributeStore::AddGlobalAndAttribute(std::unique_ptr<DamageAttribute> attribute)
{
    Append(m_globalAndAttributes, std::move(attribute));
}

void DamageAttributeStore::AddAttribute(std::unique_ptr<DamageAttribute> attribute)
{
    Append(m_attributes, std::move(attribute));
}

void DamageAttributeStore::Add(DamageAttributeList list, std::unique_ptr<DamageAttribute> attribute)
{
    switch (list) {
    case DamageAttributeList::Attributes:
        AddAttribute(std::move(attribute));
        break;
    case DamageAttributeList::GlobalAnd:
        AddGlobalAndAttribute(std::move(attribute));
        break;
    case DamageAttributeList::GlobalXor:
        AddGlobalXorAttribute(std::move(attribute));
        break;
    case DamageAttributeList::None:
        break;
    }
}

}  // namespace GAME
