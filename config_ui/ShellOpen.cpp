#include "config_ui/ShellOpen.h"

#include <shellapi.h>

// A test seam: tests see what the dialogs open without starting programs.
ShellExecuteFunction ShellExecuteForDialogs = &::ShellExecuteA;
