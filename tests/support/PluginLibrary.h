// velmora.dll loaded for real, from a folder of the caller's own, the way a host loads
// it. Free of the test framework, so the benchmark uses it too.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace testing_support {

class PluginLibrary {
public:
    using VersionFn = int32_t(WINAPI*)(short*);
    using InitFn = int32_t(WINAPI*)(void*, int32_t, void*, void*);
    using ItemFn = int32_t(WINAPI*)(void*, void*);
    using ConfigFn = int32_t(WINAPI*)(void*, void*);
    using FinishFn = int32_t(WINAPI*)(void*);
    using FreeFn = int32_t(WINAPI*)(void*);

    // Loads velmora.dll from `directory` (copy it there first).
    explicit PluginLibrary(const std::string& directory);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    // True when the library loaded and has all seven entry points.
    bool loaded() const
    {
        return module_ != nullptr && version && init && specialInfo && specialHook && config && finish &&
               release;
    }
    HMODULE module() const { return module_; }
    // Unloads now (the destructor then does nothing).
    void Unload();

    VersionFn version = nullptr;
    InitFn init = nullptr;
    ItemFn specialInfo = nullptr;
    ItemFn specialHook = nullptr;
    ConfigFn config = nullptr;
    FinishFn finish = nullptr;
    FreeFn release = nullptr;

private:
    HMODULE module_ = nullptr;
};

} // namespace testing_support
