// Scratch folders and file bytes for the tests and the benchmark. Free of the test
// framework.
#pragma once
#include <string>

namespace testing_support {

// A fresh, empty folder under the temporary directory, removed with its contents when
// the object goes away.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

// Called for every velmora.jnl a scratch folder still holds when it is removed:
// the plug-in leaves none behind a write that completed, nor after a start. The test
// programs' main fails the test that left it.
extern void (*LeftoverJournalFound)(const std::string& path);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
bool PathExists(const std::string& path);
// Makes the file `size` bytes long (created when missing): what it grows by holds next to
// nothing on the disk. Returns whether it could.
bool ResizeFile(const std::string& path, long long size);
// -1 when there is no such file.
long long FileSizeOf(const std::string& path);
void RemoveTree(const std::string& path);

// Folder of the running program; velmora.dll is built beside it.
std::string ProgramDirectory();

} // namespace testing_support
