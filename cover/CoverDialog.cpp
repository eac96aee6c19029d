#include "cover/CoverDialog.h"

#include <commctrl.h>

#include "cover/ShownMemo.h"
#include "cover/UnlockDecision.h"
#include "settings/MemoCodec.h"
#include "settings/ProductStrings.h"
#include "settings/SettingsFile.h"

namespace {

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockPeriodMs = 500;
// Restarted at every change of the memo pad: the memo is saved once the typing pauses,
// and the save lands within 2 seconds of the last key even when the timer is late.
constexpr UINT_PTR kMemoSaveTimer = 2;
constexpr UINT kMemoSaveDelayMs = 1500;
constexpr UINT_PTR kLockRecordTimer = 3;
constexpr UINT_PTR kMemoSubclassId = 1;

} // namespace

const char* const CoverDialog::kNoPasswordLine =
    "No password is set: Unlock with an empty field opens this cover. "
    "Set one in Message Plug-ins Settings, Velmora, Settings.";
const char* const CoverDialog::kLockUnrecordedLine =
    "The lock could not be saved: it won't come back if Eudora ends.";
const char* const CoverDialog::kMemoPartLine =
    "Only the memo's start is shown; changing it keeps only that.";

CoverDialog::CoverDialog(SettingsFile& settings, HWND parent)
    : CDialog(IDD, parent), m_settings(settings), m_gate(settings)
{
}

CoverDialog::~CoverDialog() = default;

const CDialog::ClickEntry* CoverDialog::GetClickTable() const
{
    static const ClickEntry table[] = {
        {IDC_COVER_UNLOCK, Click(&CoverDialog::OnUnlock)},
        {0, nullptr},
    };
    return table;
}

void CoverDialog::DoDataExchange(CDataExchange*)
{
}

BOOL CoverDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetWindowTextA(m_hWnd, "Eudora");
    // The lock is recorded once the cover and its controls are drawn: a timer's message
    // comes only when nothing is left to paint, so nobody waits for the file to see it.
    ::SetTimer(m_hWnd, kLockRecordTimer, 0, nullptr);
    ::SetTimer(m_hWnd, kClockTimer, kClockPeriodMs, nullptr);
    // The client enables its main window again after every mail check; behind the cover
    // it must stay as the run left it.
    m_disabledOwner.Keep(::GetWindow(m_hWnd, GW_OWNER));

    // A limit on what can be typed, so everything in the pad can be stored and read
    // back; text set from the file is not cut by it.
    ::SendDlgItemMessageA(m_hWnd, IDC_COVER_MEMO, EM_LIMITTEXT, kMemoLimit, 0);
    const Switches switches = m_settings.ReadSwitches();
    m_saveMemoPadText = switches.saveMemoPadText;
    if (m_saveMemoPadText == 1)
        ShowStoredMemo();
    // Only the dialog manager's rule selects the memo's whole text as it gets the focus.
    ::SetWindowSubclass(GetDlgItem(IDC_COVER_MEMO), &CoverDialog::MemoProc, kMemoSubclassId, 0);

    m_hideEudora = switches.hideEudora;
    m_hostWindow = ::FindWindowExA(nullptr, nullptr, kHostWindowClass, nullptr);
    // The client shows its windows again by itself (new mail, its tray icon, mail checks,
    // reminders): the guard keeps every one of them hidden until unlock.
    if (m_hideEudora == 1)
        m_hostGuard.Hold(m_hostWindow, m_hWnd);

    m_clockReading = CurrentReading();
    ShowDate();
    m_clockText = ClockText(m_clockReading);
    ::SetDlgItemTextA(m_hWnd, IDC_COVER_CLOCK, m_clockText.c_str());
    // Wrong passwords from before (a lock that outlived the client) are told at once,
    // and their wait goes on.
    m_gate.Wait();
    ShowWrongPasswords();
    ShowNoPassword(m_settings.PasswordMatches(""));

    // Shown here, the cover is already visible when its creation would show it
    // normally, so it stays maximised. The controls keep their template places.
    const bool stretched = switches.stretch == 1;
    if (stretched)
        ::ShowWindow(m_hWnd, SW_SHOWMAXIMIZED);
    m_screens.Follow(m_hWnd, stretched);
    return TRUE;
}

