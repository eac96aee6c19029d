// An automated guesser at the cover: what someone at the desk could run while the user
// is away. It presses Unlock as fast as the cover answers, with a new wrong password
// each time, by posting the button's click command as any program on the desktop can,
// and counts the passwords the cover tested (each one it refuses with "Incorrect
// Password."). Then it types the right password until the cover opens.
#pragma once
#include <windows.h>

#include <functional>

namespace bench {

struct GuessRun {
    int tested = 0;          // wrong passwords tested within the guessing time
    double lastWrongSeconds = 0; // when the last of them was refused, from the start
    bool unlocked = false;
    double unlockAfterLastWrongSeconds = 0;
};

// Runs `run` (which brings the cover up through the plug-in) on this thread and
// guesses from a second one for `guessSeconds`, then tries the right password once a
// second for at most `unlockWithinSeconds`.
GuessRun GuessAtTheCover(const std::function<INT_PTR()>& run, const char* rightPassword,
                         DWORD guessSeconds, DWORD unlockWithinSeconds);

} // namespace bench
