#include "host/PluginLoader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace velmora_host {

namespace {

template <class Function>
Function EntryPoint(HMODULE module, const char* name) noexcept
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}

std::vector<char> Text(const std::string& text)
{
    return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

} // namespace

const char* EventName(HostEvent::Kind kind) noexcept
{
    switch (kind) {
    case HostEvent::Kind::Version: return "ems_plugin_version";
    case HostEvent::Kind::AlreadyLoaded: return "already loaded, skipped";
    case HostEvent::Kind::Init: return "ems_plugin_init";
    case HostEvent::Kind::SpecialInfo: return "ems_special_info";
    case HostEvent::Kind::Hook: return "ems_special_hook";
    case HostEvent::Kind::Config: return "ems_plugin_config";
    case HostEvent::Kind::FreeItemText: return "ems_free (menu text)";
    case HostEvent::Kind::FreeItemIcon: return "ems_free (menu icon holder)";
    case HostEvent::Kind::FreeDescription: return "ems_free (description)";
    case HostEvent::Kind::FreePluginIcon: return "ems_free (plug-in icon holder)";
    case HostEvent::Kind::Finish: return "ems_plugin_finish";
    case HostEvent::Kind::Unload: return "FreeLibrary";
    }
    return "?";
}

std::string LoadedPlugin::Description() const
{
    return info.description != nullptr ? info.description : "";
}

HICON LoadedPlugin::Icon() const noexcept
{
    return info.icon != nullptr ? *info.icon : nullptr;
}

HICON LoadedPlugin::ItemIcon(const MenuItemBlock& item) noexcept
{
    return item.icon != nullptr ? *item.icon : nullptr;
}

std::string LoadedPlugin::ItemText(const MenuItemBlock& item)
{
    return item.text != nullptr ? item.text : "";
}

PluginHost::PluginHost(const ClientFolders& folders, HWND* mainWindowSlot)
    : PluginHost(folders.DataPlugins(), mainWindowSlot)
{
    searchFolders_ = folders.PluginFolders();
}

PluginHost::PluginHost(std::string pluginsFolder, HWND* mainWindowSlot)
    : configDirectory_(WithoutTrailingSeparators(std::move(pluginsFolder))),
      mainWindowSlot_(mainWindowSlot)
{
    searchFolders_ = {configDirectory_};
    configText_ = Text(configDirectory_);
    emptyDescription_ = Text("");
    userName_ = Text("Stand-in User");
    userAddress_ = Text("user@example.com");
    config_.size = sizeof config_;
    config_.mainWindow = mainWindowSlot_;
    config_.directory = configText_.data();
}

PluginHost::~PluginHost()
{
    UnloadAll();
}

size_t PluginHost::LoadAll()
{
    for (const std::string& folder : searchFolders_) {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((folder + "\\*.dll").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
                    names.emplace_back(found.cFileName);
            } while (::FindNextFileA(search, &found));
            ::FindClose(search);
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names)
            Load(folder, name);
    }
    return plugins_.size();
}

size_t PluginHost::IndexOf(const std::string& fileName) const
{
    for (size_t i = 0; i < plugins_.size(); ++i) {
        if (::lstrcmpiA(plugins_[i]->fileName.c_str(), fileName.c_str()) == 0)
            return i;
    }
    return std::string::npos;
}

bool PluginHost::Load(const std::string& folder, const std::string& fileName)
{
    HMODULE m = ::LoadLibraryA((folder + "\\" + fileName).c_str());
    if (m == nullptr)
        return false;
    // The same folder named twice, or the same file reached another way: the library
    // is in use already, and only the extra reference goes.
    for (size_t i = 0; i < plugins_.size(); ++i) {
        if (plugins_[i]->module == m) {
            ::FreeLibrary(m);
            Record({HostEvent::Kind::AlreadyLoaded, i, 0, 0, nullptr});
            return false;
        }
    }
    auto plugin = std::make_unique<LoadedPlugin>();
    plugin->fileName = fileName;
    plugin->folder = folder;
    plugin->module = m;
    plugin->version = EntryPoint<LoadedPlugin::VersionFn>(m, "ems_plugin_version");
    plugin->init = EntryPoint<LoadedPlugin::InitFn>(m, "ems_plugin_init");
    plugin->olderInit = EntryPoint<LoadedPlugin::OlderInitFn>(m, "ems_plugin_init");
    plugin->specialInfo = EntryPoint<LoadedPlugin::ItemFn>(m, "ems_special_info");
    plugin->specialHook = EntryPoint<LoadedPlugin::ItemFn>(m, "ems_special_hook");
    plugin->config = EntryPoint<LoadedPlugin::ConfigFn>(m, "ems_plugin_config");
    plugin->finish = EntryPoint<LoadedPlugin::FinishFn>(m, "ems_plugin_finish");
    plugin->release = EntryPoint<LoadedPlugin::FreeFn>(m, "ems_free");
    // Not a plug-in of this interface (a helper library, say): leave it alone.
    if (!plugin->version || !plugin->init || !plugin->finish || !plugin->release) {
        ::FreeLibrary(m);
        return false;
    }

    const size_t index = plugins_.size();
    plugins_.push_back(std::move(plugin));
    LoadedPlugin& p = *plugins_.back();

    p.version(&p.apiVersion);
    Record({HostEvent::Kind::Version, index, 0, p.apiVersion, nullptr});
    if (p.UsesOlderApi())
        InitialiseOlder(p, index);
    else
        Initialise(p, index);
    return true;
}

