// The main of every test program. It declares the program DPI-aware before any window
// exists: newer wine, like Windows, gives a program that does not a virtual 96-DPI
// screen, and the dialogs are measured at the screen scaling of the wine prefix.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "support/Files.h"

namespace {

void FailOnLeftoverJournal(const std::string& path)
{
    ADD_FAILURE() << "a journal was left beside velmora.ini: " << path;
}

} // namespace

int main(int argc, char** argv)
{
    ::SetProcessDPIAware();
    // Unbuffered, so that what a program that hangs has reported reaches the log.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    ::testing::InitGoogleTest(&argc, argv);
    testing_support::LeftoverJournalFound = FailOnLeftoverJournal;
    return RUN_ALL_TESTS();
}
