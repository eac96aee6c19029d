// At each start the client records how it was started, so that installers and other
// tools find its program and data folders: value "Current" of
// HKEY_CURRENT_USER\Software\Qualcomm\Eudora\CommandLine, three blank-separated short
// (8.3) paths: the program file, the data folder and the data folder's eudora.ini.
#pragma once
#include <string>

#include "host/ClientFolders.h"

namespace velmora_host {

extern const char* const kCommandLineKey;     // under HKEY_CURRENT_USER
extern const char* const kCommandLineValue;   // "Current"

// Creates the data folder and an empty eudora.ini where missing (short paths exist only
// for existing files), then writes the value. Returns the recorded text, or empty when
// a path had no short form or the registry refused the write.
std::string RecordCommandLine(const std::string& programFile, const ClientFolders& folders);

} // namespace velmora_host
