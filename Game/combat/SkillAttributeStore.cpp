#include "Game/combat/SkillAttributeStore.h"

#include "Engine/LoadTable.h"
#include "Game/combat/DamageAttributeArithmetic.h"

namespace GAME {

namespace {

template <class T>
void LoadSkillAttribute(SkillAttributeStore& store, const LoadTable& table, const LoadTable* prefix,
                        const LoadTable* suffix)
{
    T attribute;
    attribute.LoadBaseTable(table);
    if (prefix)
        attribute.LoadPrefixTable(*prefix, store.GetRandomGen());
    if (suffix)
        attribute.LoadSuffixTable(*suffix, store.GetRandomGen());
    if (attribute.IsNotEmpty())
        store.AddToStore(std::make_unique<T>(std::move(attribute)));
}

using Loader = void (*)(SkillAttributeStore&, const LoadTable&, const LoadTable*, const LoadTable*);

#define GAME_SKILL_ATTRIBUTE_LOADER(Class, ...) &LoadSkillAttribute<Class>,
constexpr Loader kLoadOrder[] = {GAME_SKILL_ATTRIBUTE_KINDS(GAME_SKILL_ATTRIBUTE_LOADER)};
#undef GAME_SKILL_ATTRIBUTE_LOADER

}  // namespace

SkillAttributeStore::~SkillAttributeStore() = default;

void SkillAttributeStore::CreateText(TextList& lines, unsigned level) const
{
    for (const auto& attribute : m_attributes)
        attribute->CreateText(level, lines);
}

void SkillAttributeStore::CreateNextText(TextList& lines, unsigned level, unsigned nextLevel) const
{
    for (const auto& attribute : m_attributes)
        attribute->CreateNextText(level, nextLevel, lines);
}

void SkillAttributeStore::AddToStore(std::unique_ptr<SkillAttribute> attribute)
{
    m_attributes.Add(std::move(attribute));
}

void SkillAttributeStore::AddToAccumulator(SkillAttributeAccumulator& acc, unsigned level) const
{
    for (const auto& attribute : m_attributes)
        attribute->AddToAccumulator(acc, level);
}

void SkillAttributeStore::AddJitter(float percent)
{
    RandomUniform* rng = GetRandomGen();
    if (!LootJittersWith(percent, rng))
        return;
    for (auto& attribute : m_attributes)
        attribute->AddJitter(percent, rng);
}

void SkillAttributeStore::ScaleAttributes(float percent)
{
    ScaleEach(percent);
}

void SkillAttributeStore::LoadKinds(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix)
{
    Clear();
    for (Loader load : kLoadOrder)
        load(*this, table, prefix, suffix);
}

void SkillAttributeStore_Equipment::Load(const LoadTable& table, const LoadTable* prefix, const LoadTable* suffix,
                                         bool)
{
    LoadKinds(table, prefix, suffix);
}

void SkillAttributeStore_Skill::Load(const LoadTable& table) { LoadKinds(table, nullptr, nullptr); }

}  // namespace GAME
