#include "Engine/System.h"

#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <random>

#include "Engine/Engine.h"

namespace GAME::System {

namespace {

// Steps of nice the scheduling levels take from the nice a thread started with (Linux
// schedules threads by nice), so that a level is relative to the process, whatever nice
// it was started under. The system's range of nice bounds the result.
constexpr int kNiceStepLowest = 10;
constexpr int kNiceStepNormal = 0;
constexpr int kNiceStepAboveNormal = -5;
constexpr int kNiceMin = -20;
constexpr int kNiceMax = 19;
// pthread_setname_np accepts 16 bytes with the terminator.
constexpr size_t kThreadNameLength = 15;

}  // namespace

// Shared by the handle and the running thread; the last of the two frees it.
struct ThreadRecord {
    std::function<void()> body;
    pthread_t thread{};
    std::mutex lock;        // guards tid and finished
    std::condition_variable started;
    std::mutex joinLock;    // guards joined and detached; held while joining
    pid_t tid = 0;          // the kernel's id, published by the thread as it starts
    int startNice = 0;      // the nice the thread inherited, published with tid
    bool finished = false;  // the body has returned; the kernel id may be reused
    bool joined = false;
    bool detached = false;
    std::shared_ptr<ThreadRecord> self;   // keeps the record alive while either side needs it
};

namespace {

void* ThreadEntry(void* argument)
{
    std::shared_ptr<ThreadRecord> record = static_cast<ThreadRecord*>(argument)->self;
    {
        std::lock_guard<std::mutex> guard(record->lock);
        record->tid = static_cast<pid_t>(::syscall(SYS_gettid));
        errno = 0;
        const int nice = ::getpriority(PRIO_PROCESS, 0);   // on Linux: this thread
        record->startNice = errno == 0 ? nice : 0;
    }
    record->started.notify_all();
    record->body();
    std::lock_guard<std::mutex> guard(record->lock);
    record->finished = true;
    return nullptr;
}

// The nice of a level for a thread that started with `startNice`: the lowest level never
// raises a thread already niced to the end of the range.
int NiceOf(SystemThreadPriority priority, int startNice)
{
    int step = kNiceStepNormal;
    if (priority == SystemThreadPriority_Lowest)
        step = kNiceStepLowest;
    else if (priority == SystemThreadPriority_AboveNormal)
        step = kNiceStepAboveNormal;
    return std::clamp(startNice + step, kNiceMin, kNiceMax);
}

}  // namespace

ThreadHandle CreateThread(std::function<void()> body)
{
    auto record = std::make_shared<ThreadRecord>();
    record->body = std::move(body);
    record->self = record;
    ThreadRecord* raw = record.get();
    const int error = pthread_create(&raw->thread, nullptr, &ThreadEntry, raw);
    if (error != 0) {
        gEngine->Log(LOG_ERROR, "Unable to create a thread (%s)", std::strerror(error));
        record->self.reset();
        return nullptr;
    }
    // Wait until the thread has published its kernel id, so priorities can be set at once.
    std::unique_lock<std::mutex> guard(raw->lock);
    raw->started.wait(guard, [raw] { return raw->tid != 0; });
    return raw;
}

bool SetThreadPriority(ThreadHandle handle, SystemThreadPriority priority)
{
    if (!handle)
        return false;
    // Under the lock: a thread cannot finish (and free its kernel id) meanwhile.
    std::lock_guard<std::mutex> guard(handle->lock);
    if (handle->finished)
        return false;
    return ::setpriority(PRIO_PROCESS, static_cast<id_t>(handle->tid), NiceOf(priority, handle->startNice)) == 0;
}

bool WaitForThread(ThreadHandle handle)
{
    if (!handle || pthread_equal(handle->thread, pthread_self()))
        return false;
    std::lock_guard<std::mutex> joining(handle->joinLock);
    if (!handle->joined && !handle->detached) {
        pthread_join(handle->thread, nullptr);
        handle->joined = true;
    }
    return true;
}

bool IsThreadRunning(ThreadHandle handle)
{
    if (!handle)
        return false;
    std::lock_guard<std::mutex> guard(handle->lock);
    return !handle->finished;
}

void CloseThreadHandle(ThreadHandle handle)
{
    if (!handle)
        return;
    std::shared_ptr<ThreadRecord> keep;   // released last, after the lock
    std::lock_guard<std::mutex> joining(handle->joinLock);
    if (!handle->joined && !handle->detached) {
        pthread_detach(handle->thread);
        handle->detached = true;
    }
    keep.swap(handle->self);   // a running thread still holds its own reference
}

void SetCurrentThreadName(const char* name)
{
    if (!name)
        return;
    char shortened[kThreadNameLength + 1] = {};
    std::strncpy(shortened, name, kThreadNameLength);
    pthread_setname_np(pthread_self(), shortened);
}

SystemGuid CreateGuid()
{
    std::random_device device;
    uint8_t bytes[16];
    for (size_t i = 0; i < sizeof(bytes); i += 4) {
        const uint32_t word = device();
        std::memcpy(bytes + i, &word, 4);
    }
    bytes[6] = static_cast<uint8_t>((bytes[6] & 0x0F) | 0x40);   // version 4: random
    bytes[8] = static_cast<uint8_t>((bytes[8] & 0x3F) | 0x80);   // the standard variant
    SystemGuid guid;
    guid.data1 = static_cast<uint32_t>(bytes[0]) << 24 | static_cast<uint32_t>(bytes[1]) << 16 |
                 static_cast<uint32_t>(bytes[2]) << 8 | bytes[3];
    guid.data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    std::memcpy(guid.data4, bytes + 8, 8);
    return guid;
}

}  // namespace GAME::System
