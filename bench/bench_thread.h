// A thread and a lock for the benchmarks that run under Wine: CreateThread
// and a critical section, as the program itself uses them (the standard
// thread library of the Windows build has no threads).
#pragma once

#include <windows.h>

namespace winebench {

// Runs body(argument) on its own thread from start() until join().
class Thread {
  public:
    Thread() = default;
    ~Thread() { join(); }
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    bool start(void (*body)(void*), void* argument) {
        body_ = body, argument_ = argument;
        handle_ = CreateThread(nullptr, 0, &Thread::run, this, 0, nullptr);
        return handle_ != nullptr;
    }
    void join() {
        if (handle_ == nullptr) return;
        WaitForSingleObject(handle_, INFINITE);
        CloseHandle(handle_);
        handle_ = nullptr;
    }

  private:
    static DWORD WINAPI run(void* self) {
        const Thread& t = *static_cast<Thread*>(self);
        t.body_(t.argument_);
        return 0;
    }
    void (*body_)(void*) = nullptr;
    void* argument_ = nullptr;
    HANDLE handle_ = nullptr;
};

class Lock {
  public:
    Lock() { InitializeCriticalSection(&section_); }
    ~Lock() { DeleteCriticalSection(&section_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

    // Held for the life of a Held.
    class Held {
      public:
        explicit Held(Lock& lock) : lock_(lock) { EnterCriticalSection(&lock_.section_); }
        ~Held() { LeaveCriticalSection(&lock_.section_); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

      private:
        Lock& lock_;
    };

  private:
    CRITICAL_SECTION section_;
};

} // namespace winebench
