#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include "resource.h"
#include "settings/IniFile.h"
#include "settings/SettingsFile.h"

namespace testing_support {

// ---- files ---------------------------------------------------------------------

std::string BuiltPluginPath()
{
    return ProgramDirectory() + "\\velmora.dll";
}

void CopyPluginInto(const std::string& directory)
{
    ASSERT_TRUE(::CopyFileA(BuiltPluginPath().c_str(), (directory + "\\velmora.dll").c_str(), FALSE))
        << "velmora.dll must be built beside the test program";
}

void MakePluginsFolder(const std::string& directory)
{
    ASSERT_TRUE(::CreateDirectoryA(directory.c_str(), nullptr)) << directory;
    CopyPluginInto(directory);
}

SettingsFile& TestSettings()
{
    static SettingsFile settings;
    return settings;
}

void UseSettingsFile(const std::string& path)
{
    TestSettings().UsePath(path);
}

std::string StoredString(const std::string& key, const std::string& defaultValue, const std::string& path)
{
    return IniFile(path).ReadString(key.c_str(), defaultValue);
}

int StoredInt(const std::string& key, int defaultValue, const std::string& path)
{
    return IniFile(path).ReadInt(key.c_str(), defaultValue);
}

bool StoreString(const std::string& key, const std::string& value, const std::string& path)
{
    IniFile file(path);
    return file.WriteString(file.BeginWrite(), key.c_str(), value);
}

bool StoreInt(const std::string& key, int value, const std::string& path)
{
    IniFile file(path);
    return file.WriteInt(file.BeginWrite(), key.c_str(), value);
}

// ---- what tests compare ------------------------------------------------------------

SIZE IconSize(HICON icon)
{
    SIZE size{0, 0};
    ICONINFO info{};
    if (icon == nullptr || !::GetIconInfo(icon, &info))
        return size;
    BITMAP bm{};
    ::GetObjectA(info.hbmMask, sizeof bm, &bm);
    size.cx = bm.bmWidth;
    size.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return size;
}

::testing::AssertionResult SameText(const std::string& expected, const std::string& actual)
{
    if (expected == actual)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < expected.size() && at < actual.size() && expected[at] == actual[at])
        ++at;
    const size_t from = at < 16 ? 0 : at - 16;
    return ::testing::AssertionFailure()
           << "lengths " << expected.size() << " and " << actual.size() << ", first difference at " << at
           << ": expected " << ::testing::PrintToString(expected.substr(from, 40)) << ", actual "
           << ::testing::PrintToString(actual.substr(from, 40));
}

