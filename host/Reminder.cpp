#include "host/Reminder.h"

#include "host/HostResource.h"

namespace velmora_host {

const char* const kReminderCaption = "Reminder";

void Reminder::Start(HWND mainWindow)
{
    mainWindow_ = mainWindow;
    if (periodSeconds_ > 0)
        ::SetTimer(mainWindow_, IDT_HOST_REMINDER, periodSeconds_ * 1000, nullptr);
}

void Reminder::Stop()
{
    if (mainWindow_ != nullptr)
        ::KillTimer(mainWindow_, IDT_HOST_REMINDER);
    if (dialog_ != nullptr)
        ::DestroyWindow(dialog_);
    mainWindow_ = nullptr;
}

HWND Reminder::Show()
{
    if (mainWindow_ == nullptr)
        return nullptr;
    if (dialog_ == nullptr)
        ::CreateDialogParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HOST_REMINDER), mainWindow_,
                             &Reminder::DialogProc, reinterpret_cast<LPARAM>(this));
    if (dialog_ == nullptr)
        return nullptr;
    ::ShowWindow(dialog_, SW_RESTORE);
    ++shown_;
    if (log)
        log("Reminder shown (SW_RESTORE), owned by the main window");
    return dialog_;
}

INT_PTR CALLBACK Reminder::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (msg) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<Reminder*>(lParam)->dialog_ = hwnd;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::DestroyWindow(hwnd);
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (auto* self = reinterpret_cast<Reminder*>(::GetWindowLongPtrA(hwnd, DWLP_USER)))
            self->dialog_ = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace velmora_host
