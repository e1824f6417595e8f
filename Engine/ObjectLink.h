// A look-up by id that is remembered, for an owner that asks for the same object many
// times a frame (a controller its character).
#pragma once

#include <cstdint>

namespace GAME {

// The object found is handed out again, without a look-up, for as long as the id asked
// for is the same and no object has left the object manager's look-ups since
// (ObjectManager::GetRemovalCount): it answers as ObjectManager::GetObject<T> does. A
// look-up that finds nothing is not remembered, so an object made later under the id is
// found at the next call. Get is defined in Engine/ObjectManager.h, which its callers
// include; this header stays light for the classes that hold a link.
template <class T>
class ObjectLink {
public:
    T* Get(uint32_t id) const;
    // The object last handed out, for a prefetch only: it may have gone since.
    const void* Remembered() const { return m_object; }

private:
    mutable T* m_object = nullptr;
    mutable uint32_t m_id = 0;
    mutable uint64_t m_removals = 0;
};

}  // namespace GAME
