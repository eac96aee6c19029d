#include "plugin/EntryPoints.h"

#include <string>

#include "framework/Module.h"
#include "plugin/PluginApp.h"
#include "plugin/HostHeap.h"
#include "plugin/ProductInfo.h"
#include "resource.h"

namespace {

const char* MenuText(int32_t id) noexcept
{
    switch (id) {
    case kMenuIdActivate: return "Activate Velmora";
    case kMenuIdScreenSaver: return "Activate Screen Saver";
    default: return nullptr;
    }
}

int IconResourceFor(int request) noexcept
{
    if (request < 0)
        return IDI_VELMORA;
    if (theApp.HostApiVersion <= 3)
        return 0;
    switch (request) {
    case kMenuIdActivate: return IDI_ACTIVATE;
    case kMenuIdScreenSaver: return IDI_SCREEN_SAVER;
    default: return 0;
    }
}

} // namespace

void LoadIconHolder(int request, HICON** slot)
{
    if (slot == nullptr)
        return;
    const int resource = IconResourceFor(request);
    if (resource == 0) {
        *slot = nullptr;
        return;
    }
    HICON* holder = static_cast<HICON*>(HostHeapAlloc(sizeof(HICON)));
    *slot = holder;
    // Loaded at the size the resource has (16x16 for menu items) rather than stretched
    // to the system icon size; shared, like any icon the host never destroys.
    if (holder != nullptr)
        *holder = static_cast<HICON>(::LoadImageA(ModuleInstance(), MAKEINTRESOURCEA(resource),
                                                  IMAGE_ICON, 0, 0, LR_SHARED));
}

extern "C" {

int32_t WINAPI ems_plugin_version(short* apiVersion)
{
    if (apiVersion == nullptr)
        return kResultNullRecord;
    *apiVersion = static_cast<short>(kPluginApiVersion);
    return kResultOk;
}

int32_t WINAPI ems_plugin_init(void*, int32_t hostApiVersion, MailConfigRecord* config,
                               PluginInfoRecord* info)
{
    if (info == nullptr)
        return kResultOk;
    info->otherItemsA = 0;
    info->otherItemsB = 0;
    info->specialCount = kSpecialItemCount;
    info->pluginId = kPluginId;
    theApp.Start(hostApiVersion, config != nullptr ? config->configDirectory : nullptr);
    LoadIconHolder(-1, &info->icon);
    info->description =
        HostHeapCopy(DescriptionText(theApp.product.productName, theApp.product.versionText));
    theApp.commands.RunStartUpActivation();
    return kResultOk;
}

int32_t WINAPI ems_special_info(void*, MenuItemRecord* item)
{
    if (item == nullptr)
        return kResultNullRecord;
    const int32_t id = item->id;
    const char* text = MenuText(id);
    if (text == nullptr)
        return kResultUnknownItem;
    item->text = HostHeapCopy(text);
    if (theApp.HostApiVersion > 3) {
        item->flags = kMenuItemFlags;
        LoadIconHolder(id, &item->icon);
    }
    return kResultOk;
}

int32_t WINAPI ems_special_hook(void*, MenuItemRecord* item)
{
    if (item == nullptr)
        return kResultNullRecord;
    switch (item->id) {
    case kMenuIdActivate:
        // The lock by itself follows settings applied on the way at once.
        if (theApp.commands.RunActivateCommand())
            theApp.autoLock.Rearm();
        break;
    case kMenuIdScreenSaver: theApp.commands.RunScreenSaverCommand(); break;
    default: break;
    }
    return kResultOk;
}

int32_t WINAPI ems_plugin_config(void*, void*)
{
    // The lock by itself follows the new settings at once.
    if (theApp.commands.RunSettingsCommand())
        theApp.autoLock.Rearm();
    return kResultOk;
}

int32_t WINAPI ems_plugin_finish(void*)
{
    theApp.Finish();
    return kResultOk;
}

int32_t WINAPI ems_free(void* block)
{
    HostHeapFree(block);
    return kResultOk;
}

} // extern "C"
