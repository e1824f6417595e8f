// A ring of positions around one character (its owner) that other characters claim, so
// that melee crowds spread around it instead of piling onto one spot.
#pragma once

#include <cstdint>
#include <vector>

#include "Engine/World.h"

namespace GAME {

class Character;

class SlotManager {
public:
    // The most slots a ring holds; a record asking for more gets this many.
    static constexpr int kMaxSlots = 16;

    explicit SlotManager(Character& owner);
    virtual ~SlotManager();
    SlotManager(const SlotManager&) = delete;
    SlotManager& operator=(const SlotManager&) = delete;

    // n slots, all free; the positions are recomputed at the next request. A count
    // outside 0..kMaxSlots is logged and brought into that range.
    void SetNumSlots(int count);
    int GetNumSlots() const { return static_cast<int>(m_holders.size()); }

    // Claims the free slot nearest the requester that it can reach, else takes over the
    // slot of a holder of the same size that stands farther from it (the holder is told
    // it lost its slot), and writes the position to `out`; an empty position when none
    // can be had.
    void RequestSlot(WorldVec3& out, uint32_t requesterId, float radius, bool skipReachTest);
    // Frees the first slot the holder holds.
    void ReleaseSlot(uint32_t holderId);
    // The holder of a slot; 0 when it is free or the index is outside the ring.
    uint32_t GetSlotHolder(int index) const;


private:
    struct Candidate {
        size_t slot;
        float distance;   // squared, from the requester
    };
    void CalculateSlotPositions(float radius);
    // Tries the candidates nearest first: the first whose point is free of obstacles and,
    // unless skipped, within the requester's reach is taken.
    bool TryCandidates(std::vector<Candidate>& candidates, Character& requester, bool skipReachTest, size_t& taken);

    Character& m_owner;
    std::vector<uint32_t> m_holders;     // 0: free
    std::vector<WorldVec3> m_positions;
    WorldVec3 m_center;
    float m_radius = 0.0f;
    std::vector<Candidate> m_candidates;   // reused by every request
};

}  // namespace GAME
