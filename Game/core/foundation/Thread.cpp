#include "Game/core/foundation/Thread.h"

#include "Engine/Engine.h"

namespace GAME {

namespace {
// The levels callers pass to SetPriority.
constexpr int kPriorityLowest = 0;
constexpr int kPriorityAboveNormal = 2;
}  // namespace

Thread::~Thread()
{
    System::WaitForThread(m_handle);
    System::CloseThreadHandle(m_handle);
}

bool Thread::Start()
{
    if (System::IsThreadRunning(m_handle)) {
        gEngine->Log(LOG_WARNING, "Thread: not started again while the thread of the earlier start runs");
        return false;
    }
    System::WaitForThread(m_handle);   // ended: joins at once
    System::CloseThreadHandle(m_handle);
    m_handle = System::CreateThread([this] { Run(); });
    return m_handle != nullptr;
}

void Thread::SetPriority(int priority)
{
    SystemThreadPriority level = SystemThreadPriority_Normal;
    if (priority == kPriorityLowest)
        level = SystemThreadPriority_Lowest;
    else if (priority == kPriorityAboveNormal)
        level = SystemThreadPriority_AboveNormal;
    System::SetThreadPriority(m_handle, level);
}

bool Thread::Wait()
{
    return System::WaitForThread(m_handle);
}

void SetThreadName(const char* name)
{
    System::SetCurrentThreadName(name);
}

}  // namespace GAME
