#include "cover/CoverDialog.h"

#include <utility>

#include "cover/CoverTexts.h"
#include "cover/unlock/UnlockDecision.h"
#include "framework/HostFacts.h"
#include "settings/SettingsFile.h"

namespace {

constexpr UINT_PTR kClockTimer = 1;
constexpr UINT kClockPeriodMs = 500;
constexpr UINT_PTR kLockRecordTimer = 3;
static_assert(kClockTimer != MemoPad::kPauseTimer && kLockRecordTimer != MemoPad::kPauseTimer,
              "the memo pad's timer is its own");

} // namespace

CoverDialog::CoverDialog(SettingsFile& settings, std::string productName, HWND parent,
                         GuardObserver* guardObserver)
    : CDialog(IDD, parent), m_settings(settings), m_productName(std::move(productName)), m_memo(settings),
      m_hostGuard(guardObserver), m_gate(settings)
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

    m_lines.Attach(m_hWnd);
    const Switches switches = m_settings.ReadSwitches();
    // Over a file that cannot be read the pad shows no memo and takes no typing.
    const bool readable = !m_settings.Damaged();
    m_memo.Open(m_hWnd, IDC_COVER_MEMO, m_lines, IDC_COVER_MEMO_PART, switches.saveMemoPadText == 1 && readable,
                readable);

    m_hostWindow = ::FindWindowExA(nullptr, nullptr, kHostWindowClass, nullptr);
    // The client shows its windows again by itself (new mail, its tray icon, mail checks,
    // reminders): the guard keeps every one of them hidden until unlock.
    if (switches.hideEudora == 1)
        m_hostGuard.Hold(m_hostWindow, m_hWnd, CoverFront::FrontMessage());

    m_clock.Start(m_hWnd, IDC_COVER_DATE, IDC_COVER_CLOCK);
    // Wrong passwords from before (a lock that outlived the client) are told at once,
    // and their wait goes on.
    m_gate.Wait();
    ShowWrongPasswords();
    ShowNoPassword();
    ShowFileUnreadable();

    // Shown here, the cover is already visible when its creation would show it
    // normally, so it stays maximised. The controls keep their template places.
    const bool stretched = switches.stretch == 1;
    m_front.Follow(m_hWnd, GetDlgItem(IDC_COVER_PASSWORD), stretched);
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
    m_memo.EnterAtEnd(focusBefore, *msg);
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
        else
            m_memo.OnTimer(wParam);
        return false;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_COVER_MEMO && HIWORD(wParam) == EN_CHANGE)
            m_memo.Changed();
        if (LOWORD(wParam) == IDC_COVER_MEMO && HIWORD(wParam) == EN_MAXTEXT)
            m_memo.Full();
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
        OnDestroy();
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
        if (msg == CoverFront::FrontMessage()) {
            m_front.Reclaim();
            result = TRUE;
            return true;
        }
        return false;
    }
}

void CoverDialog::OnDestroy() noexcept
{
    // However the run ends (the client's Exit posts a quit message), typing not yet
    // saved is; the pad is still there while its dialog is destroyed.
    m_memo.SaveChanged();
    // Ended other than by the unlock before it was ever drawn: still a lock.
    RecordLockOnce();
    m_screens.End();
    m_front.End();
    m_memo.Close();
    m_disabledOwner.Release();
    // A run that ends without unlock (the client quitting, the session ending) shows
    // nothing of the client: it is going away, and the lock stays recorded.
    m_hostGuard.Abandon();
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
            m_lines.Show(IDC_COVER_LOCK_UNRECORDED, LockUnrecordedLine(m_settings.LastSaveProblem()));
    }
}

void CoverDialog::OnModalLoopEnded() noexcept
{
    m_disabledOwner.Release();
}

void CoverDialog::ShowNoPassword()
{
    m_lines.Show(IDC_COVER_NO_PASSWORD, m_settings.PasswordMatches("") ? kNoPasswordLine : "");
}

