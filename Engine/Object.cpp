#include "Engine/Object.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <vector>

namespace GAME {

namespace {

// Children of each class information, keyed by the parent's address. A function-local
// static: it exists from the first registration on, whatever order the static
// initializers of the libraries and their files run in, and outlives every class
// information registered after its creation.
std::map<const RTTI_ClassInfo*, std::vector<RTTI_ClassInfo*>>& ChildRegistry()
{
    static std::map<const RTTI_ClassInfo*, std::vector<RTTI_ClassInfo*>> registry;
    return registry;
}

// Every class information by the hash of its name, to find the namesakes of a new one.
std::unordered_multimap<uint32_t, RTTI_ClassInfo*>& NameRegistry()
{
    static std::unordered_multimap<uint32_t, RTTI_ClassInfo*> registry;
    return registry;
}

const std::vector<RTTI_ClassInfo*>* ChildrenOf(const RTTI_ClassInfo* parent)
{
    auto& registry = ChildRegistry();
    auto it = registry.find(parent);
    return it == registry.end() ? nullptr : &it->second;
}

uint32_t HashName(const char* name)
{
    uint32_t hash = 2166136261u;   // FNV-1a
    for (const char* c = name ? name : ""; *c; ++c)
        hash = (hash ^ static_cast<unsigned char>(*c)) * 16777619u;
    return hash;
}

char* CopyName(const char* name)
{
    const char* text = name ? name : "";
    size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy)
        std::memcpy(copy, text, length + 1);
    return copy;
}

}  // namespace

RTTI_ClassInfo::RTTI_ClassInfo(const char* name, const RTTI_ClassInfo* parent, Factory factory)
    : m_name(CopyName(name)), m_parent(parent), m_factory(factory), m_nameHash(HashName(name))
{
    if (m_parent)
        ChildRegistry()[m_parent].push_back(this);
    auto& names = NameRegistry();
    for (auto [it, end] = names.equal_range(m_nameHash); it != end; ++it) {
        if (SameName(it->second)) {
            it->second->m_hasNamesake.store(true, std::memory_order_relaxed);
            m_hasNamesake.store(true, std::memory_order_relaxed);
        }
    }
    names.emplace(m_nameHash, this);
}

RTTI_ClassInfo::~RTTI_ClassInfo()
{
    if (m_parent) {
        auto& registry = ChildRegistry();
        auto it = registry.find(m_parent);
        if (it != registry.end()) {
            auto& children = it->second;
            auto found = std::find(children.begin(), children.end(), this);
            if (found != children.end())
                children.erase(found);
            if (children.empty())
                registry.erase(it);
        }
    }
    auto& names = NameRegistry();
    for (auto [it, end] = names.equal_range(m_nameHash); it != end; ++it) {
        if (it->second == this) {
            names.erase(it);
            break;
        }
    }
    std::free(m_name);
}

int RTTI_ClassInfo::GetChildCount() const
{
    const auto* children = ChildrenOf(this);
    return children ? static_cast<int>(children->size()) : 0;
}

const RTTI_ClassInfo* RTTI_ClassInfo::GetChild(int index) const
{
    const auto* children = ChildrenOf(this);
    if (!children || index < 0 || static_cast<size_t>(index) >= children->size())
        return nullptr;
    return (*children)[static_cast<size_t>(index)];
}

int RTTI_ClassInfo::FindDepth() const
{
    // A class information that is not constructed yet has no name (its storage is still
    // zero); a walk through one would stop short.
    int depth = 0;
    for (const RTTI_ClassInfo* info = this; info; info = info->m_parent) {
        if (!info->m_name)
            return -1;
        if (info != this)
            ++depth;
    }
    m_depthPlusOne.store(depth + 1, std::memory_order_relaxed);
    return depth;
}

bool RTTI_ClassInfo::SameName(const RTTI_ClassInfo* other) const
{
    if (!m_name || !other->m_name)
        return false;
    return std::strcmp(m_name, other->m_name) == 0;
}

void* RTTI_ClassInfo::CreateObjectByName(const char* name) const
{
    const RTTI_ClassInfo* info = FindClassByName(name);
    return info && info->m_factory ? info->m_factory() : nullptr;
}

namespace {

// Depth first in registration order from `info`.
const RTTI_ClassInfo* WalkForName(const RTTI_ClassInfo* info, const char* name)
{
    if (info->GetName() && std::strcmp(info->GetName(), name) == 0)
        return info;
    const auto* children = ChildrenOf(info);
    if (!children)
        return nullptr;
    for (const RTTI_ClassInfo* child : *children)
        if (const RTTI_ClassInfo* found = WalkForName(child, name))
            return found;
    return nullptr;
}

}  // namespace

const RTTI_ClassInfo* RTTI_ClassInfo::FindClassByName(const char* name) const
{
    if (!name)
        return nullptr;
    // Objects are made from records by class name all the time, and walking every class
    // under this one cost more than loading many of them. A name most often belongs to one
    // class: found by its hash, that class is the answer when it lies under this one.
    // Only a name several classes bear needs the walk, whose order decides between them.
    const RTTI_ClassInfo* bearer = nullptr;
    for (auto [it, end] = NameRegistry().equal_range(HashName(name)); it != end; ++it) {
        const RTTI_ClassInfo* info = it->second;
        if (!info->m_name || std::strcmp(info->m_name, name) != 0)
            continue;
        if (bearer || info->HasNamesake())
            return WalkForName(this, name);
        bearer = info;
    }
    for (const RTTI_ClassInfo* info = bearer; info; info = info->m_parent)
        if (info == this)
            return bearer;
    return nullptr;
}

RTTI_ClassInfo Object::classInfo("Object", nullptr, &Object::RTTI_new);

void* Object::RTTI_new()
{
    return new Object();
}

Object::Object() = default;
Object::~Object() = default;

void Object::Load(const LoadTable&) {}

void Object::PreLoad(bool) {}

void Object::OnDestroy() {}

}  // namespace GAME