void PluginHost::Initialise(LoadedPlugin& p, size_t index)
{
    p.info.size = sizeof p.info;
    p.info.description = emptyDescription_.data();
    const int32_t initResult = p.init(p.globals, kHostApiVersion, &config_, &p.info);
    Record({HostEvent::Kind::Init, index, 0, initResult, nullptr});
    p.id = static_cast<int16_t>(p.info.id & 0xFFFF);

    const int32_t count = p.specialInfo != nullptr ? p.info.numSpecials : 0;
    p.items.reserve(count > 0 ? static_cast<size_t>(count) : 0);
    for (int32_t id = 1; id <= count; ++id) {
        p.items.push_back(MenuItemBlock{});
        MenuItemBlock& item = p.items.back();
        item.size = sizeof item;
        item.id = id;
        const int32_t result = p.specialInfo(p.globals, &item);
        Record({HostEvent::Kind::SpecialInfo, index, id, result, nullptr});
    }
}

void PluginHost::InitialiseOlder(LoadedPlugin& p, size_t index)
{
    // Eight arguments, which the callee pops: the later records mean nothing to it.
    char* description = emptyDescription_.data();
    short id = 0;
    HICON* icon = nullptr;
    const int32_t initResult =
        p.olderInit(p.globals, configText_.data(), userName_.data(), userAddress_.data(),
                    &p.translators, &description, &id, &icon);
    Record({HostEvent::Kind::Init, index, 0, initResult, nullptr});
    p.info.description = description;
    p.info.id = id;
    p.info.icon = icon;
    p.id = id;
}

int32_t PluginHost::Pick(size_t plugin, size_t item)
{
    if (plugin >= plugins_.size() || unloaded_)
        return -1;
    LoadedPlugin& p = *plugins_[plugin];
    if (item >= p.items.size() || p.specialHook == nullptr)
        return -1;
    // The element's address stays put: the vector was sized once at load.
    MenuItemBlock& record = p.items[item];
    const int32_t result = p.specialHook(p.globals, &record);
    Record({HostEvent::Kind::Hook, plugin, record.id, result, nullptr});
    return result;
}

int32_t PluginHost::OpenSettings(size_t plugin)
{
    if (plugin >= plugins_.size() || unloaded_)
        return -1;
    LoadedPlugin& p = *plugins_[plugin];
    if (!p.HasSettings())
        return -1;
    const int32_t result = p.config(p.globals, &config_);
    Record({HostEvent::Kind::Config, plugin, 0, result, nullptr});
    return result;
}

void PluginHost::Release(LoadedPlugin& plugin, size_t index, HostEvent::Kind kind, int32_t item,
                         void* block)
{
    // The client's own empty description was never the plug-in's to free.
    if (block == nullptr || block == emptyDescription_.data())
        return;
    plugin.release(block);
    Record({kind, index, item, 0, block});
}

void PluginHost::UnloadAll()
{
    if (unloaded_)
        return;
    unloaded_ = true;
    for (size_t index = 0; index < plugins_.size(); ++index) {
        LoadedPlugin& p = *plugins_[index];
        for (MenuItemBlock& item : p.items) {
            Release(p, index, HostEvent::Kind::FreeItemText, item.id, item.text);
            Release(p, index, HostEvent::Kind::FreeItemIcon, item.id, item.icon);
            item.text = nullptr;
            item.icon = nullptr;
        }
        Release(p, index, HostEvent::Kind::FreeDescription, 0, p.info.description);
        Release(p, index, HostEvent::Kind::FreePluginIcon, 0, p.info.icon);
        p.info.description = nullptr;
        p.info.icon = nullptr;
        const int32_t result = p.finish(p.globals);
        Record({HostEvent::Kind::Finish, index, 0, result, nullptr});
        ::FreeLibrary(p.module);
        p.module = nullptr;
        Record({HostEvent::Kind::Unload, index, 0, 0, nullptr});
    }
}

void PluginHost::Record(HostEvent event)
{
    events_.push_back(event);
    if (observer)
        observer(*this, event);
}

std::string DescribeEvent(const PluginHost& host, const HostEvent& event)
{
    const std::string file =
        event.plugin < host.plugins().size() ? host.plugins()[event.plugin]->fileName : "?";
    char line[256];
    switch (event.kind) {
    case HostEvent::Kind::Version:
        std::snprintf(line, sizeof line, "%s: %s -> API %d", file.c_str(), EventName(event.kind),
                      event.value);
        break;
    case HostEvent::Kind::SpecialInfo:
    case HostEvent::Kind::Hook:
        std::snprintf(line, sizeof line, "%s: %s (item %d) -> %d", file.c_str(),
                      EventName(event.kind), event.item, event.value);
        break;
    case HostEvent::Kind::FreeItemText:
    case HostEvent::Kind::FreeItemIcon:
        std::snprintf(line, sizeof line, "%s: %s of item %d", file.c_str(), EventName(event.kind),
                      event.item);
        break;
    case HostEvent::Kind::AlreadyLoaded:
    case HostEvent::Kind::FreeDescription:
    case HostEvent::Kind::FreePluginIcon:
    case HostEvent::Kind::Unload:
        std::snprintf(line, sizeof line, "%s: %s", file.c_str(), EventName(event.kind));
        break;
    default:
        std::snprintf(line, sizeof line, "%s: %s -> %d", file.c_str(), EventName(event.kind),
                      event.value);
        break;
    }
    return line;
}

} // namespace velmora_host
