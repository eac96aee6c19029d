#include "support/Files.h"

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace testing_support {

void (*LeftoverJournalFound)(const std::string& path) = nullptr;

ScratchDir::ScratchDir()
{
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    // Wine soon gives a new process the id of one that ended: the start time of this one
    // keeps its names apart from every earlier program's.
    static const DWORD started = ::GetTickCount();
    for (;;) {
        char name[MAX_PATH];
        std::snprintf(name, sizeof name, "%svelmora-test-%lu-%lx-%u", base, ::GetCurrentProcessId(),
                      started, ++counter);
        if (::CreateDirectoryA(name, nullptr)) {
            path_ = name;
            return;
        }
    }
}

ScratchDir::~ScratchDir()
{
    RemoveTree(path_);
}

std::string ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool ResizeFile(const std::string& path, long long size)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER at{};
    at.QuadPart = size;
    const bool resized = file != INVALID_HANDLE_VALUE && ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) &&
                         ::SetEndOfFile(file);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return resized;
}

long long FileSizeOf(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool PathExists(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string child = path + "\\" + name;
            if (name == "velmora.jnl" && LeftoverJournalFound != nullptr)
                LeftoverJournalFound(child);
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else
                ::DeleteFileA(child.c_str());
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::RemoveDirectoryA(path.c_str());
}

std::string ProgramDirectory()
{
    char path[MAX_PATH];
    const DWORD n = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string p(path, n);
    return p.substr(0, p.find_last_of("\\/"));
}

} // namespace testing_support
