#include "framework/Dialog.h"

#include "framework/Module.h"

HCURSOR CStatic::SetCursor(HCURSOR cursor) noexcept
{
    return reinterpret_cast<HCURSOR>(
        ::SendMessageA(m_hWnd, STM_SETIMAGE, IMAGE_CURSOR, reinterpret_cast<LPARAM>(cursor)));
}

HCURSOR CStatic::GetCursor() const noexcept
{
    return reinterpret_cast<HCURSOR>(::SendMessageA(m_hWnd, STM_GETIMAGE, IMAGE_CURSOR, 0));
}

void DDX_Control(CDataExchange* dx, int controlId, CStatic& control) noexcept
{
    control.m_hWnd = ::GetDlgItem(dx->m_hDlg, controlId);
}

namespace {

// A dialog without a parent is owned by the thread's active top-level window, as the
// common application frameworks do it: the dialog stays above that window, which is
// disabled while the dialog runs.
HWND OwnerFor(HWND parent) noexcept
{
    HWND owner = parent ? parent : ::GetActiveWindow();
    if (owner == nullptr)
        return nullptr;
    HWND top = ::GetAncestor(owner, GA_ROOT);
    if (top != nullptr)
        owner = top;
    if (parent == nullptr) {
        HWND popup = ::GetLastActivePopup(owner);
        if (popup != nullptr)
            owner = popup;
    }
    return owner;
}

} // namespace

CDialog::CDialog(UINT templateId, HWND parent) noexcept
    : m_templateId(templateId), m_parent(parent)
{
}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr && ::IsWindow(m_hWnd))
        ::DestroyWindow(m_hWnd);
}

INT_PTR CDialog::DoModal()
{
    // The host may unload the plug-in from inside this loop; the code stays until the
    // run is over (longer if the host has finished with the plug-in).
    const ModuleHold hold;
    HWND owner = OwnerFor(m_parent);
    bool reenableOwner = false;
    if (owner != nullptr && ::IsWindowEnabled(owner)) {
        ::EnableWindow(owner, FALSE);
        reenableOwner = true;
    }

    m_result = kNoResult;
    m_ended = false;
    m_windowLost = false;
    // Unicode windows and a Unicode loop, so that a field can take every character the
    // keyboard gives; the plug-in itself reads and writes ANSI text through the A calls.
    HWND dialog = ::CreateDialogParamW(ModuleInstance(), MAKEINTRESOURCEW(m_templateId), owner,
                                       &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
    bool quit = false;
    WPARAM quitCode = 0;
    if (dialog != nullptr) {
        MSG msg;
        while (!m_ended && ::IsWindow(dialog)) {
            const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
            if (got == 0) {
                quit = true;
                quitCode = msg.wParam;
                break;
            }
            if (got == -1)
                break;
            if (IsOwnMessage(msg) && PreTranslateMessage(&msg))
                continue;
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        m_windowLost = !quit && !m_ended && !::IsWindow(dialog);
        OnModalLoopEnded();
    }

    if (reenableOwner)
        ::EnableWindow(owner, TRUE);
    if (owner != nullptr && dialog != nullptr && ::GetActiveWindow() == dialog)
        ::SetActiveWindow(owner);
    if (dialog != nullptr && ::IsWindow(dialog))
        ::DestroyWindow(dialog);
    m_hWnd = nullptr;

    if (quit) {
        // The host's own loop must still see the request to quit.
        ::PostQuitMessage(static_cast<int>(quitCode));
        return kNoResult;
    }
    return m_ended ? m_result : kNoResult;
}

void CDialog::EndForShutdown() noexcept
{
    EndDialog(kNoResult);
    if (m_hWnd != nullptr)
        ::DestroyWindow(m_hWnd);
    // Called from a sent message, the loop would wait for the next posted one to notice.
    ::PostThreadMessageA(::GetCurrentThreadId(), WM_NULL, 0, 0);
}

void CDialog::EndDialog(INT_PTR result) noexcept
{
    m_result = result;
    m_ended = true;
    if (m_hWnd != nullptr)
        ::EndDialog(m_hWnd, result);
}

std::string CDialog::GetItemText(int controlId) const
{
    HWND control = GetDlgItem(controlId);
    const int length = ::GetWindowTextLengthA(control);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int copied = ::GetWindowTextA(control, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

std::vector<wchar_t> CDialog::GetItemTextW(int controlId) const
{
    HWND control = GetDlgItem(controlId);
    const int length = ::GetWindowTextLengthW(control);
    std::vector<wchar_t> text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(control, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(m_hWnd, saveAndValidate != FALSE);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::PreTranslateMessage(MSG* msg)
{
    return ::IsDialogMessageW(m_hWnd, msg);
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

void CDialog::OnOK()
{
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

bool CDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&)
{
    return false;
}

bool CDialog::IsOwnMessage(const MSG& msg) const noexcept
{
    return m_hWnd != nullptr && msg.hwnd != nullptr &&
           (msg.hwnd == m_hWnd || ::IsChild(m_hWnd, msg.hwnd));
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    CDialog* self;
    if (msg == WM_INITDIALOG) {
        self = reinterpret_cast<CDialog*>(lParam);
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        self->m_hWnd = hwnd;
        return self->OnInitDialog();
    }
    self = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(hwnd, DWLP_USER));
    if (self == nullptr)
        return FALSE;
    return self->HandleMessage(msg, wParam, lParam);
}

INT_PTR CDialog::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    INT_PTR result = FALSE;
    if (OnMessage(msg, wParam, lParam, result))
        return result;
    if (msg == WM_COMMAND && HandleCommand(wParam, lParam))
        return TRUE;
    if (msg == WM_NCDESTROY) {
        ::SetWindowLongPtrA(m_hWnd, DWLP_USER, 0);
        m_hWnd = nullptr;
    }
    return FALSE;
}

bool CDialog::HandleCommand(WPARAM wParam, LPARAM lParam)
{
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (code == BN_CLICKED) {
        for (const ClickEntry* e = GetClickTable(); e != nullptr && e->controlId != 0; ++e) {
            if (e->controlId == id) {
                (this->*(e->handler))();
                return true;
            }
        }
    }
    // The standard commands come from the dialog manager (Enter, Esc, the close
    // command) or from a control with their id.
    if (code == BN_CLICKED || lParam == 0) {
        if (id == IDOK) {
            OnOK();
            return true;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    return false;
}
