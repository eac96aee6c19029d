// The records the host passes to the entry points. They belong to the host; the
// plug-in reads and writes only the fields named here, at their 32-bit offsets.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

// Filled by ems_plugin_init.
struct PluginInfoRecord {
    int32_t size;            // the host's; not touched
    int32_t otherItemsA;     // written 0: no items of the host's other kinds
    int32_t otherItemsB;     // written 0
    int32_t specialCount;    // written 2: the two special menu items
    char* description;       // written: heap copy, returned through ems_free
    int32_t pluginId;        // written kPluginId
    HICON* icon;             // written: heap icon holder with the plug-in icon
};

// Passed to ems_special_info and ems_special_hook.
struct MenuItemRecord {
    int32_t size;            // the host's; not touched
    int32_t id;              // read: 1 or 2 are the plug-in's items
    char* text;              // written by ems_special_info: heap copy of the menu text
    HICON* icon;             // written for hosts newer than API 3: heap icon holder
    int32_t flags;           // written for hosts newer than API 3: kMenuItemFlags
};

// Passed to ems_plugin_init.
struct MailConfigRecord {
    int32_t size;            // the host's; not touched
    HWND* mainWindow;        // the host's; never read (null while the host starts)
    char* configDirectory;   // read once: the folder that holds velmora.ini
};

static_assert(sizeof(void*) == 4, "the host's records are 32-bit");
static_assert(offsetof(PluginInfoRecord, otherItemsA) == 4, "record layout");
static_assert(offsetof(PluginInfoRecord, otherItemsB) == 8, "record layout");
static_assert(offsetof(PluginInfoRecord, specialCount) == 12, "record layout");
static_assert(offsetof(PluginInfoRecord, description) == 16, "record layout");
static_assert(offsetof(PluginInfoRecord, pluginId) == 20, "record layout");
static_assert(offsetof(PluginInfoRecord, icon) == 24, "record layout");
static_assert(sizeof(PluginInfoRecord) == 28, "nothing past offset 24 is ours");
static_assert(offsetof(MenuItemRecord, id) == 4, "record layout");
static_assert(offsetof(MenuItemRecord, text) == 8, "record layout");
static_assert(offsetof(MenuItemRecord, icon) == 12, "record layout");
static_assert(offsetof(MenuItemRecord, flags) == 16, "record layout");
static_assert(offsetof(MailConfigRecord, configDirectory) == 8, "record layout");

constexpr int32_t kPluginApiVersion = 4;
constexpr int32_t kPluginId = 4398;
constexpr int32_t kSpecialItemCount = 2;
constexpr int32_t kMenuItemFlags = 0x8000;
constexpr int32_t kMenuIdActivate = 1;
constexpr int32_t kMenuIdScreenSaver = 2;
constexpr int32_t kResultOk = 0;
constexpr int32_t kResultNullRecord = 1;
constexpr int32_t kResultUnknownItem = 3;
