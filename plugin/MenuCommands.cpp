#include "plugin/MenuCommands.h"

#include "config_ui/SettingsDialog.h"
#include "cover/CoverDialog.h"
#include "framework/Module.h"
#include "plugin/DesktopClock.h"
#include "settings/SettingsFile.h"

namespace {

bool QuitWaiting() noexcept
{
    MSG msg;
    return ::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

} // namespace

// A command runs while one lives.
class MenuCommands::Scope {
public:
    explicit Scope(CommandState& state) noexcept : state_(state) { state_.running = true; }
    ~Scope() { state_.running = false; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    CommandState& state_;
};

MenuCommands::MenuCommands(CommandState& state, SettingsFile& settings, const ProductStrings& product,
                           const DesktopClock& clock, PostMessageFunction post) noexcept
    : state_(state), settings_(settings), product_(product), clock_(clock), post_(post)
{
}

INT_PTR MenuCommands::RunCommandDialog(CDialog& dialog)
{
    state_.dialog = &dialog;
    const INT_PTR result = dialog.DoModal();
    state_.dialog = nullptr;
    return result;
}

// When a command is running, shows its dialog (or the message box or about box above
// it) to the user instead of starting another one. Returns whether one was running.
bool MenuCommands::BringRunningCommandForward() noexcept
{
    if (state_.finished)
        return true;
    if (!state_.running)
        return false;
    HWND shown = state_.dialog != nullptr ? state_.dialog->GetSafeHwnd() : nullptr;
    if (shown != nullptr) {
        HWND front = ::GetLastActivePopup(shown);
        ::SetForegroundWindow(front != nullptr ? front : shown);
    }
    return true;
}

// A cover whose window went with the window that owned it (a splash screen of the host
// closing while the cover comes up at start-up, say) comes up again at once, unless the
// client is going away: its main window destroyed, its loop asked to quit, or the
// plug-in finished. Then the lock stays recorded for the next start.
bool MenuCommands::CoverComesBack(const CoverDialog& cover) const noexcept
{
    return cover.WindowLost() && !cover.HostWindowGone() && !state_.finished && !QuitWaiting();
}

// The lock ends only by unlock, or by the host quitting.
void MenuCommands::RunCover()
{
    state_.coverUp = true;
    for (;;) {
        CoverDialog cover(settings_, product_.productName);
        RunCommandDialog(cover);
        if (!CoverComesBack(cover))
            break;
    }
    state_.coverUp = false;
    // The automatic lock counts the user's absence from here at the earliest.
    state_.lastCoverEnd = clock_.Now();
    state_.coverEnded = true;
}

INT_PTR MenuCommands::RunSettingsDialog()
{
    SettingsDialog settings(settings_, product_);
    return RunCommandDialog(settings);
}

// The settings say a cover is wanted as the client starts.
bool MenuCommands::CoverWantedAtStartUp() const
{
    return settings_.ReadSwitches().startUp == 1 || settings_.LockedRecorded();
}

bool MenuCommands::RunActivateCommand()
{
    if (BringRunningCommandForward())
        return false;
    Scope scope(state_);
    if (settings_.Exists()) {
        RunCover();
        return false;
    }
    // Only a successful Apply or the OK command lead on to the cover.
    if (RunSettingsDialog() != 1)
        return false;
    if (!state_.finished)
        RunCover();
    return true;
}

void MenuCommands::RunScreenSaverCommand()
{
    post_(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 1);
}

bool MenuCommands::RunSettingsCommand()
{
    if (BringRunningCommandForward())
        return false;
    Scope scope(state_);
    return RunSettingsDialog() == 1;
}

void MenuCommands::RunStartUpActivation()
{
    if (!CoverWantedAtStartUp())
        return;
    if (BringRunningCommandForward())
        return;
    Scope scope(state_);
    RunCover();
}

void MenuCommands::EndCommandsAtFinish()
{
    state_.finished = true;
    // A dialog that is up keeps the module loaded from now on: the host may unload it
    // from inside the dialog's loop.
    KeepModuleLoaded(true);
    if (state_.dialog != nullptr)
        state_.dialog->EndForShutdown();
}

void MenuCommands::StartCommandsAtInit()
{
    state_.finished = false;
    KeepModuleLoaded(false);
}

bool MenuCommands::RunLockCover()
{
    if (state_.finished || state_.coverUp || !settings_.Exists())
        return false;
    // A settings dialog or about box that is up stays on the stack below the cover;
    // menu commands meanwhile bring the cover forward, and afterwards the dialog again.
    const bool wasRunning = state_.running;
    CDialog* const wasShown = state_.dialog;
    state_.running = true;
    RunCover();
    state_.running = wasRunning;
    state_.dialog = wasShown;
    // Finished while the cover was up: the dialog below ends too.
    if (state_.finished && wasShown != nullptr)
        wasShown->EndForShutdown();
    return true;
}

bool MenuCommands::LastCoverEnd(DWORD& tick) const noexcept
{
    tick = state_.lastCoverEnd;
    return state_.coverEnded;
}
