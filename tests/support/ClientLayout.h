// The mail client's default layout (program and data folders apart) and its record of
// its last start in the registry, as setup programs and the stand-in host find them.
#pragma once
#include <string>

#include "support/Files.h"

namespace testing_support {

// A REG_SZ value of HKEY_CURRENT_USER, or empty; whether a key of it exists.
std::string ReadUserValue(const std::string& key, const std::string& value);
bool UserKeyExists(const std::string& key);

// A key of HKEY_CURRENT_USER a test owns: removed with all below it when the object is
// made and when it goes away, so no test sees another's leftovers.
class OwnedUserKey {
public:
    explicit OwnedUserKey(std::string key);
    ~OwnedUserKey();
    OwnedUserKey(const OwnedUserKey&) = delete;
    OwnedUserKey& operator=(const OwnedUserKey&) = delete;

private:
    std::string key_;
};

// "<scratch>\Program Files\Eudora" with Eudora.exe and an empty Plugins folder, and
// "<scratch>\Application Data\Eudora" with eudora.ini but no Plugins folder (the client
// never creates that one). Names with blanks, so their short forms differ.
class ClientLayout {
public:
    static constexpr const char* kRecordKey = "Software\\Qualcomm\\Eudora\\CommandLine";

    ClientLayout();
    const std::string& programFolder() const { return program_; }
    const std::string& dataFolder() const { return data_; }
    std::string ProgramPlugins() const { return program_ + "\\Plugins"; }
    std::string DataPlugins() const { return data_ + "\\Plugins"; }
    // What the client records at every start (value "Current" of kRecordKey): the short
    // paths of Eudora.exe, the data folder and its eudora.ini, blank-separated.
    std::string CommandLine() const;
    void RecordStart() const;

private:
    ScratchDir root_;
    std::string program_;
    std::string data_;
};

} // namespace testing_support
