#include "support/HookLedger.h"

#include <cstring>
#include <set>

#include "support/ImportTable.h"

namespace testing_support {

namespace {

using RegisterFn = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HWND);

CRITICAL_SECTION* Section()
{
    static CRITICAL_SECTION section;
    static const bool made = (::InitializeCriticalSection(&section), true);
    (void)made;
    return &section;
}

struct Account {
    std::set<void*> hooks;
    std::set<HWND> registrations;
    int hooksInstalled = 0;
    RegisterFn registerSession = nullptr;
    UnregisterFn unregisterSession = nullptr;
} g_account;

template <class Change>
void Book(Change change)
{
    ::EnterCriticalSection(Section());
    change(g_account);
    ::LeaveCriticalSection(Section());
}

void AddHook(void* hook)
{
    if (hook != nullptr)
        Book([hook](Account& a) {
            a.hooks.insert(hook);
            ++a.hooksInstalled;
        });
}

void RemoveHook(void* hook)
{
    Book([hook](Account& a) { a.hooks.erase(hook); });
}

HWINEVENTHOOK WINAPI RoutedSetWinEventHook(DWORD first, DWORD last, HMODULE module, WINEVENTPROC proc,
                                           DWORD process, DWORD thread, DWORD flags)
{
    HWINEVENTHOOK hook = ::SetWinEventHook(first, last, module, proc, process, thread, flags);
    AddHook(hook);
    return hook;
}

BOOL WINAPI RoutedUnhookWinEvent(HWINEVENTHOOK hook)
{
    RemoveHook(hook);
    return ::UnhookWinEvent(hook);
}

HHOOK WINAPI RoutedSetWindowsHookExA(int id, HOOKPROC proc, HINSTANCE module, DWORD thread)
{
    HHOOK hook = ::SetWindowsHookExA(id, proc, module, thread);
    AddHook(hook);
    return hook;
}

BOOL WINAPI RoutedUnhookWindowsHookEx(HHOOK hook)
{
    RemoveHook(hook);
    return ::UnhookWindowsHookEx(hook);
}

BOOL WINAPI RoutedRegister(HWND window, DWORD flags)
{
    const BOOL done = g_account.registerSession(window, flags);
    if (done)
        Book([window](Account& a) { a.registrations.insert(window); });
    return done;
}

BOOL WINAPI RoutedUnregister(HWND window)
{
    Book([window](Account& a) { a.registrations.erase(window); });
    return g_account.unregisterSession(window);
}

FARPROC WINAPI RoutedGetProcAddress(HMODULE module, LPCSTR name)
{
    FARPROC found = ::GetProcAddress(module, name);
    // A name, not an ordinal.
    if (found == nullptr || reinterpret_cast<UINT_PTR>(name) <= 0xFFFF)
        return found;
    if (std::strcmp(name, "WTSRegisterSessionNotification") == 0) {
        g_account.registerSession = reinterpret_cast<RegisterFn>(reinterpret_cast<void (*)()>(found));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RoutedRegister));
    }
    if (std::strcmp(name, "WTSUnRegisterSessionNotification") == 0) {
        g_account.unregisterSession = reinterpret_cast<UnregisterFn>(reinterpret_cast<void (*)()>(found));
        return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(&RoutedUnregister));
    }
    return found;
}

// Points the module's import of `library!function` at `routed`.
bool Route(HMODULE module, const char* library, const char* function, void* routed)
{
    for (const Import& import : ImportsOf(reinterpret_cast<BYTE*>(module))) {
        if (import.library != library || import.function != function)
            continue;
        DWORD protection = 0;
        ::VirtualProtect(import.slot, sizeof *import.slot, PAGE_READWRITE, &protection);
        *import.slot = static_cast<DWORD>(reinterpret_cast<UINT_PTR>(routed));
        ::VirtualProtect(import.slot, sizeof *import.slot, protection, &protection);
        return true;
    }
    return false;
}

} // namespace

HookLedger::HookLedger(const std::string& path) : module_(::LoadLibraryA(path.c_str()))
{
    Book([](Account& a) { a = Account{}; });
    ready_ = module_ != nullptr &&
             Route(module_, "user32.dll", "SetWinEventHook", reinterpret_cast<void*>(&RoutedSetWinEventHook)) &&
             Route(module_, "user32.dll", "UnhookWinEvent", reinterpret_cast<void*>(&RoutedUnhookWinEvent)) &&
             Route(module_, "user32.dll", "SetWindowsHookExA", reinterpret_cast<void*>(&RoutedSetWindowsHookExA)) &&
             Route(module_, "user32.dll", "UnhookWindowsHookEx", reinterpret_cast<void*>(&RoutedUnhookWindowsHookEx)) &&
             Route(module_, "kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&RoutedGetProcAddress));
}

HookLedger::~HookLedger()
{
    LetGo();
}

void HookLedger::LetGo()
{
    if (module_ != nullptr)
        ::FreeLibrary(module_);
    module_ = nullptr;
}

int HookLedger::LiveHooks() const
{
    int live = 0;
    Book([&live](Account& a) { live = static_cast<int>(a.hooks.size()); });
    return live;
}

int HookLedger::HooksInstalled() const
{
    int installed = 0;
    Book([&installed](Account& a) { installed = a.hooksInstalled; });
    return installed;
}

int HookLedger::LiveRegistrations() const
{
    int live = 0;
    Book([&live](Account& a) { live = static_cast<int>(a.registrations.size()); });
    return live;
}

} // namespace testing_support
