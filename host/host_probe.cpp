// Loads velmora.dll from a Plugins folder the way the mail client does, without
// windows: version, init, the two menu items, then the shutdown sequence. Prints what
// a host receives.
//
//   host_probe <Plugins folder>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

using VersionFn = int32_t(WINAPI*)(short*);
using InitFn = int32_t(WINAPI*)(void*, int32_t, void*, void*);
using InfoFn = int32_t(WINAPI*)(void*, void*);
using FinishFn = int32_t(WINAPI*)(void*);
using FreeFn = int32_t(WINAPI*)(void*);

#pragma pack(push, 4)
struct InfoRecord {
    int32_t size, countA, countB, specialCount;
    char* description;
    int32_t id;
    HICON* icon;
    int32_t rest[3];
};
struct MenuRecord {
    int32_t size, id;
    char* text;
    HICON* icon;
    int32_t flags;
};
struct ConfigRecord {
    int32_t size;
    HWND* mainWindow;
    char* directory;
    int32_t rest[6];
};
#pragma pack(pop)

// GetProcAddress's result, as the entry point's own type.
template <class Function>
Function EntryPoint(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

const char* IconState(HICON* holder)
{
    if (holder == nullptr)
        return "no icon";
    return *holder != nullptr ? "icon received" : "empty icon holder";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: host_probe <Plugins folder>\n");
        return 2;
    }
    char directory[MAX_PATH];
    std::snprintf(directory, sizeof directory, "%s", argv[1]);
    char dllPath[MAX_PATH];
    std::snprintf(dllPath, sizeof dllPath, "%s\\velmora.dll", directory);

    HMODULE module = ::LoadLibraryA(dllPath);
    if (module == nullptr) {
        std::fprintf(stderr, "cannot load %s (error %lu)\n", dllPath, ::GetLastError());
        return 1;
    }
    auto version = EntryPoint<VersionFn>(module, "ems_plugin_version");
    auto init = EntryPoint<InitFn>(module, "ems_plugin_init");
    auto info = EntryPoint<InfoFn>(module, "ems_special_info");
    auto finish = EntryPoint<FinishFn>(module, "ems_plugin_finish");
    auto release = EntryPoint<FreeFn>(module, "ems_free");
    if (!version || !init || !info || !finish || !release) {
        std::fprintf(stderr, "velmora.dll lacks an entry point\n");
        return 1;
    }

    short apiVersion = 0;
    version(&apiVersion);
    std::printf("plug-in API version: %d\n", apiVersion);

    HWND mainWindow = nullptr;
    ConfigRecord config{};
    config.size = sizeof config;
    config.mainWindow = &mainWindow;
    config.directory = directory;
    InfoRecord plugin{};
    plugin.size = sizeof plugin;
    char empty[1] = "";
    plugin.description = empty;
    init(nullptr, 6, &config, &plugin);
    std::printf("description: %s\n", plugin.description ? plugin.description : "(none)");
    std::printf("plug-in id: %d, special items: %d, plug-in icon: %s\n", plugin.id,
                plugin.specialCount, IconState(plugin.icon));

    MenuRecord items[8]{};
    const int count = plugin.specialCount < 8 ? plugin.specialCount : 8;
    for (int i = 0; i < count; ++i) {
        items[i].size = sizeof items[i];
        items[i].id = i + 1;
        const int32_t result = info(nullptr, &items[i]);
        std::printf("menu item %d: \"%s\", %s, flags 0x%X (result %d)\n", i + 1,
                    items[i].text ? items[i].text : "(none)", IconState(items[i].icon),
                    static_cast<unsigned>(items[i].flags), result);
    }

    for (int i = 0; i < count; ++i) {
        release(items[i].text);
        release(items[i].icon);
    }
    if (plugin.description != empty)
        release(plugin.description);
    release(plugin.icon);
    finish(nullptr);
    ::FreeLibrary(module);
    std::printf("settings file: %s\\velmora.ini\n", directory);
    return 0;
}