bool CoverDialog::ShowFileUnreadable()
{
    const bool unreadable = m_settings.Damaged();
    m_lines.Show(IDC_COVER_FILE_UNREADABLE, unreadable ? kFileUnreadableLine : "");
    return unreadable;
}

void CoverDialog::OnClockTick()
{
    m_clock.Tick();
    ShowCapsLock();
    if (m_gate.AnyWrong())
        ShowWrongPasswords();
    ShowNoPassword();
    ShowFileUnreadable();
    m_hostGuard.Recheck();
    m_screens.Recheck();
    m_front.Keep();
}

void CoverDialog::OnUnlock()
{
    // Only a user can answer the box; clicks posted behind it are a program's.
    if (m_answering)
        return;
    RecordLockOnce();
    // Read at every attempt: the settings dialog may have changed it meanwhile.
    const std::string typed = GetItemText(IDC_COVER_PASSWORD);
    ShowNoPassword();
    const bool unreadable = ShowFileUnreadable();
    switch (DecideUnlock(m_gate.Wait(), typed.empty(), m_settings.PasswordMatches(typed), unreadable)) {
    case UnlockStep::kWait:
        ShowWrongPasswords();
        ::MessageBeep(MB_OK);
        return;
    case UnlockStep::kRefuseCounted:
        m_gate.AddWrong();
        ShowWrongPasswords();
        RefuseTry(kIncorrectPasswordText);
        return;
    case UnlockStep::kRefuseUncounted:
        RefuseTry(kIncorrectPasswordText);
        return;
    case UnlockStep::kRefuseFileUnreadable:
        RefuseTry(kFileUnreadableLine);
        return;
    case UnlockStep::kOpen:
        break;
    }
    if (!SaveMemoAtUnlock())
        return;
    m_hostGuard.Release();
    m_gate.Clear();
    m_settings.ClearLockedRecord();
    EndDialog(1);
}

void CoverDialog::RefuseTry(const char* why)
{
    // Before the box too: the focus the cover gets back when the box goes (later,
    // under wine) is the one it had when the box came.
    ReadyForNextTry();
    m_answering = true;
    ::MessageBoxA(m_hWnd, why, m_productName.c_str(), MB_OK);
    m_answering = false;
    ReadyForNextTry();
}

bool CoverDialog::SaveMemoAtUnlock()
{
    const WideText memo = m_memo.Saving() ? GetItemTextW(IDC_COVER_MEMO) : WideText();
    if (!SavesMemoAtUnlock(m_memo.Saving(), memo, m_memo.Known()))
        return true;
    if (m_memo.Save(memo))
        return true;
    return !AsksBeforeDroppingMemo(memo.empty(), m_memo.FileHolds(memo)) || ConfirmUnsavedMemo();
}

void CoverDialog::ShowWrongPasswords()
{
    m_lines.Show(IDC_COVER_WRONG_PASSWORDS, m_gate.Line());
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

void CoverDialog::ShowCapsLock() noexcept
{
    // The most common reason a right password is refused, told where it is typed.
    const bool show = ::GetFocus() == GetDlgItem(IDC_COVER_PASSWORD) && (::GetKeyState(VK_CAPITAL) & 1) != 0;
    m_lines.Show(IDC_COVER_CAPS_LOCK, show ? kCapsLockLine : "");
}

void CoverDialog::EndForShutdown() noexcept
{
    m_memo.SaveChanged();
    m_hostGuard.Abandon();
    CDialog::EndForShutdown();
}

bool CoverDialog::ConfirmUnsavedMemo()
{
    const std::string text = UnsavedMemoQuestion(m_settings.FileName(), SaveProblemText(m_settings.LastSaveProblem()));
    m_answering = true;
    const bool close =
        ::MessageBoxA(m_hWnd, text.c_str(), m_productName.c_str(), MB_OKCANCEL) == IDOK;
    m_answering = false;
    return close;
}
