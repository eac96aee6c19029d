// A kernel handle owned by one object: closed when the object goes, never twice.
#pragma once
#include <windows.h>

class ScopedHandle {
public:
    ScopedHandle() noexcept = default;
    explicit ScopedHandle(HANDLE handle) noexcept : handle_(handle) {}
    ~ScopedHandle() { Reset(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HANDLE Get() const noexcept { return handle_; }
    // CreateFile's failure value; no handle either.
    bool IsValid() const noexcept { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    // Closes the handle held, if any, and holds `handle` instead.
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE) noexcept
    {
        if (IsValid())
            ::CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};
