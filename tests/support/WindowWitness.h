// Watches the windows of one thread of the test program the way a person at the screen
// would: every time one of them is shown or painted. The cover and the windows it owns
// are the only ones a locked client may show; everything else is counted.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

class WindowWitness {
public:
    // Watches the windows of `thread` (of this process) from now on.
    explicit WindowWitness(DWORD thread);
    ~WindowWitness();
    WindowWitness(const WindowWitness&) = delete;
    WindowWitness& operator=(const WindowWitness&) = delete;

    // What was seen of windows outside the cover since the last Reset: "<class>: shown"
    // or "<class>: painted", once per window and kind.
    std::vector<std::string> Seen() const;
    // Covers that came up since the last Reset, however briefly.
    int CoversOpened() const;
    void Reset();

private:
    HHOOK sent_;
    HHOOK posted_;
};

} // namespace testing_support
