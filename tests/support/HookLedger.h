// Keeps account of what velmora.dll installs in the process through its imports: WinEvent
// hooks, message hooks and session registrations (the latter found through
// GetProcAddress). The calls are routed through the ledger by rewriting the loaded
// module's import address table, so the account is of the real DLL's own calls.
#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

class HookLedger {
public:
    // Loads the library at `path` and routes its calls; a host loading the same path
    // afterwards gets the same, routed module. One ledger at a time.
    explicit HookLedger(const std::string& path);
    ~HookLedger();
    HookLedger(const HookLedger&) = delete;
    HookLedger& operator=(const HookLedger&) = delete;

    // Whether the library was loaded and every call routed.
    bool ready() const { return ready_; }
    // Gives back the ledger's own reference once the host holds one, so the host's
    // unload unloads it; the account goes on while the module stays loaded.
    void LetGo();
    // Hooks of either kind installed and not removed yet, and hooks installed in all.
    int LiveHooks() const;
    int HooksInstalled() const;
    // Session registrations made and not undone yet.
    int LiveRegistrations() const;

private:
    HMODULE module_ = nullptr;
    bool ready_ = false;
};

} // namespace testing_support
