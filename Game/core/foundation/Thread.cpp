#include "Game/core/foundation/Thread.h"

namespace GAME {

namespace {
// The levels callers pass to SetPriority.
constexpr int kPriorityLowest = 0;
constexpr int kPriorityAboveNormal = 2;
}  // namespace

Thread::~Thread()
{
    System::CloseThreadHandle(m_handle);
}

void Thread::Start()
{
    System::CloseThreadHandle(m_handle);
    m_handle = System::CreateThread([this] { Run(); });
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
