// A thread that runs a function and is joined by join() or when it goes away. Stands in for
// std::thread, which the runtime of mingw-w64's win32 thread model lacks.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

class Thread {
public:
    explicit Thread(std::function<void()> body)
        : body_(std::make_unique<std::function<void()>>(std::move(body)))
    {
        handle_ = CreateThread(nullptr, 0, &Run, body_.get(), 0, nullptr);
        if (!handle_)
            (*body_)(); // no thread to be had: run it here rather than not at all
    }
    Thread(Thread&&) noexcept = default;
    Thread& operator=(Thread&&) = delete;
    ~Thread() { join(); }

    void join()
    {
        if (handle_) {
            WaitForSingleObject(handle_, INFINITE);
            CloseHandle(std::exchange(handle_, nullptr));
        }
    }

private:
    static DWORD WINAPI Run(void* body)
    {
        (*static_cast<std::function<void()>*>(body))();
        return 0;
    }

    std::unique_ptr<std::function<void()>> body_;
    HANDLE handle_ = nullptr;
};
