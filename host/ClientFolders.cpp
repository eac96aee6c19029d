#include "host/ClientFolders.h"

#include <windows.h>

#include <utility>

namespace velmora_host {

std::string WithoutTrailingSeparators(std::string path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

ClientFolders::ClientFolders(std::string program, std::string data)
    : program_(WithoutTrailingSeparators(std::move(program))),
      data_(data.empty() ? program_ : WithoutTrailingSeparators(std::move(data)))
{
}

std::string ClientFolders::ProgramPlugins() const
{
    return program_ + "\\Plugins";
}

std::string ClientFolders::DataPlugins() const
{
    return data_ + "\\Plugins";
}

std::string ClientFolders::IniFile() const
{
    return data_ + "\\eudora.ini";
}

std::vector<std::string> ClientFolders::PluginFolders() const
{
    // A single-folder install names the same folder twice; the loader skips the
    // libraries it already has, as the client does.
    return {ProgramPlugins(), DataPlugins()};
}

bool ClientFolders::CreateProgramPlugins() const
{
    const std::string folder = ProgramPlugins();
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const DWORD attributes = ::GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

} // namespace velmora_host
