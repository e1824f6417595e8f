// The auras on one owner: visual entities made from records and attached to the owner,
// for a time or until they are removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class Actor;
class Entity;

// One aura: the record it was made from, its entity and how long it has left.
struct AuraContainer {
    AuraContainer(const std::string& auraName, uint32_t id, bool isPermanent, int32_t remainingMs)
        : name(auraName), entityId(id), permanent(isPermanent), remaining(remainingMs)
    {
    }
    std::string name;
    uint32_t entityId = 0;
    bool permanent = false;
    int32_t remaining = 0;   // milliseconds; counted only when not permanent
};

class AuraManager {
public:
    // Makes the aura from its record (only an Entity is kept) and attaches it to the
    // owner for `seconds`, or for good when permanent. The entity's id; 0 when nothing
    // was made. The seconds become milliseconds held to what an int holds.
    uint32_t AddAura(Actor& owner, const std::string& name, bool permanent, int seconds);
    // Schedules removal of every aura with that entity id or record name; the next
    // Update removes them.
    void RemoveAura(uint32_t id);
    void RemoveAura(const std::string& name);
    // Counts the auras down and removes those that ran out.
    void Update(Actor& owner, int elapsedMs);
    // Removes every aura at once. The destructor frees only the list: owners call this
    // first.
    void Clear(Actor& owner);

    const std::vector<AuraContainer>& GetAuras() const { return m_auras; }
    // The owner's flag of whether any aura is held, which is all Update walks: kept up to
    // date from now on, so that the owner may skip Update while it is false without
    // reading the manager.
    void KeepBusyFlag(bool* busy)
    {
        m_busy = busy;
        NoteBusy();
    }

private:
    void NoteBusy()
    {
        if (m_busy)
            *m_busy = !m_auras.empty();
    }

    // The aura entity on the owner's body: at the owner's origin with no rotation and no
    // named attach point; and off it again.
    static void AttachToOwner(Actor& owner, Entity& aura);
    static void DetachFromOwner(Actor& owner, Entity& aura);
    // Takes the aura off its owner and destroys it, when it still exists.
    static void RemoveEntity(Actor& owner, uint32_t entityId);

    std::vector<AuraContainer> m_auras;
    bool* m_busy = nullptr;
};

}  // namespace GAME
