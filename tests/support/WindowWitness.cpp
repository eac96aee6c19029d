#include "support/WindowWitness.h"

#include <algorithm>
#include <mutex>

#include "resource.h"

namespace testing_support {

namespace {

std::mutex g_mutex;
std::vector<std::string> g_seen;
int g_covers = 0;

// The cover, or a window it owns directly or through others.
bool InCoverTree(HWND window)
{
    for (HWND w = window; w != nullptr; w = ::GetWindow(w, GW_OWNER)) {
        if (::GetDlgItem(w, IDC_COVER_UNLOCK) != nullptr)
            return true;
    }
    return false;
}

void Note(HWND window, const char* kind)
{
    HWND root = ::GetAncestor(window, GA_ROOT);
    if (root == nullptr || InCoverTree(root))
        return;
    char name[64] = "";
    ::GetClassNameA(root, name, sizeof name);
    const std::string line = std::string(name) + ": " + kind;
    std::lock_guard<std::mutex> lock(g_mutex);
    if (std::find(g_seen.begin(), g_seen.end(), line) == g_seen.end())
        g_seen.push_back(line);
}

LRESULT CALLBACK SentProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (msg->message == WM_INITDIALOG && ::GetDlgItem(msg->hwnd, IDC_COVER_UNLOCK) != nullptr) {
            std::lock_guard<std::mutex> lock(g_mutex);
            ++g_covers;
        }
        if (msg->message == WM_PAINT)
            Note(msg->hwnd, "painted");
        if (msg->message == WM_SHOWWINDOW && msg->wParam != FALSE && ::IsWindowVisible(msg->hwnd))
            Note(msg->hwnd, "shown");
        if (msg->message == WM_WINDOWPOSCHANGING || msg->message == WM_ACTIVATE) {
            // Shown by an earlier step that sent nothing of its own.
            if (::IsWindowVisible(::GetAncestor(msg->hwnd, GA_ROOT)))
                Note(msg->hwnd, "shown");
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK PostedProc(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HC_ACTION) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_PAINT && msg->hwnd != nullptr)
            Note(msg->hwnd, "painted");
        if (msg->hwnd != nullptr && ::IsWindowVisible(::GetAncestor(msg->hwnd, GA_ROOT)))
            Note(msg->hwnd, "shown");
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

WindowWitness::WindowWitness(DWORD thread)
    : sent_(::SetWindowsHookExA(WH_CALLWNDPROC, &SentProc, nullptr, thread)),
      posted_(::SetWindowsHookExA(WH_GETMESSAGE, &PostedProc, nullptr, thread))
{
    Reset();
}

WindowWitness::~WindowWitness()
{
    ::UnhookWindowsHookEx(sent_);
    ::UnhookWindowsHookEx(posted_);
}

std::vector<std::string> WindowWitness::Seen() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_seen;
}

int WindowWitness::CoversOpened() const
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_covers;
}

void WindowWitness::Reset()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_seen.clear();
    g_covers = 0;
}

} // namespace testing_support
