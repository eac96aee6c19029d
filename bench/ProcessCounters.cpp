#include "bench/ProcessCounters.h"

#include <psapi.h>

namespace bench {

namespace {

size_t HeapBytesInUse()
{
    HANDLE heaps[256];
    DWORD count = ::GetProcessHeaps(256, heaps);
    if (count > 256)
        count = 256;
    size_t total = 0;
    for (DWORD i = 0; i < count; ++i) {
        if (!::HeapLock(heaps[i]))
            continue;
        PROCESS_HEAP_ENTRY entry{};
        while (::HeapWalk(heaps[i], &entry)) {
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY)
                total += entry.cbData;
        }
        ::HeapUnlock(heaps[i]);
    }
    return total;
}

PROCESS_MEMORY_COUNTERS_EX MemoryCounters()
{
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    ::GetProcessMemoryInfo(::GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    return counters;
}

// Kernel handles are multiples of 4, handed out lowest free first; a long run of
// unused values means the table ends.
unsigned CountKernelHandles()
{
    DWORD processCount = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &processCount) && processCount != 0)
        return processCount;
    unsigned count = 0;
    unsigned misses = 0;
    for (ULONG_PTR value = 4; misses < 4096; value += 4) {
        DWORD flags;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
            misses = 0;
        } else {
            ++misses;
        }
    }
    return count;
}

// GDI handles carry a table index in their low 16 bits; a handle of index alone
// (upper bits zero) names whatever object lives there.
unsigned CountGdiObjects()
{
    const DWORD reported = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0)
        return reported;
    unsigned count = 0;
    for (ULONG_PTR index = 1; index < 0x10000; ++index) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++count;
    }
    return count;
}

using CursorFrameInfoFn = HCURSOR(WINAPI*)(HCURSOR, DWORD, DWORD, DWORD*, DWORD*);

// USER handles are even values from 0x20 up; GetCursorFrameInfo answers for icons and
// cursors only and allocates nothing.
unsigned CountIconsAndCursors()
{
    static const auto frameInfo = reinterpret_cast<CursorFrameInfoFn>(reinterpret_cast<void (*)()>(
        ::GetProcAddress(::GetModuleHandleA("user32.dll"), "GetCursorFrameInfo")));
    if (frameInfo == nullptr)
        return 0;
    unsigned count = 0;
    for (ULONG_PTR value = 0x20; value < 0x10000; value += 2) {
        DWORD rate = 0;
        DWORD steps = 0;
        if (frameInfo(reinterpret_cast<HCURSOR>(value), 0, 0, &rate, &steps) != nullptr)
            ++count;
    }
    return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM param)
{
    ++*reinterpret_cast<unsigned*>(param);
    return TRUE;
}

BOOL CALLBACK CountOwnTopLevel(HWND window, LPARAM param)
{
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    if (process == ::GetCurrentProcessId()) {
        ++*reinterpret_cast<unsigned*>(param);
        ::EnumChildWindows(window, &CountChild, param);
    }
    return TRUE;
}

unsigned CountWindows()
{
    unsigned count = 0;
    ::EnumWindows(&CountOwnTopLevel, reinterpret_cast<LPARAM>(&count));
    return count;
}

} // namespace

SystemCounters ReadSystemCounters()
{
    SystemCounters c;
    const PROCESS_MEMORY_COUNTERS_EX memory = MemoryCounters();
    c.privateUsage = memory.PrivateUsage;
    c.pagefileUsage = memory.PagefileUsage;
    DWORD handles = 0;
    c.handleCountAnswered = ::GetProcessHandleCount(::GetCurrentProcess(), &handles) != FALSE;
    c.handleCount = handles;
    c.guiGdi = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    c.guiUser = ::GetGuiResources(::GetCurrentProcess(), GR_USEROBJECTS);
    return c;
}

ProcessCounters TakeCounters()
{
    ProcessCounters c;
    c.heapBytes = HeapBytesInUse();
    const PROCESS_MEMORY_COUNTERS_EX memory = MemoryCounters();
    c.privateBytes = memory.PrivateUsage != 0 ? memory.PrivateUsage : memory.PagefileUsage;
    c.kernelHandles = CountKernelHandles();
    c.gdiObjects = CountGdiObjects();
    c.iconsAndCursors = CountIconsAndCursors();
    c.windows = CountWindows();
    return c;
}

} // namespace bench
