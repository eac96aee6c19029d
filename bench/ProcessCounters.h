// What the process holds: memory, kernel handles, GDI objects, icons and cursors,
// windows. Taken before and after many cycles to find what a cycle leaves behind.
//
// Wine leaves several of the usual counters empty (PrivateUsage, GetProcessHandleCount
// and GetGuiResources all give 0), so the counts that it does not report are found by
// asking about every possible handle value instead.
#pragma once
#include <windows.h>

#include <cstddef>

namespace bench {

struct ProcessCounters {
    // Bytes in use in every heap of the process (the busy blocks of HeapWalk).
    size_t heapBytes = 0;
    // Private memory: PrivateUsage where the system reports it, otherwise the pagefile
    // figure (under wine the resident anonymous memory of the process).
    size_t privateBytes = 0;
    // Open kernel handles (files, events, mappings, ...).
    unsigned kernelHandles = 0;
    // GDI objects (bitmaps, brushes, fonts, device contexts, regions).
    unsigned gdiObjects = 0;
    // USER objects: icons and cursors (each frame of an animated cursor counts), and
    // windows of this process.
    unsigned iconsAndCursors = 0;
    unsigned windows = 0;
};

ProcessCounters TakeCounters();

// What the system's own counters say, for the report: under wine PrivateUsage,
// GetProcessHandleCount and GetGuiResources all give 0.
struct SystemCounters {
    size_t privateUsage = 0;
    size_t pagefileUsage = 0;
    bool handleCountAnswered = false;
    unsigned long handleCount = 0;
    unsigned long guiGdi = 0;
    unsigned long guiUser = 0;
};
SystemCounters ReadSystemCounters();

} // namespace bench
