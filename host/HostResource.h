// Resource and command identifiers of the stand-in host program (its own module, not
// the plug-in's).
#pragma once

#define IDD_HOST_PLUGIN_SETTINGS    200
#define IDC_HOST_PLUGIN_LIST        201
#define IDC_HOST_PLUGIN_SETTINGS    202
#define IDC_HOST_PLUGIN_FILE        203

#define IDM_HOST_EXIT               300
#define IDM_HOST_OPTIONS            301
#define IDM_HOST_PLUGIN_SETTINGS    302
#define IDM_HOST_ABOUT              303
// Plug-in menu items and toolbar buttons take the ids from here upwards.
#define IDM_HOST_FIRST_PLUGIN_ITEM  1000
