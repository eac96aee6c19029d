// The host's unattended tour for machines without a screen: a second thread picks the
// menu items, fills in and presses the plug-in's dialogs like a user would, and saves
// a picture of each step (24-bit BMP files, named after the step).
#include "host/DemoHook.h"

#include <cstdio>
#include <functional>
#include <initializer_list>
#include <string>

#include "host/HostResource.h"
#include "resource.h"
#include "tools/dialogsearch/DialogSearch.h"

namespace velmora_host {

namespace {

constexpr DWORD kAppearTimeoutMs = 15000;
constexpr DWORD kPollMs = 50;
constexpr DWORD kSettleMs = 700;
constexpr int kMargin = 0;
const char* const kDemoPassword = "velmora";

DemoSetup g_setup;
bool g_succeeded = false;
// Velmora's place among the plug-ins, found by its file name.
size_t g_velmora = 0;

// ---- finding and driving windows of the host's thread -----------------------------

// What `find` gives within the time, or null with a line saying what did not appear.
HWND Appeared(const char* what, const std::function<HWND()>& find)
{
    if (HWND found = dialog_search::WaitFor(find, kAppearTimeoutMs, kPollMs))
        return found;
    std::fprintf(stderr, "demo: %s did not appear\n", what);
    return nullptr;
}

// A dialog of the plug-in, told apart by a control only it has (a message box above a
// dialog by its text's static control, 0xFFFF).
HWND WaitForDialog(const char* what, int controlId, HWND exclude = nullptr)
{
    return Appeared(what, [=] {
        return dialog_search::FindDialogWithControl(g_setup.uiThread, controlId, exclude);
    });
}

bool WaitGone(HWND window)
{
    return dialog_search::WaitUntil([&] { return !::IsWindow(window) || !::IsWindowVisible(window); },
                                    kAppearTimeoutMs, kPollMs);
}

void SetText(HWND dialog, int id, const char* text)
{
    ::SendMessageA(::GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void Click(HWND dialog, int id)
{
    ::PostMessageA(::GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

// ---- pictures --------------------------------------------------------------------

RECT Around(std::initializer_list<HWND> windows, int margin)
{
    RECT area{};
    bool first = true;
    for (HWND window : windows) {
        RECT r;
        if (window == nullptr || !::GetWindowRect(window, &r))
            continue;
        if (first)
            area = r;
        else
            ::UnionRect(&area, &area, &r);
        first = false;
    }
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    ::InflateRect(&area, margin, margin);
    ::IntersectRect(&area, &area, &screen);
    return area;
}

// Saves the screen area as a 24-bit BMP file.
bool SaveScreenArea(const RECT& area, const std::string& path)
{
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height;   // bottom-up rows, as BMP files keep them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    header.biSizeImage = stride * static_cast<DWORD>(height);

    HDC screen = ::GetDC(nullptr);
    HDC memory = ::CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = ::CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&header),
                                        DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap != nullptr) {
        HGDIOBJ old = ::SelectObject(memory, bitmap);
        ok = ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != 0;
        ::GdiFlush();
        ::SelectObject(memory, old);
        if (ok) {
            BITMAPFILEHEADER file{};
            file.bfType = 0x4D42;   // "BM"
            file.bfOffBits = sizeof file + sizeof header;
            file.bfSize = file.bfOffBits + header.biSizeImage;
            HANDLE out = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr);
            DWORD written = 0;
            ok = out != INVALID_HANDLE_VALUE &&
                 ::WriteFile(out, &file, sizeof file, &written, nullptr) &&
                 ::WriteFile(out, &header, sizeof header, &written, nullptr) &&
                 ::WriteFile(out, bits, header.biSizeImage, &written, nullptr);
            if (out != INVALID_HANDLE_VALUE)
                ::CloseHandle(out);
        }
        ::DeleteObject(bitmap);
    }
    ::DeleteDC(memory);
    ::ReleaseDC(nullptr, screen);
    return ok;
}

bool Shot(const char* name, const RECT& area)
{
    ::Sleep(kSettleMs);
    const std::string path = g_setup.shotsFolder + "\\" + name + ".bmp";
    if (!SaveScreenArea(area, path)) {
        std::fprintf(stderr, "demo: could not save %s\n", path.c_str());
        return false;
    }
    std::printf("demo: saved %s.bmp (%ldx%ld)\n", name, area.right - area.left, area.bottom - area.top);
    std::fflush(stdout);
    return true;
}

// ---- the tour --------------------------------------------------------------------

void Pick(size_t item)
{
    ::PostMessageA(g_setup.mainWindow, WM_COMMAND,
                   MAKEWPARAM(g_setup.window->CommandFor(g_velmora, item), 0), 0);
}

bool ShowToolsMenu()
{
    // Alt+T, as the keyboard opens it.
    ::PostMessageA(g_setup.mainWindow, WM_SYSCOMMAND, SC_KEYMENU, 't');
    HWND popup = Appeared("the Tools menu", [] { return dialog_search::VisibleMenuOf(g_setup.uiThread); });
    if (popup == nullptr)
        return false;
    const bool saved = Shot("host", Around({g_setup.mainWindow, popup}, kMargin));
    ::PostMessageA(g_setup.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(g_setup.mainWindow, WM_KEYDOWN, VK_ESCAPE, 0);
    ::Sleep(200);
    ::PostMessageA(g_setup.mainWindow, WM_CANCELMODE, 0, 0);
    return WaitGone(popup) && saved;
}

// Opens the plug-in list and Velmora's settings from it; returns both dialogs.
bool OpenVelmoraSettings(HWND& list, HWND& settings, bool picture)
{
    ::PostMessageA(g_setup.mainWindow, WM_COMMAND, MAKEWPARAM(IDM_HOST_PLUGIN_SETTINGS, 0), 0);
    list = WaitForDialog("Message Plug-ins Settings", IDC_HOST_PLUGIN_LIST);
    if (list == nullptr)
        return false;
    HWND rows = ::GetDlgItem(list, IDC_HOST_PLUGIN_LIST);
    ::SendMessageA(rows, LB_SETCURSEL, g_velmora, 0);
    ::SendMessageA(list, WM_COMMAND, MAKEWPARAM(IDC_HOST_PLUGIN_LIST, LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(rows));
    if (picture && !Shot("plugin-settings", Around({list}, kMargin)))
        return false;
    Click(list, IDC_HOST_PLUGIN_SETTINGS);
    settings = WaitForDialog("the settings dialog", IDC_SET_APPLY);
    return settings != nullptr;
}

bool ApplyPassword(HWND settings, const char* oldPassword, const char* newPassword)
{
    SetText(settings, IDC_SET_OLD_PASSWORD, oldPassword);
    SetText(settings, IDC_SET_NEW_PASSWORD, newPassword);
    SetText(settings, IDC_SET_NEW_PASSWORD2, newPassword);
    Click(settings, IDC_SET_APPLY);
    if (WaitGone(settings))
        return true;
    std::fprintf(stderr, "demo: the settings dialog stayed open after Apply\n");
    return false;
}

bool CloseList(HWND list)
{
    ::PostMessageA(list, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return WaitGone(list);
}

bool Unlock(HWND cover, const char* password)
{
    SetText(cover, IDC_COVER_PASSWORD, password);
    Click(cover, IDC_COVER_UNLOCK);
    return WaitGone(cover);
}

bool Tour()
{
    g_velmora = g_setup.host->IndexOf("velmora.dll");
    if (g_velmora == std::string::npos) {
        std::fprintf(stderr, "demo: velmora.dll is not among the plug-ins\n");
        return false;
    }
    if (!ShowToolsMenu())
        return false;

    // Settings: the about box, then a password.
    HWND list = nullptr;
    HWND settings = nullptr;
    if (!OpenVelmoraSettings(list, settings, true))
        return false;
    if (!Shot("settings", Around({settings}, kMargin)))
        return false;
    Click(settings, IDC_SET_ABOUT_BOX);
    HWND about = WaitForDialog("the about box", IDC_ABOUT_CLOSE);
    if (about == nullptr || !Shot("about", Around({about}, kMargin)))
        return false;
    Click(about, IDC_ABOUT_CLOSE);
    if (!WaitGone(about) || !ApplyPassword(settings, "", kDemoPassword) || !CloseList(list))
        return false;

    // The cover, a wrong password, then the right one.
    Pick(0);
    HWND cover = WaitForDialog("the cover", IDC_COVER_UNLOCK);
    if (cover == nullptr)
        return false;
    SetText(cover, IDC_COVER_MEMO,
            "Call the printer about the brochure proofs.\r\n"
            "Lunch with Dana, Thursday 12:30.\r\n"
            "Back in ten minutes.");
    SetText(cover, IDC_COVER_PASSWORD, "guess");
    if (!Shot("cover", Around({cover}, kMargin)))
        return false;
    Click(cover, IDC_COVER_UNLOCK);
    HWND box = WaitForDialog("the Incorrect Password message", 0xFFFF, cover);
    if (box == nullptr || !Shot("wrong-password", Around({cover, box}, kMargin)))
        return false;
    ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    if (!WaitGone(box) || !Unlock(cover, kDemoPassword))
        return false;

    // Stretched: switch it on, activate again, unlock.
    if (!OpenVelmoraSettings(list, settings, false))
        return false;
    Click(settings, IDC_SET_STRETCH);
    ::Sleep(200);
    if (!ApplyPassword(settings, kDemoPassword, kDemoPassword) || !CloseList(list))
        return false;
    Pick(0);
    cover = WaitForDialog("the stretched cover", IDC_COVER_UNLOCK);
    if (cover == nullptr)
        return false;
    const RECT screen{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
    if (!Shot("cover-stretched", screen) || !Unlock(cover, kDemoPassword))
        return false;

    // The screen-saver item only posts a request; the host carries on.
    Pick(1);
    ::Sleep(300);
    return true;
}

DWORD WINAPI DemoThread(LPVOID) noexcept
{
    g_succeeded = Tour();
    if (!g_succeeded) {
        // Whatever is still open must not keep the host up: the plug-in's dialogs end
        // their runs on WM_QUIT and hand it on.
        ::PostThreadMessageA(g_setup.uiThread, WM_QUIT, 1, 0);
    }
    ::PostMessageA(g_setup.mainWindow, WM_CLOSE, 0, 0);
    return 0;
}

} // namespace

HANDLE StartDemo(const DemoSetup& setup)
{
    g_setup = setup;
    return ::CreateThread(nullptr, 0, &DemoThread, nullptr, 0, nullptr);
}

bool DemoSucceeded()
{
    return g_succeeded;
}

} // namespace velmora_host
