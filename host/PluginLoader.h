// The mail client's side of the plug-in interface: finds *.dll in its Plugins folders,
// loads each library once, hands it the client's records (or, for a plug-in of the
// older API version 2, the older initialisation call), keeps the menu-item records it
// gets back, carries out picks and settings requests, and unloads everything at exit in
// the client's order. The stand-in host program and the end-to-end tests share it.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ClientFolders.h"

namespace velmora_host {

// The records as the client lays them out (32-bit, four-byte fields). The client's
// records are larger than the fields a plug-in fills; the tail stays zero.
struct PluginInfoBlock {
    int32_t size;              // 40
    int32_t countA;            // item counts of the client's other plug-in kinds
    int32_t countB;
    int32_t numSpecials;       // special menu items offered
    char* description;         // the client pre-sets an empty string of its own
    int32_t id;                // the client keeps the low 16 bits
    HICON* icon;               // icon holder, 32x32 icon
    int32_t reserved[3];
};

struct MenuItemBlock {
    int32_t size;              // 20
    int32_t id;
    char* text;
    HICON* icon;               // icon holder, 16x16 icon
    int32_t flags;             // kToolbarFlag: the item wants a toolbar button too
};

struct MailConfigBlock {
    int32_t size;              // 36
    HWND* mainWindow;          // the client's main-window variable, still null during init
    char* directory;           // the config directory, <data>\Plugins, no trailing backslash
    int32_t reserved[6];
};

static_assert(sizeof(PluginInfoBlock) == 40, "the client's info record");
static_assert(sizeof(MenuItemBlock) == 20, "the client's menu record");
static_assert(sizeof(MailConfigBlock) == 36, "the client's config record");

constexpr int32_t kHostApiVersion = 6;
// Plug-ins answering this version get the older eight-argument initialisation call and
// no special menu items.
constexpr short kOlderApiVersion = 2;
constexpr int32_t kToolbarFlag = 0x8000;

// One call the client made, or one block it handed back, in the order it happened.
struct HostEvent {
    enum class Kind {
        Version,        // value: the plug-in's API version
        AlreadyLoaded,  // plugin: the one LoadLibrary handed back again; skipped
        Init,           // value: result
        SpecialInfo,    // item: 1-based id; value: result
        Hook,           // item; value: result (ignored by the client)
        Config,         // value: result
        FreeItemText,   // item; block
        FreeItemIcon,   // item; block
        FreeDescription,
        FreePluginIcon,
        Finish,
        Unload,
    };
    Kind kind;
    size_t plugin;
    int32_t item;
    int32_t value;
    const void* block;
};

const char* EventName(HostEvent::Kind kind) noexcept;

class LoadedPlugin {
public:
    using VersionFn = int32_t(WINAPI*)(short*);
    using InitFn = int32_t(WINAPI*)(void*, int32_t, MailConfigBlock*, PluginInfoBlock*);
    // API version 2: globals, config directory, user name, return address, translator
    // count, description, id, icon holder.
    using OlderInitFn = int32_t(WINAPI*)(void**, char*, char*, char*, short*, char**, short*, HICON**);
    using ItemFn = int32_t(WINAPI*)(void*, MenuItemBlock*);
    using ConfigFn = int32_t(WINAPI*)(void*, MailConfigBlock*);
    using FinishFn = int32_t(WINAPI*)(void*);
    using FreeFn = int32_t(WINAPI*)(void*);

    LoadedPlugin() = default;
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    std::string fileName;
    std::string folder;        // the Plugins folder it was found in
    HMODULE module = nullptr;
    short apiVersion = 0;
    int16_t id = 0;
    // Filled by the current initialisation call; for an API-2 plug-in the description,
    // id and icon holder of the older call are kept here too.
    PluginInfoBlock info{};
    short translators = 0;     // what an API-2 plug-in announced
    // The value the client passes as the first argument of every call.
    void* globals[8]{};
    // Kept for the plug-in's lifetime: picks pass the same record back.
    std::vector<MenuItemBlock> items;

    VersionFn version = nullptr;
    InitFn init = nullptr;
    OlderInitFn olderInit = nullptr;   // the same export, for API-2 plug-ins
    ItemFn specialInfo = nullptr;
    ItemFn specialHook = nullptr;
    ConfigFn config = nullptr;
    FinishFn finish = nullptr;
    FreeFn release = nullptr;

    std::string Path() const { return folder + "\\" + fileName; }
    bool UsesOlderApi() const { return apiVersion == kOlderApiVersion; }
    // A settings request takes the later API's config record, so API-2 plug-ins get none.
    bool HasSettings() const { return config != nullptr && !UsesOlderApi(); }
    // The description as the client shows it (the plug-in's text, or empty).
    std::string Description() const;
    // The plug-in icon from its holder, or null.
    HICON Icon() const noexcept;
    static HICON ItemIcon(const MenuItemBlock& item) noexcept;
    static std::string ItemText(const MenuItemBlock& item);
};

class PluginHost {
public:
    // `mainWindowSlot` is what the config record's window field points to; the client
    // passes its main-window variable, which is still null while plug-ins initialise.
    // Plug-ins come from both Plugins folders; the config directory is the data one's.
    PluginHost(const ClientFolders& folders, HWND* mainWindowSlot);
    // One Plugins folder that is also the config directory.
    PluginHost(std::string pluginsFolder, HWND* mainWindowSlot);
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    // Loads and initialises every *.dll of the folders, a library LoadLibrary hands back
    // a second time only once; returns how many are in use.
    // A plug-in that shows a dialog at start-up keeps this call waiting.
    size_t LoadAll();
    // Picks special item `item` (0-based) of plug-in `plugin`; the result is ignored
    // by the client, returned here for whoever wants to see it.
    int32_t Pick(size_t plugin, size_t item);
    // The plug-in's settings request.
    int32_t OpenSettings(size_t plugin);
    // Returns every handed-over block, finishes and unloads each plug-in. Call after
    // the main window is gone. Runs once.
    void UnloadAll();

    const std::vector<std::unique_ptr<LoadedPlugin>>& plugins() const { return plugins_; }
    const std::vector<HostEvent>& events() const { return events_; }
    // The config directory handed to every plug-in.
    const std::string& configDirectory() const { return configDirectory_; }
    const std::vector<std::string>& searchFolders() const { return searchFolders_; }
    // Index of the plug-in loaded from a file of that name (any letter case), or npos.
    size_t IndexOf(const std::string& fileName) const;
    // Told about every event as it happens (the host's log pane, the tests' probes).
    std::function<void(const PluginHost&, const HostEvent&)> observer;

private:
    bool Load(const std::string& folder, const std::string& fileName);
    void Initialise(LoadedPlugin& plugin, size_t index);
    void InitialiseOlder(LoadedPlugin& plugin, size_t index);
    void Record(HostEvent event);
    void Release(LoadedPlugin& plugin, size_t index, HostEvent::Kind kind, int32_t item,
                 void* block);

    std::vector<std::string> searchFolders_;
    std::string configDirectory_;
    std::vector<char> configText_;
    std::vector<char> emptyDescription_;
    std::vector<char> userName_;
    std::vector<char> userAddress_;
    HWND* mainWindowSlot_;
    MailConfigBlock config_{};
    std::vector<std::unique_ptr<LoadedPlugin>> plugins_;
    std::vector<HostEvent> events_;
    bool unloaded_ = false;
};

// A readable line for one event ("velmora.dll: ems_plugin_init -> 0").
std::string DescribeEvent(const PluginHost& host, const HostEvent& event);

} // namespace velmora_host
