// The gate in front of every unlock attempt. It owns the wrong passwords typed since the
// last unlock: as the settings file keeps them (so the wait outlives the client), or as
// counted here when the file refuses the record, so a file that cannot be written never
// lifts the wait.
#pragma once
#include <cstdint>
#include <string>

#include "cover/unlock/WrongPasswords.h"

class SettingsFile;

class WrongPasswordGate {
public:
    explicit WrongPasswordGate(SettingsFile& settings) noexcept : settings_(settings) {}

    // Milliseconds until a password is tried again, 0 when one is tried now. The record
    // is read afresh: another cover or a restarted client may have added to it.
    uint32_t Wait();
    // One more wrong password, typed now.
    void AddWrong();
    // The unlock: the record goes.
    void Clear();
    bool AnyWrong() const noexcept { return record_.count > 0; }
    // The line that tells the user about them, as of now; empty while there are none.
    std::string Line();

private:
    SettingsFile& settings_;
    WrongPasswordWait wait_;
    WrongPasswordRecord record_;
    bool unsaved_ = false;
};