BOOL CoverDialog::PreTranslateMessage(MSG* msg)
{
    if (msg->message == WM_KEYDOWN) {
        // Enter bypasses the dialog manager: it goes to the focused control as an
        // ordinary key and never presses a button or issues the default command.
        if (msg->wParam == VK_RETURN)
            return FALSE;
        // Esc and Ctrl+Break would cancel the cover; they reach no control at all.
        if (msg->wParam == VK_ESCAPE || msg->wParam == VK_CANCEL)
            return TRUE;
    }
    HWND focusBefore = ::GetFocus();
    const BOOL handled = CDialog::PreTranslateMessage(msg);
    EnterMemoAtEnd(focusBefore, *msg);
    if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_CAPITAL)
        ShowCapsLock();
    return handled;
}

bool CoverDialog::OnMessage(UINT msg, WPARAM wParam, LPARAM, INT_PTR& result)
{
    switch (msg) {
    case WM_TIMER:
        if (wParam == kLockRecordTimer) {
            ::KillTimer(m_hWnd, kLockRecordTimer);
            RecordLockOnce();
        }
        if (wParam == kClockTimer)
            OnClockTick();
        else if (wParam == kMemoSaveTimer)
            OnMemoPause();
        return false;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COVER_MEMO && HIWORD(wParam) == EN_CHANGE)
            OnMemoChanged();
        if (LOWORD(wParam) == IDC_COVER_PASSWORD &&
            (HIWORD(wParam) == EN_SETFOCUS || HIWORD(wParam) == EN_KILLFOCUS))
            ShowCapsLock();
        return false;
    case WM_CLOSE:
        // Alt+F4, the close command and Esc in the memo pad all arrive here; the
        // cover stays open.
        result = TRUE;
        return true;
    case WM_DISPLAYCHANGE:
        m_screens.Refit();
        return false;
    case WM_DESTROY:
        // However the run ends (the client's Exit posts a quit message), typing not yet
        // saved is; the pad is still there while its dialog is destroyed.
        SaveChangedMemo();
        // Ended other than by the unlock before it was ever drawn: still a lock.
        RecordLockOnce();
        m_screens.End();
        ::RemoveWindowSubclass(GetDlgItem(IDC_COVER_MEMO), &CoverDialog::MemoProc, kMemoSubclassId);
        m_disabledOwner.Release();
        // A run that ends without unlock (the client quitting, the session ending) shows
        // nothing of the client: it is going away, and the lock stays recorded.
        m_hostGuard.Abandon();
        return false;
    case WM_QUERYENDSESSION:
        // The cover never holds up the end of the session.
        ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, TRUE);
        result = TRUE;
        return true;
    case WM_ENDSESSION:
        if (wParam != FALSE)
            EndForShutdown();
        return false;
    default:
        if (msg == HostWindowGuard::ReclaimFocusMessage()) {
            ReclaimFocus();
            result = TRUE;
            return true;
        }
        return false;
    }
}

void CoverDialog::RecordLockOnce() noexcept
{
    // The lock outlives the client: a cover that is never unlocked (the client ended,
    // killed, the power cut) comes back at the next start. A file that cannot take the
    // record does not stop the cover.
    if (!m_lockRecorded) {
        m_lockRecorded = true;
        // Said on the cover's face, as the memo and Apply say when they cannot save.
        if (!m_settings.RecordLocked() && m_hWnd != nullptr && ::IsWindow(m_hWnd))
            ::SetDlgItemTextA(m_hWnd, IDC_COVER_LOCK_UNRECORDED, kLockUnrecordedLine);
    }
}

