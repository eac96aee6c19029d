// The host window guard's record of held windows and how they end at the unlock, without
// windows: handles are mere keys, and what the windows are like comes from the table.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cover/guard/HeldWindows.h"

namespace {

const HWND kMain = reinterpret_cast<HWND>(1);
const HWND kTool = reinterpret_cast<HWND>(2);

// The windows as the table has them, and what the record did to them.
class TableWindows final : public WindowAccess {
public:
    std::map<HWND, WindowState> states;
    std::string done;

    WindowState StateOf(HWND window) noexcept override { return states[window]; }
    void Show(HWND window, bool shown) noexcept override { Did(shown ? "show " : "hide ", window); }
    void ShowAndActivate(HWND window) noexcept override { Did("activate ", window); }

private:
    void Did(const char* what, HWND window)
    {
        done += (done.empty() ? "" : ", ") + (what + std::string(window == kMain ? "main" : "tool"));
    }
};

// What befalls the tool window while held: S / H the client shows / hides it, o the
// guard hides it (which asks a hide of its own), x it is destroyed, g it is gone and the
// clock tick sees that, v the tick finds it visible (shown past the guard) and hides it,
// M the main window is destroyed.
struct Case {
    const char* name;
    bool shownWhenTakenIn;
    const char* befalls;
    WindowState atUnlock;
    const char* unlock;
};
const Case kCases[] = {
    {"shown when taken in", true, "o", WindowState::Hidden, "show tool, activate main"},
    {"hidden when taken in", false, "", WindowState::Hidden, "activate main"},
    {"shown by the client while held", false, "So", WindowState::Hidden, "show tool, activate main"},
    {"hidden by the client after the guard", true, "oH", WindowState::Hidden, "activate main"},
    {"shown, then hidden by the client", false, "SoH", WindowState::Hidden, "activate main"},
    {"hidden by the client, visible at unlock", true, "H", WindowState::Visible, "hide tool, activate main"},
    {"shown by the client, visible at unlock", true, "", WindowState::Visible, "activate main"},
    {"shown past the guard", false, "v", WindowState::Hidden, "show tool, activate main"},
    {"destroyed", true, "ox", WindowState::Hidden, "activate main"},
    {"gone without a word", true, "og", WindowState::Hidden, "activate main"},
    {"gone at unlock", true, "o", WindowState::Gone, "activate main"},
    {"main window gone", true, "oM", WindowState::Hidden, "show tool"},
};

TEST(HeldWindows, EachWindowEndsAsTheClientLastAskedAndTheMainWindowLast)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        TableWindows windows;
        windows.states = {{kMain, WindowState::Hidden}, {kTool, WindowState::Hidden}};
        HeldWindows record;
        // Held first, the main window is still shown last.
        record.TakeIn(kMain, true);
        record.TakeIn(kTool, c.shownWhenTakenIn);
        for (const char* step = c.befalls; *step != '\0'; ++step) {
            switch (*step) {
            case 'S':
            case 'H':
                HeldWindows::Request(record.Find(kTool), *step == 'S');
                break;
            case 'o':
                ASSERT_TRUE(record.BeginOwnHide(kTool));
                HeldWindows::Request(record.Find(kTool), false);
                record.EndOwnHide(kTool);
                break;
            case 'x':
                record.Forget(kTool);
                break;
            case 'g':
            case 'v':
                windows.states[kTool] = *step == 'g' ? WindowState::Gone : WindowState::Visible;
                EXPECT_EQ(std::vector<HWND>(*step == 'v', kTool), record.Refresh(windows));
                windows.states[kTool] = WindowState::Hidden;
                break;
            case 'M':
                windows.states[kMain] = WindowState::Gone;
                break;
            }
        }
        windows.states[kTool] = c.atUnlock;
        record.Release(kMain, windows);
        EXPECT_EQ(c.unlock, windows.done);
    }
}

} // namespace
