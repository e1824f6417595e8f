// What a bounded queue turns away when a peer floods it, logged without flooding the log:
// the first entry of a run of drops is logged, and once the queue takes an entry again,
// how many more the run dropped.
#pragma once

#include <cstddef>

namespace GAME {

class DropTally {
public:
    // `what` names the owner and the entry, as in "DialogManager: a dialog"; not copied.
    explicit DropTally(const char* what) : m_what(what) {}

    // Whether a queue that holds `size` entries takes one more: not at `limit`, when the
    // drop is tallied; a taken entry ends a run of drops.
    bool Admit(size_t size, size_t limit) { return AdmitIf(size < limit, size); }
    // The same for a queue with more than one limit: `room` says whether it takes one
    // more, `held` is how many entries it holds.
    bool AdmitIf(bool room, size_t held);
    // Every entry dropped so far.
    size_t GetTotal() const { return m_total; }

private:
    const char* m_what;
    size_t m_run = 0;
    size_t m_total = 0;
};

}  // namespace GAME
