// A worker thread: derive, put the thread's work in Run, Start it, and Wait for it
// before the object is destroyed (the thread runs Run on this object).
#pragma once

#include "Engine/System.h"

namespace GAME {

class Thread {
public:
    Thread() = default;
    // Waits for a thread still running, then releases the handle. By then the derived
    // part is gone: a class whose Run uses its own members waits in its own destructor.
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // The thread's work.
    virtual void Run() = 0;

    // Starts a new thread running Run, after releasing the handle of an earlier start
    // that has ended. Refused (logged, false) while the earlier thread still runs: one
    // object runs one thread at a time, and Wait and the destructor wait for it.
    bool Start();
    // 0 lowest, 2 above normal, anything else normal. Best effort: a level the
    // system refuses leaves the thread as it was.
    void SetPriority(int priority);
    // Waits for the thread to end. False at once when no thread was started.
    bool Wait();

private:
    System::ThreadHandle m_handle = nullptr;
};

// Names the calling thread for debuggers and system tools.
void SetThreadName(const char* name);

}  // namespace GAME
