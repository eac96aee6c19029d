// The built velmora.dll: its entry points, loaded the way the host loads them, and
// what the file itself carries (size, imported libraries).
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

class LoadedPlugin {
public:
    using InitFn = int32_t(WINAPI*)(void*, int32_t, void*, void*);
    using ItemFn = int32_t(WINAPI*)(void*, void*);
    using ConfigFn = int32_t(WINAPI*)(void*, void*);
    using FinishFn = int32_t(WINAPI*)(void*);
    using FreeFn = int32_t(WINAPI*)(void*);

    explicit LoadedPlugin(const std::string& path);
    ~LoadedPlugin();
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    bool loaded() const
    {
        return module_ != nullptr && init && specialInfo && specialHook && config && finish && release;
    }

    InitFn init = nullptr;
    ItemFn specialInfo = nullptr;
    ItemFn specialHook = nullptr;
    ConfigFn config = nullptr;
    FinishFn finish = nullptr;
    FreeFn release = nullptr;

private:
    HMODULE module_ = nullptr;
};

struct FileFacts {
    bool readable = false;
    uint64_t bytes = 0;
    bool stripped = false; // no COFF symbol table
    std::vector<std::string> imports;
};

// Reads the PE headers and import directory of a DLL from disk.
FileFacts InspectPluginFile(const std::string& path);

// Libraries every Windows installation has.
bool IsSystemLibrary(const std::string& name);

} // namespace bench