std::string MemoAsReloaded(const std::string& typed)
{
    std::string out;
    for (size_t i = 0; i < typed.size(); ++i) {
        const char c = typed[i];
        if (c == '\r' && i + 1 < typed.size() && typed[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (c == '\r' || c == '\n' || c == '\t') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

// ---- dialogs -------------------------------------------------------------------

bool WaitForGone(HWND window, DWORD timeoutMs)
{
    return WaitUntil([&] { return !::IsWindow(window); }, timeoutMs);
}

std::string ItemText(HWND dialog, int id)
{
    return WindowText(::GetDlgItem(dialog, id));
}

void SetItemText(HWND dialog, int id, const std::string& text)
{
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void PostClick(HWND dialog, int id)
{
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

std::string MessageBoxText(HWND box)
{
    return ItemText(box, 0xFFFF);
}

void DismissMessageBox(HWND box)
{
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

HWND FocusOf(DWORD threadId)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!::GetGUIThreadInfo(threadId, &info))
        return nullptr;
    return info.hwndFocus;
}

void PostKey(HWND window, WPARAM key)
{
    const UINT scan = ::MapVirtualKeyA(static_cast<UINT>(key), 0);
    ::PostMessageA(window, WM_KEYDOWN, key, 1 | (scan << 16));
    ::PostMessageA(window, WM_KEYUP, key, 1 | (scan << 16) | 0xC0000000u);
}

void PostChars(HWND window, const std::string& text)
{
    for (char c : text)
        ::PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
}

void PostCharsW(HWND window, const std::wstring& text)
{
    for (wchar_t c : text)
        ::PostMessageW(window, WM_CHAR, static_cast<WPARAM>(c), 1);
}

namespace {

// Ends whatever dialogs the ui thread still shows, so a driver that failed cannot hang
// the test program: the standard commands first, then a WM_QUIT for the modal loop.
void CloseThreadDialogs(DWORD uiThread)
{
    for (int i = 0; i < 20; ++i) {
        HWND dialog = FindThreadDialog(uiThread, nullptr);
        if (dialog == nullptr)
            return;
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ::Sleep(100);
        if (::IsWindow(dialog))
            ::PostThreadMessageA(uiThread, WM_QUIT, 0, 0);
        ::Sleep(100);
    }
}

struct DriverThread {
    std::function<void(DWORD)> driver;
    DWORD uiThread;
    DWORD timeoutMs;
    HANDLE runEnded;
};

DWORD WINAPI DriverThreadProc(LPVOID param)
{
    auto* state = static_cast<DriverThread*>(param);
    state->driver(state->uiThread);
    if (::WaitForSingleObject(state->runEnded, state->timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the dialog was still open after the driver finished";
        CloseThreadDialogs(state->uiThread);
    }
    return 0;
}

} // namespace

INT_PTR RunWithDriver(const std::function<INT_PTR()>& run,
                      const std::function<void(DWORD uiThread)>& driver, DWORD timeoutMs)
{
    DriverThread state{driver, ::GetCurrentThreadId(), timeoutMs,
                       ::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = ::CreateThread(nullptr, 0, &DriverThreadProc, &state, 0, nullptr);
    const INT_PTR result = run();
    ::SetEvent(state.runEnded);
    if (::WaitForSingleObject(thread, timeoutMs) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the test's driver thread did not finish";
        ::TerminateThread(thread, 1);
    }
    ::CloseHandle(thread);
    ::CloseHandle(state.runEnded);
    // A WM_QUIT posted to end a stuck dialog must not leak into the next test. A window
    // left needing paint (a host window shown again) keeps producing WM_PAINT until it
    // is painted, so that one is handled rather than dropped.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_PAINT)
            ::DispatchMessageA(&msg);
    }
    return result;
}

namespace {

HWND g_probeWindow = nullptr;
bool g_probeShowSeen = false;

void CALLBACK ProbeShowEvent(HWINEVENTHOOK, DWORD, HWND window, LONG objectId, LONG, DWORD, DWORD) noexcept
{
    if (window == g_probeWindow && objectId == OBJID_WINDOW)
        g_probeShowSeen = true;
}

} // namespace

bool ShowEventsReachInContextHooks()
{
    g_probeWindow = ::CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr,
                                      nullptr, nullptr, nullptr);
    g_probeShowSeen = false;
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_SHOW, EVENT_OBJECT_SHOW, ::GetModuleHandleA(nullptr),
                                           &ProbeShowEvent, ::GetCurrentProcessId(),
                                           ::GetCurrentThreadId(), WINEVENT_INCONTEXT);
    ::ShowWindow(g_probeWindow, SW_SHOWNA);
    const bool seen = hook != nullptr && g_probeShowSeen;
    if (hook != nullptr)
        ::UnhookWinEvent(hook);
    ::DestroyWindow(g_probeWindow);
    g_probeWindow = nullptr;
    return seen;
}

bool TryUnlock(HWND cover, DWORD ui, const std::string& password, std::string* message, DWORD timeoutMs)
{
    SetItemText(cover, IDC_COVER_PASSWORD, password);
    PostClick(cover, IDC_COVER_UNLOCK);
    HWND box = nullptr;
    const bool gone = WaitUntil(
        [&] {
            if (!::IsWindow(cover))
                return true;
            box = WaitForOtherDialog(ui, cover, 0);
            return box != nullptr;
        },
        timeoutMs);
    if (!gone || box == nullptr)
        return !::IsWindow(cover);
    if (message != nullptr)
        *message = MessageBoxText(box);
    DismissMessageBox(box);
    WaitForGone(box, 3000);
    return false;
}

void Unlock(HWND cover, const std::string& typed, DWORD timeoutMs)
{
    SetItemText(cover, IDC_COVER_PASSWORD, typed);
    PostClick(cover, IDC_COVER_UNLOCK);
    EXPECT_TRUE(WaitForGone(cover, timeoutMs)) << "the password [" << typed << "] did not unlock";
}

} // namespace testing_support
