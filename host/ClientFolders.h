// Where the mail client keeps its files. By default the program (the executable and
// the plug-ins it ships, in <program>\Plugins) and the user's data (mailboxes,
// eudora.ini, <data>\Plugins) lie in different folders; a single-folder install names
// one folder for both.
#pragma once
#include <string>
#include <vector>

namespace velmora_host {

class ClientFolders {
public:
    // An empty `data` makes a single-folder install: the data folder is the program
    // folder. Trailing separators are dropped.
    explicit ClientFolders(std::string program, std::string data = {});

    const std::string& program() const { return program_; }
    const std::string& data() const { return data_; }
    std::string ProgramPlugins() const;
    // The config directory every plug-in is handed, wherever the plug-in was found.
    std::string DataPlugins() const;
    // The client's settings file; its path is part of the recorded command line.
    std::string IniFile() const;
    // Searched for plug-ins in this order: the program's Plugins folder first.
    std::vector<std::string> PluginFolders() const;

    // The client creates its own Plugins folder when missing (that folder alone, not
    // its parents), but never the data folder's: plug-ins living there have to cope.
    bool CreateProgramPlugins() const;

private:
    std::string program_;
    std::string data_;
};

std::string WithoutTrailingSeparators(std::string path);

} // namespace velmora_host