void CoverDialog::OnModalLoopEnded() noexcept
{
    m_disabledOwner.Release();
}

void CoverDialog::OnOK()
{
}

void CoverDialog::OnCancel()
{
}

void CoverDialog::OnMemoChanged() noexcept
{
    if (m_saveMemoPadText == 1)
        ::SetTimer(m_hWnd, kMemoSaveTimer, kMemoSaveDelayMs, nullptr);
}

void CoverDialog::OnMemoPause()
{
    ::KillTimer(m_hWnd, kMemoSaveTimer);
    // A save that fails shows nothing over the cover: the next change tries again, and
    // the unlock says so if it still cannot be saved then.
    SaveChangedMemo();
}

void CoverDialog::SaveChangedMemo() noexcept
{
    if (m_hWnd == nullptr || m_saveMemoPadText != 1)
        return;
    WideText memo = GetItemTextW(IDC_COVER_MEMO);
    // Only what was typed: the text as loaded or last saved would overwrite a change
    // made to the file meanwhile.
    if (memo != m_memoText && m_settings.SaveMemoPadText(memo)) {
        m_memoText = std::move(memo);
        // The file now holds what the pad holds.
        if (m_memoPartShown) {
            m_memoPartShown = false;
            ::SetDlgItemTextA(m_hWnd, IDC_COVER_MEMO_PART, "");
        }
    }
}

void CoverDialog::ShowStoredMemo()
{
    WideText memo = m_settings.LoadMemoPadText();
    const size_t stored = memo.size();
    memo.resize(ShownMemoLength(memo, kLongestShownMemo, kLongestShownMemoLine));
    memo.resize(LengthTheBoxShows(memo));
    m_memoPartShown = memo.size() < stored;
    // What the pad shows counts as what the file holds: untouched, it is never written
    // back, and a memo shown in part stays whole in the file.
    m_memoText = memo;
    memo.push_back(L'\0');
    ::SetDlgItemTextW(m_hWnd, IDC_COVER_MEMO, memo.data());
    // The text just loaded is what the file holds: no save for it (wine reports the
    // change of a multi-line edit's text that Windows does not).
    ::KillTimer(m_hWnd, kMemoSaveTimer);
    if (m_memoPartShown)
        ::SetDlgItemTextA(m_hWnd, IDC_COVER_MEMO_PART, kMemoPartLine);
}

