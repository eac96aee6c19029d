#include "config_ui/ShellOpen.h"

#include <shellapi.h>

ShellExecuteFunction ShellExecuteForDialogs = &::ShellExecuteA;
