// The about box's animated cursor, made from a resource of this module.
//
// The platform loads animated cursors only from files, so the resource is copied into a
// fresh temporary file for the moment of the load.
#pragma once
#include <windows.h>

#include <cstddef>
#include <vector>

// The lengths the copy loop writes for a resource of `length` bytes: full passes of
// 4096 bytes, then one shorter pass, which is empty when the length is a multiple of
// 4096 (0 included).
std::vector<size_t> CopyPassPlan(size_t length);

// Called with the temporary file's name once the resource is in it, before the cursor is
// loaded from it; the file is gone when the loader returns.
using CursorFileInspector = void (*)(const char* path, void* context) noexcept;

// The animated cursor stored as resource `resourceNumber` (low 16 bits) of type
// "ANICURSORS", or null. Leaves no file behind, and writes nothing at all when no
// temporary file can be made. The caller owns the cursor.
HCURSOR AnimatedCursorLoader(int resourceNumber, CursorFileInspector inspect = nullptr,
                             void* context = nullptr) noexcept;

// A cursor owned by an object and destroyed with it.
class UniqueCursor {
public:
    UniqueCursor() = default;
    explicit UniqueCursor(HCURSOR cursor) noexcept : cursor_(cursor) {}
    ~UniqueCursor() { reset(); }
    UniqueCursor(const UniqueCursor&) = delete;
    UniqueCursor& operator=(const UniqueCursor&) = delete;

    HCURSOR get() const noexcept { return cursor_; }
    void reset(HCURSOR cursor = nullptr) noexcept
    {
        if (cursor_ != nullptr && cursor_ != cursor)
            ::DestroyCursor(cursor_);
        cursor_ = cursor;
    }

private:
    HCURSOR cursor_ = nullptr;
};
