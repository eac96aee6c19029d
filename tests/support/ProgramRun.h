// A program started as a user or Add/Remove Programs starts it, followed to the end of
// every process it starts (an NSIS uninstaller hands its work to a copy of itself in the
// temporary folder and ends at once). Whatever still runs is ended with the object.
#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

class ProgramRun {
public:
    explicit ProgramRun(std::string commandLine);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool started() const { return process_ != nullptr; }
    // Waits until it and every process it started have ended; false if they still run.
    bool WaitForAll(DWORD timeoutMs = 60000);
    // Its own exit code; STILL_ACTIVE while it runs.
    DWORD exitCode() const;

private:
    HANDLE job_;
    HANDLE process_ = nullptr;
};

// The exit code of a program run to its end, STILL_ACTIVE if it did not end in time.
DWORD RunToEnd(const std::string& commandLine);

} // namespace testing_support
