// What the setup program leaves outside its Plugins folder for one data folder: its
// Add/Remove Programs entry and the copy of the uninstaller that entry runs. Also a
// folder made unwritable for a while, root included.
#pragma once
#include <string>

namespace testing_support {

// The entry's key below HKEY_CURRENT_USER: "...\Uninstall\Velmora-" and the CRC-32 of the
// folder's long path in capitals, as UTF-16 (8 hex digits).
std::string SetupEntryKey(const std::string& dataFolder);
// Where setup keeps the uninstallers its entries run, in the user's application data.
std::string SetupUninstallersFolder();

// While it lives, nothing can be written into the folder (chattr +i on the Unix side);
// `held()` is false where that is not possible.
class UnwritableFolder {
public:
    explicit UnwritableFolder(const std::string& folder);
    ~UnwritableFolder();
    UnwritableFolder(const UnwritableFolder&) = delete;
    UnwritableFolder& operator=(const UnwritableFolder&) = delete;
    bool held() const { return held_; }

private:
    std::string folder_;
    std::string unixPath_;
    bool held_ = false;
};

} // namespace testing_support
