// The auras on one owner: visual entities made from records and attached to the owner,
// for a time or until they are removed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GAME {

class Actor;

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
    // was made.
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

private:
    void RemoveEntity(Actor& owner, uint32_t entityId);

    std::vector<AuraContainer> m_auras;
};

}  // namespace GAME