size_t CoverDialog::LengthTheBoxShows(const WideText& memo) const noexcept
{
    HWND pad = GetDlgItem(IDC_COVER_MEMO);
    RECT box{};
    if (!::GetClientRect(pad, &box))
        return memo.size();
    HDC dc = ::GetDC(pad);
    if (dc == nullptr)
        return memo.size();
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(pad, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    const int rows = metrics.tmHeight > 0 ? box.bottom / metrics.tmHeight : 0;
    // Wrapping at word breaks leaves part of each row empty: a line that fits the box
    // fits this room, so nothing the box could hold is ever cut.
    const int room = box.right * (rows > 1 ? rows : 1);
    size_t cut = memo.size();
    for (size_t start = 0; start < memo.size();) {
        size_t end = start;
        while (end < memo.size() && memo[end] != L'\r' && memo[end] != L'\n')
            ++end;
        INT fit = 0;
        SIZE extent{};
        if (end > start && ::GetTextExtentExPointW(dc, &memo[start], static_cast<int>(end - start), room, &fit,
                                                   nullptr, &extent) &&
            static_cast<size_t>(fit) < end - start) {
            cut = start + static_cast<size_t>(fit);
            // Both halves of a character beyond U+FFFF, or neither.
            if (cut > start && memo[cut - 1] >= 0xD800 && memo[cut - 1] <= 0xDBFF)
                --cut;
            break;
        }
        start = end + 1;
    }
    ::SelectObject(dc, old);
    ::ReleaseDC(pad, dc);
    return cut;
}

void CoverDialog::ShowNoPassword(bool show)
{
    if (show != m_noPasswordShown) {
        m_noPasswordShown = show;
        ::SetDlgItemTextA(m_hWnd, IDC_COVER_NO_PASSWORD, show ? kNoPasswordLine : "");
    }
}

void CoverDialog::EnterMemoAtEnd(HWND focusBefore, const MSG& msg) noexcept
{
    // Clicks and the mouse place the caret themselves; only the keys that move the
    // focus between controls come here.
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_CHAR ||
                     msg.message == WM_SYSCHAR;
    HWND memo = GetDlgItem(IDC_COVER_MEMO);
    if (!key || focusBefore == memo || ::GetFocus() != memo)
        return;
    const int end = ::GetWindowTextLengthW(memo);
    ::SendMessageW(memo, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(memo, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK CoverDialog::MemoProc(HWND memo, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                       DWORD_PTR) noexcept
{
    const LRESULT result = ::DefSubclassProc(memo, msg, wParam, lParam);
    // Without this the dialog manager selects all of the memo whenever it gives it the
    // focus (Tab, a mnemonic, the cover active again), and one key replaces it.
    if (msg == WM_GETDLGCODE)
        return result & ~static_cast<LRESULT>(DLGC_HASSETSEL);
    return result;
}

void CoverDialog::OnClockTick()
{
    const ClockReading previous = m_clockReading;
    m_clockReading = CurrentReading();
    // Past midnight the date line shows the new day.
    if (m_clockReading.year != previous.year || m_clockReading.month != previous.month ||
        m_clockReading.day != previous.day)
        ShowDate();
    m_clockText = ClockText(m_clockReading);
    ::SetDlgItemTextA(m_hWnd, IDC_COVER_CLOCK, m_clockText.c_str());
    ShowCapsLock();
    if (m_gate.AnyWrong())
        ShowWrongPasswords();
    m_hostGuard.Recheck();
    m_screens.Recheck();
    KeepKeyboard();
}

void CoverDialog::KeepKeyboard() noexcept
{
    // Wine hands the foreground to the desktop when it learns late that a window of the
    // client lost the keyboard (one hidden while it had it): the cover's thread is left
    // with no active window, nobody has the keyboard, and nothing tells the cover.
    HWND front = ::GetForegroundWindow();
    if (::GetActiveWindow() == nullptr && (front == nullptr || front == ::GetDesktopWindow()))
        ReclaimFocus();
}

void CoverDialog::OnUnlock()
{
    // Only a user can answer the box; clicks posted behind it are a program's.
    if (m_answering)
        return;
    RecordLockOnce();
    // Read at every attempt: the settings dialog may have changed it meanwhile.
    const std::string typed = GetItemText(IDC_COVER_PASSWORD);
    ShowNoPassword(m_settings.PasswordMatches(""));
    switch (DecideUnlock(m_gate.Wait(), typed.empty(), m_settings.PasswordMatches(typed))) {
    case UnlockStep::kWait:
        ShowWrongPasswords();
        ::MessageBeep(MB_OK);
        return;
    case UnlockStep::kRefuseCounted:
        m_gate.AddWrong();
        ShowWrongPasswords();
        RefuseTry();
        return;
    case UnlockStep::kRefuseUncounted:
        RefuseTry();
        return;
    case UnlockStep::kOpen:
        break;
    }
    if (!SaveMemoAtUnlock())
        return;
    ShowHostAgain();
    m_gate.Clear();
    m_settings.ClearLockedRecord();
    EndDialog(1);
}

void CoverDialog::RefuseTry()
{
    // Before the box too: the focus the cover gets back when the box goes (later,
    // under wine) is the one it had when the box came.
    ReadyForNextTry();
    m_answering = true;
    ::MessageBoxA(m_hWnd, "Incorrect Password.", ProductInfo.productName.c_str(), MB_OK);
    m_answering = false;
    ReadyForNextTry();
}

bool CoverDialog::SaveMemoAtUnlock()
{
    const WideText memo = m_saveMemoPadText == 1 ? GetItemTextW(IDC_COVER_MEMO) : WideText();
    if (!SavesMemoAtUnlock(m_saveMemoPadText == 1, memo, m_memoText))
        return true;
    if (m_settings.SaveMemoPadText(memo)) {
        m_memoText = memo;
        return true;
    }
    const bool fileHoldsIt = m_settings.LoadMemoPadText() == StoredToMemo(MemoToStored(memo));
    return !AsksBeforeDroppingMemo(memo.empty(), fileHoldsIt) || ConfirmUnsavedMemo();
}

void CoverDialog::ShowWrongPasswords()
{
    // Set only when it changes: the line is looked at twice a second.
    std::string line = m_gate.Line();
    if (line != m_wrongLine) {
        m_wrongLine = std::move(line);
        ::SetDlgItemTextA(m_hWnd, IDC_COVER_WRONG_PASSWORDS, m_wrongLine.c_str());
    }
}

void CoverDialog::ReadyForNextTry() noexcept
{
    // The next try replaces the last one as it is typed, however Unlock was pressed.
    // The cover is made the thread's active window first: the box that went may have
    // left none, and the focus is kept only in an active one.
    ::SetActiveWindow(m_hWnd);
    HWND password = GetDlgItem(IDC_COVER_PASSWORD);
    ::SendMessageW(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(password), TRUE);
    ::SendMessageW(password, EM_SETSEL, 0, -1);
}

void CoverDialog::ShowDate()
{
    m_dateText = DateText(m_clockReading);
    ::SetDlgItemTextA(m_hWnd, IDC_COVER_DATE, m_dateText.c_str());
}

void CoverDialog::ShowCapsLock() noexcept
{
    // The most common reason a right password is refused, told where it is typed.
    const bool show = ::GetFocus() == GetDlgItem(IDC_COVER_PASSWORD) &&
                      (::GetKeyState(VK_CAPITAL) & 1) != 0;
    if (show != m_capsLockShown) {
        m_capsLockShown = show;
        ::SetDlgItemTextA(m_hWnd, IDC_COVER_CAPS_LOCK, show ? "Caps Lock is on." : "");
    }
}

void CoverDialog::EndForShutdown() noexcept
{
    SaveChangedMemo();
    m_hostGuard.Abandon();
    CDialog::EndForShutdown();
}

bool CoverDialog::ConfirmUnsavedMemo()
{
    // Closing now would lose what the user wrote: let them keep the cover open and copy
    // it elsewhere first.
    const std::string why = SaveProblemText(m_settings.LastSaveProblem());
    const std::string text = "The memo pad could not be saved in \"" + m_settings.FileName() + "\". " +
                             (why.empty() ? "" : why + " ") +
                             "Press OK to close the cover anyway, or Cancel to keep it open and copy your notes.";
    m_answering = true;
    const bool close =
        ::MessageBoxA(m_hWnd, text.c_str(), ProductInfo.productName.c_str(), MB_OKCANCEL) == IDOK;
    m_answering = false;
    return close;
}

void CoverDialog::ShowHostAgain() noexcept
{
    m_hostGuard.Release();
}

void CoverDialog::ReclaimFocus() noexcept
{
    HWND front = ::GetLastActivePopup(m_hWnd);
    if (front != nullptr && front != m_hWnd) {
        ::SetForegroundWindow(front);
        return;
    }
    ::SetForegroundWindow(m_hWnd);
    // The keyboard comes back to the cover even where the system refuses it the front (a
    // window that was never active there): the thread's active window is its own to set.
    ::SetActiveWindow(m_hWnd);
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(m_hWnd, focus))
        ::SetFocus(GetDlgItem(IDC_COVER_PASSWORD));
}
