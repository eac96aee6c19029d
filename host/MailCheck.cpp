#include "host/MailCheck.h"

#include <cstdio>

#include "host/HostResource.h"

namespace velmora_host {

const char* const kProgressWindowClass = "VelmoraHostProgress";
const char* const kProgressWindowTitle = "Progress";
const char* const kNewMailAlertCaption = "New Mail";

namespace {

constexpr int kProgressWidth = 260;
constexpr int kProgressHeight = 90;
// Shown, hidden, shown again, then done: the progress timer's ticks.
constexpr int kHideStep = 1;
constexpr int kShowAgainStep = 2;
constexpr int kLastStep = 3;

HINSTANCE HostInstance() noexcept
{
    return ::GetModuleHandleA(nullptr);
}

const char* ShowName(int show) noexcept
{
    return show == SW_SHOW ? "SW_SHOW" : show == SW_SHOWNA ? "SW_SHOWNA" : "another show command";
}

} // namespace

void MailCheck::Start(HWND mainWindow)
{
    mainWindow_ = mainWindow;
    if (settings_.periodSeconds > 0)
        ::SetTimer(mainWindow_, IDT_HOST_MAIL_CHECK, settings_.periodSeconds * 1000, nullptr);
}

void MailCheck::Stop()
{
    if (mainWindow_ != nullptr)
        ::KillTimer(mainWindow_, IDT_HOST_MAIL_CHECK);
    if (progress_ != nullptr) {
        HWND progress = progress_;
        progress_ = nullptr;
        ::DestroyWindow(progress);
        running_ = false;
    }
    mainWindow_ = nullptr;
}

bool MailCheck::Run()
{
    if (running_ || mainWindow_ == nullptr)
        return false;
    running_ = true;
    step_ = 0;
    progress_ = CreateProgressWindow();
    ::EnableWindow(mainWindow_, FALSE);
    if (progress_ != nullptr)
        ::ShowWindow(progress_, settings_.progressShow);
    Log(std::string("Check Mail: progress window up (") + ShowName(settings_.progressShow) +
        "), main window disabled");
    if (settings_.progressMs == 0 || progress_ == nullptr) {
        while (running_ && step_ < kLastStep)
            Step();
    } else {
        ::SetTimer(progress_, IDT_HOST_PROGRESS, settings_.progressMs / kLastStep + 1, nullptr);
    }
    return true;
}

HWND MailCheck::CreateProgressWindow()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = &MailCheck::ProgressProc;
    wc.hInstance = HostInstance();
    wc.hCursor = ::LoadCursorA(nullptr, IDC_WAIT);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kProgressWindowClass;
    ::RegisterClassA(&wc);

    RECT frame{};
    ::GetWindowRect(mainWindow_, &frame);
    HWND window = ::CreateWindowExA(
        WS_EX_TOOLWINDOW, kProgressWindowClass, kProgressWindowTitle, WS_POPUP | WS_CAPTION | WS_BORDER,
        (frame.left + frame.right - kProgressWidth) / 2, (frame.top + frame.bottom - kProgressHeight) / 2,
        kProgressWidth, kProgressHeight, mainWindow_, nullptr, HostInstance(), this);
    if (window == nullptr)
        return nullptr;
    HWND text = ::CreateWindowExA(0, "STATIC", "Checking mail...", WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12,
                                  kProgressWidth - 32, 20, window, nullptr, HostInstance(), nullptr);
    ::SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return window;
}

void MailCheck::Step()
{
    ++step_;
    if (step_ == kHideStep && progress_ != nullptr)
        ::ShowWindow(progress_, SW_HIDE);
    else if (step_ == kShowAgainStep && progress_ != nullptr)
        ::ShowWindow(progress_, settings_.progressShow);
    else if (step_ >= kLastStep)
        Finish();
}

void MailCheck::Finish()
{
    HWND progress = progress_;
    if (progress != nullptr)
        ::KillTimer(progress, IDT_HOST_PROGRESS);
    ::EnableWindow(mainWindow_, TRUE);
    // The client gives the foreground back to its main window when the progress window
    // has it, so it does not go to another program when that window goes.
    if (progress != nullptr && ::GetForegroundWindow() == progress) {
        ::SetForegroundWindow(mainWindow_);
        Log("Check Mail: foreground handed back to the main window");
    }
    progress_ = nullptr;
    if (progress != nullptr)
        ::DestroyWindow(progress);
    ++checks_;
    char line[96];
    std::snprintf(line, sizeof line, "Check Mail %u: 1 new message(s), progress window destroyed", checks_);
    Log(line);
    OnMailStatusChanged();
    running_ = false;
}

void MailCheck::OnMailStatusChanged()
{
    if (mainWindow_ == nullptr)
        return;
    // What the client does: shown, not activated, whatever was in front stays there.
    if (!settings_.showOnlyInTray && !::IsWindowVisible(mainWindow_)) {
        ::ShowWindow(mainWindow_, SW_SHOWNA);
        Log("New mail: main window shown (SW_SHOWNA)");
    }
    if (!settings_.newMailAlert)
        return;
    // Owned by what is in front of the main window: a plug-in's dialog while one is up.
    HWND owner = ::GetLastActivePopup(mainWindow_);
    char line[96];
    std::snprintf(line, sizeof line, "New mail: alert \"%s\" owned by %p", kNewMailAlertCaption,
                  static_cast<void*>(owner));
    Log(line);
    ::DialogBoxParamA(HostInstance(), MAKEINTRESOURCEA(IDD_HOST_NEW_MAIL), owner, &MailCheck::AlertProc,
                      reinterpret_cast<LPARAM>(this));
    Log("New mail: alert closed");
}

void MailCheck::Log(const std::string& line)
{
    if (log)
        log(line);
}

LRESULT CALLBACK MailCheck::ProgressProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    if (msg == WM_NCCREATE)
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<MailCheck*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self != nullptr && msg == WM_TIMER && wParam == IDT_HOST_PROGRESS && self->progress_ == hwnd) {
        self->Step();
        return 0;
    }
    if (self != nullptr && msg == WM_NCDESTROY && self->progress_ == hwnd) {
        // Destroyed by someone else (with its owner, say): the check is abandoned.
        self->progress_ = nullptr;
        self->running_ = false;
        if (self->mainWindow_ != nullptr)
            ::EnableWindow(self->mainWindow_, TRUE);
        self->Log("Check Mail: progress window destroyed from outside, check abandoned");
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

INT_PTR CALLBACK MailCheck::AlertProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (msg) {
    case WM_INITDIALOG:
        ::SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        reinterpret_cast<MailCheck*>(lParam)->alert_ = hwnd;
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            ::EndDialog(hwnd, LOWORD(wParam));
            return TRUE;
        }
        break;
    case WM_DESTROY:
        if (auto* self = reinterpret_cast<MailCheck*>(::GetWindowLongPtrA(hwnd, DWLP_USER)))
            self->alert_ = nullptr;
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace velmora_host
