// Operating-system services: threads, thread names and priorities, GUIDs.
#pragma once

#include <cstdint>
#include <functional>

namespace GAME {

// A 16-byte globally unique id in the usual layout: a 32-bit, two 16-bit and eight
// single-byte fields.
struct SystemGuid {
    uint32_t data1 = 0;
    uint16_t data2 = 0;
    uint16_t data3 = 0;
    uint8_t data4[8] = {};
};

// Scheduling levels a thread can ask for.
enum SystemThreadPriority : int {
    SystemThreadPriority_Lowest = -2,
    SystemThreadPriority_Normal = 0,
    SystemThreadPriority_AboveNormal = 1,
};

namespace System {

struct ThreadRecord;
using ThreadHandle = ThreadRecord*;

// Starts a thread running `body` at once, with the default stack. Null (logged) when
// the system cannot create one.
ThreadHandle CreateThread(std::function<void()> body);

// Best effort: lowering always works on Linux, raising usually needs a privilege the
// process lacks. False when the system refused; nothing else changes then. Each level is
// taken relative to the scheduling level the thread started with (inherited from the
// process), so the lowest never raises a thread of a process started at the lowest.
bool SetThreadPriority(ThreadHandle handle, SystemThreadPriority priority);

// Waits for the thread to end; at once when it has ended. False for a null handle, or
// when called from the thread itself (it would wait for ever).
bool WaitForThread(ThreadHandle handle);

// True from the start until the thread's body has returned; false for a null handle.
bool IsThreadRunning(ThreadHandle handle);

// Releases the handle. A thread still running goes on and frees its own record.
void CloseThreadHandle(ThreadHandle handle);

// Names the calling thread for debuggers and tools; the system keeps 15 characters.
void SetCurrentThreadName(const char* name);

// A random (version 4) GUID from the system's random device.
SystemGuid CreateGuid();

}  // namespace System
}  // namespace GAME
