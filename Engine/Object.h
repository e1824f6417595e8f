// Class information and the root of every engine object.
//
// Every class the object manager can create carries one static RTTI_ClassInfo: its
// name, its parent's class information and a factory. Together they form one tree
// under Object, so that objects are created by class name and type tests walk the
// parent chain instead of using the language's own type information.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

namespace GAME {

class LoadTable;

class RTTI_ClassInfo {
public:
    using Factory = void* (*)();

    // Registers the class under its parent. The parent may not be constructed yet
    // (static initializers run in any order across files): children are kept in a
    // registry keyed by the parent's address, which is valid before construction.
    RTTI_ClassInfo(const char* name, const RTTI_ClassInfo* parent, Factory factory);
    virtual ~RTTI_ClassInfo();

    RTTI_ClassInfo(const RTTI_ClassInfo&) = delete;
    RTTI_ClassInfo& operator=(const RTTI_ClassInfo&) = delete;

    const char* GetName() const { return m_name; }
    const RTTI_ClassInfo* GetParent() const { return m_parent; }
    Factory GetFactory() const { return m_factory; }

    // Children in order of registration.
    int GetChildCount() const;
    const RTTI_ClassInfo* GetChild(int index) const;

    // The same object, or the same name byte for byte.
    bool IsSame(const RTTI_ClassInfo* other) const
    {
        return other == this || (other && other->m_nameHash == m_nameHash && SameName(other));
    }
    // Some ancestor IsSame other; a class is not derived from itself.
    bool IsDerivedFrom(const RTTI_ClassInfo* other) const
    {
        for (const RTTI_ClassInfo* ancestor = m_parent; ancestor; ancestor = ancestor->m_parent)
            if (ancestor->IsSame(other))
                return true;
        return false;
    }
    // IsSame(other) || IsDerivedFrom(other), with the common case first: the class or an
    // ancestor is that very object. Once both depths are known only the one ancestor at
    // other's depth can be it, so the walk stops there (a class that lies deeper than
    // this one is none of its ancestors). Names are compared only when another class
    // bears other's name; otherwise no class but other itself can match it.
    bool IsA(const RTTI_ClassInfo* other) const
    {
        const int depth = GetDepth();
        const int otherDepth = other ? other->GetDepth() : -1;
        if (depth >= 0 && otherDepth >= 0) {
            if (depth >= otherDepth) {
                const RTTI_ClassInfo* info = this;
                for (int up = depth - otherDepth; up > 0; --up)
                    info = info->m_parent;
                if (info == other)
                    return true;
            }
        } else {
            for (const RTTI_ClassInfo* info = this; info; info = info->m_parent)
                if (info == other)
                    return true;
        }
        return other && other->HasNamesake() && (IsSame(other) || IsDerivedFrom(other));
    }
    bool IsA(const RTTI_ClassInfo& other) const { return IsA(&other); }

    // Depth first in registration order from this class; null when no class of the
    // subtree bears the name (or its class cannot be instantiated).
    void* CreateObjectByName(const char* name) const;
    // The class information of that name in the same order; null when none bears it.
    const RTTI_ClassInfo* FindClassByName(const char* name) const;

    // Whether another class information was ever registered under this one's name while
    // this one was (kept once set).
    bool HasNamesake() const { return m_hasNamesake.load(std::memory_order_relaxed); }

    // The number of ancestors; -1 while not known: an ancestor is not registered yet (static
    // initializers run in any order), or this class information itself is not.
    int GetDepth() const
    {
        const int stored = m_depthPlusOne.load(std::memory_order_relaxed);
        return stored != 0 ? stored - 1 : FindDepth();
    }

private:
    bool SameName(const RTTI_ClassInfo* other) const;
    // Walks to the root and keeps the depth once every class on the way is registered.
    int FindDepth() const;

    char* m_name;
    const RTTI_ClassInfo* m_parent;
    Factory m_factory;
    uint32_t m_nameHash;   // lets IsSame reject most different names without comparing text
    std::atomic<bool> m_hasNamesake{false};
    // 0 (as before construction) while not known. Ancestors never change, so once known the
    // depth stays.
    mutable std::atomic<int> m_depthPlusOne{0};
};

// Declares the class information members inside a class body.
#define GAME_DECLARE_CLASS(Class)                                                      \
public:                                                                                \
    const ::GAME::RTTI_ClassInfo& GetClassInfo() const override { return classInfo; }  \
    static const ::GAME::RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }    \
                                                                                       \
protected:                                                                             \
    static ::GAME::RTTI_ClassInfo classInfo;                                           \
    static void* RTTI_new();                                                           \
                                                                                       \
private:

// Defines the class information of a class that can be created by name.
#define GAME_IMPLEMENT_CLASS(Class, Parent)                                                       \
    ::GAME::RTTI_ClassInfo Class::classInfo(#Class, &Parent::GetStaticClassInfo(), &Class::RTTI_new); \
    void* Class::RTTI_new() { return static_cast<::GAME::Object*>(new Class()); }

// For abstract classes: registered in the tree, but the factory makes nothing.
#define GAME_IMPLEMENT_ABSTRACT_CLASS(Class, Parent)                                              \
    ::GAME::RTTI_ClassInfo Class::classInfo(#Class, &Parent::GetStaticClassInfo(), &Class::RTTI_new); \
    void* Class::RTTI_new() { return nullptr; }

// The root of every engine and game object.
class Object {
public:
    Object();
    virtual const RTTI_ClassInfo& GetClassInfo() const { return classInfo; }
    static const RTTI_ClassInfo& GetStaticClassInfo() { return classInfo; }
    virtual ~Object();

    // Reads the object's record. Called by the object manager after creation from a file.
    virtual void Load(const LoadTable& table);

    // Asks for the resources the object will need before it is first shown or heard. The
    // flag is the owner's own preload flag, passed on as given. Nothing to do here.
    virtual void PreLoad(bool flag);

    // Called once by the object manager when the object is destroyed, before it is
    // freed: the object leaves whatever still refers to it (the world, for entities).
    virtual void OnDestroy();

    uint32_t GetObjectId() const { return m_objectId; }
    void SetObjectId(uint32_t id) { m_objectId = id; }

    // The record the object was created from; empty for objects created by class name.
    const std::string& GetObjectName() const { return m_objectName; }
    void SetObjectName(const std::string& name) { m_objectName = name; }

    bool IsA(const RTTI_ClassInfo& info) const { return GetClassInfo().IsA(&info); }
    template <class T>
    bool IsA() const { return GetClassInfo().IsA(&T::GetStaticClassInfo()); }

    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

protected:
    static RTTI_ClassInfo classInfo;
    static void* RTTI_new();

private:
    uint32_t m_objectId = 0;
    std::string m_objectName;
};

// Checked downcast through the class information; null when the class does not match.
template <class T>
T* DynamicCast(Object* object)
{
    return (object && object->GetClassInfo().IsA(&T::GetStaticClassInfo())) ? static_cast<T*>(object) : nullptr;
}

template <class T>
const T* DynamicCast(const Object* object)
{
    return (object && object->GetClassInfo().IsA(&T::GetStaticClassInfo())) ? static_cast<const T*>(object) : nullptr;
}

}  // namespace GAME
