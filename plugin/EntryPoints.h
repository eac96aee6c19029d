// The seven entry points the host finds by name (exported undecorated through
// velmora.def; standard calling convention).
#pragma once
#include <windows.h>

#include <cstdint>

#include "plugin/HostRecords.h"

extern "C" {
int32_t WINAPI ems_plugin_version(short* apiVersion);
int32_t WINAPI ems_plugin_init(void* globals, int32_t hostApiVersion, MailConfigRecord* config,
                               PluginInfoRecord* info);
int32_t WINAPI ems_special_info(void* globals, MenuItemRecord* item);
int32_t WINAPI ems_special_hook(void* globals, MenuItemRecord* item);
int32_t WINAPI ems_plugin_config(void* globals, void* mailConfig);
int32_t WINAPI ems_plugin_finish(void* globals);
int32_t WINAPI ems_free(void* block);
}

// Fills *slot with a new heap icon holder: the plug-in icon for a negative request,
// otherwise the icon of that menu item (hosts newer than API 3 only), or null.
void LoadIconHolder(int request, HICON** slot);
