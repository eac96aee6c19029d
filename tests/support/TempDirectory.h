// The process's temporary directory in tests: pointing it elsewhere and listing it.
#pragma once
#include <string>
#include <vector>

namespace testing_support {

// Points the temporary directory (GetTempPathA, which reads TMP first) at `directory`
// for the object's lifetime; the previous value comes back afterwards.
class TempDirectoryOverride {
public:
    explicit TempDirectoryOverride(const std::string& directory);
    ~TempDirectoryOverride();
    TempDirectoryOverride(const TempDirectoryOverride&) = delete;
    TempDirectoryOverride& operator=(const TempDirectoryOverride&) = delete;

private:
    bool hadValue_ = false;
    std::string previous_;
};

// GetTempPathA's answer, with its trailing separator.
std::string CurrentTempDirectory();

// Names (not paths) of the entries of `directory` matching `pattern`, sorted.
std::vector<std::string> ListDirectory(const std::string& directory, const std::string& pattern = "*");

} // namespace testing_support
