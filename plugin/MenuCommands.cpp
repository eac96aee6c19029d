#include "plugin/MenuCommands.h"

#include "config_ui/SettingsDialog.h"
#include "cover/CoverDialog.h"
#include "framework/Module.h"
#include "plugin/PluginApp.h"
#include "settings/Settings.h"

// A test seam: tests see the screen saver asked for without starting it.
PostMessageFunction PostMessageForCommands = &::PostMessageA;

namespace {

CommandState& State() noexcept
{
    return theApp.commands;
}

class CommandScope {
public:
    CommandScope() noexcept { State().running = true; }
    ~CommandScope() { State().running = false; }
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;
};

INT_PTR RunCommandDialog(CDialog& dialog)
{
    State().dialog = &dialog;
    const INT_PTR result = dialog.DoModal();
    State().dialog = nullptr;
    return result;
}

// When a command is running, shows its dialog (or the message box or about box above
// it) to the user instead of starting another one. Returns whether one was running.
bool BringRunningCommandForward() noexcept
{
    if (State().finished)
        return true;
    if (!State().running)
        return false;
    HWND shown = State().dialog != nullptr ? State().dialog->GetSafeHwnd() : nullptr;
    if (shown != nullptr) {
        HWND front = ::GetLastActivePopup(shown);
        ::SetForegroundWindow(front != nullptr ? front : shown);
    }
    return true;
}

bool QuitWaiting() noexcept
{
    MSG msg;
    return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// A cover whose window went with the window that owned it (a splash screen of the host
// closing while the cover comes up at start-up, say) comes up again at once, unless the
// client is going away: its main window destroyed, its loop asked to quit, or the
// plug-in finished. Then the lock stays recorded for the next start.
bool CoverComesBack(const CoverDialog& cover) noexcept
{
    return cover.WindowLost() && !cover.HostWindowGone() && !State().finished && !QuitWaiting();
}

// The lock ends only by unlock, or by the host quitting.
void RunCover()
{
    State().coverUp = true;
    for (;;) {
        CoverDialog cover(nullptr);
        RunCommandDialog(cover);
        if (!CoverComesBack(cover))
            break;
    }
    State().coverUp = false;
    // The automatic lock counts the user's absence from here at the earliest.
    State().lastCoverEnd = ::GetTickCount();
    State().coverEnded = true;
}

INT_PTR RunSettingsDialog()
{
    SettingsDialog settings(nullptr);
    return RunCommandDialog(settings);
}

// The settings say a cover is wanted as the client starts.
bool CoverWantedAtStartUp()
{
    return ReadSwitches().startUp == 1 || LockedRecorded();
}

} // namespace

bool RunActivateCommand()
{
    if (BringRunningCommandForward())
        return false;
    CommandScope scope;
    if (SettingsFileExists()) {
        RunCover();
        return false;
    }
    // Only a successful Apply or the OK command lead on to the cover.
    if (RunSettingsDialog() != 1)
        return false;
    if (!State().finished)
        RunCover();
    return true;
}

void RunScreenSaverCommand()
{
    PostMessageForCommands(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 1);
}

bool RunSettingsCommand()
{
    if (BringRunningCommandForward())
        return false;
    CommandScope scope;
    return RunSettingsDialog() == 1;
}

void RunStartUpActivation()
{
    if (!CoverWantedAtStartUp())
        return;
    if (BringRunningCommandForward())
        return;
    CommandScope scope;
    RunCover();
}

void EndCommandsAtFinish()
{
    State().finished = true;
    // A dialog that is up keeps the module loaded from now on: the host may unload it
    // from inside the dialog's loop.
    KeepModuleLoaded(true);
    if (State().dialog != nullptr)
        State().dialog->EndForShutdown();
}

void StartCommandsAtInit()
{
    State().finished = false;
    KeepModuleLoaded(false);
}

bool RunLockCover()
{
    if (State().finished || State().coverUp || !SettingsFileExists())
        return false;
    // A settings dialog or about box that is up stays on the stack below the cover;
    // menu commands meanwhile bring the cover forward, and afterwards the dialog again.
    const bool wasRunning = State().running;
    CDialog* const wasShown = State().dialog;
    State().running = true;
    RunCover();
    State().running = wasRunning;
    State().dialog = wasShown;
    // Finished while the cover was up: the dialog below ends too.
    if (State().finished && wasShown != nullptr)
        wasShown->EndForShutdown();
    return true;
}

bool CoverIsUp() noexcept
{
    return State().coverUp;
}

bool LastCoverEnd(DWORD& tick) noexcept
{
    tick = State().lastCoverEnd;
    return State().coverEnded;
}
