#include "host/MainWindow.h"

#include <algorithm>

#include "host/HostResource.h"

namespace velmora_host {

const char* const kMainWindowClass = "EudoraMainWindow";

namespace {

constexpr int kMenuIconSize = 16;
constexpr int kMenuPadding = 4;

HINSTANCE HostInstance() noexcept
{
    return ::GetModuleHandleA(nullptr);
}

HFONT MenuFont() noexcept
{
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    static HFONT font = nullptr;
    if (font == nullptr && ::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        font = ::CreateFontIndirectA(&metrics.lfMenuFont);
    return font != nullptr ? font : static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

} // namespace

MainWindow::MainWindow(PluginHost& host, MainWindowOptions options)
    : host_(host), options_(options), mailCheck_(options.mailCheck), reminder_(options.reminderSeconds)
{
    mailCheck_.log = [this](const std::string& line) { AppendLog(line); };
    reminder_.log = [this](const std::string& line) { AppendLog(line); };
}

MainWindow::~MainWindow()
{
    if (hwnd_ != nullptr && ::IsWindow(hwnd_))
        ::DestroyWindow(hwnd_);
    // The image list holds copies; the plug-ins' own icons are never destroyed here.
    if (imageList_ != nullptr)
        ImageList_Destroy(imageList_);
}

HWND MainWindow::Create(int showCommand)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = &MainWindow::WindowProc;
    wc.hInstance = HostInstance();
    wc.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMainWindowClass;
    ::RegisterClassA(&wc);

    hwnd_ = ::CreateWindowExA(0, kMainWindowClass, "Mail client (Velmora stand-in host)",
                              WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 40, 720, 460, nullptr,
                              nullptr, HostInstance(), this);
    if (hwnd_ == nullptr)
        return nullptr;
    BuildMenu();
    BuildToolbar();
    log_ = ::CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                             WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                 ES_AUTOVSCROLL,
                             0, 0, 0, 0, hwnd_, nullptr, HostInstance(), nullptr);
    ::SendMessageA(log_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(ANSI_FIXED_FONT)), FALSE);
    for (const std::string& line : pendingLog_)
        AppendLog(line);
    pendingLog_.clear();
    Layout();
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
    OnCreated();
    return hwnd_;
}

void MainWindow::OnCreated()
{
    toolWindow_.Create(hwnd_);
    if (options_.trayIcon && !tray_.Add(hwnd_, ::LoadIconA(nullptr, IDI_APPLICATION), "Mail client (stand-in)"))
        AppendLog("tray icon: the shell has no tray here");
    mailCheck_.Start(hwnd_);
    reminder_.Start(hwnd_);
}

void MainWindow::CheckMailNow()
{
    if (!mailCheck_.Run())
        AppendLog("Check Mail: a check is running already");
}

void MainWindow::AppendLog(const std::string& line)
{
    if (echo)
        echo(line);
    if (log_ == nullptr) {
        pendingLog_.push_back(line);
        return;
    }
    const std::string text = line + "\r\n";
    const int end = ::GetWindowTextLengthA(log_);
    ::SendMessageA(log_, EM_SETSEL, end, end);
    ::SendMessageA(log_, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(text.c_str()));
}

UINT MainWindow::CommandFor(size_t plugin, size_t item) const
{
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].plugin == plugin && entries_[i].item == item)
            return static_cast<UINT>(IDM_HOST_FIRST_PLUGIN_ITEM + i);
    }
    return 0;
}

const MainWindow::Entry* MainWindow::EntryFor(UINT id) const
{
    if (id < IDM_HOST_FIRST_PLUGIN_ITEM)
        return nullptr;
    const size_t index = id - IDM_HOST_FIRST_PLUGIN_ITEM;
    return index < entries_.size() ? &entries_[index] : nullptr;
}

void MainWindow::BuildMenu()
{
    HMENU bar = ::CreateMenu();
    HMENU file = ::CreatePopupMenu();
    ::AppendMenuA(file, MF_STRING, IDM_HOST_CHECK_MAIL, "Check &Mail");
    ::AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(file, MF_STRING, IDM_HOST_EXIT, "E&xit");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");

    HMENU tools = ::CreatePopupMenu();
    ::AppendMenuA(tools, MF_STRING, IDM_HOST_OPTIONS, "Options...");
    ::AppendMenuA(tools, MF_STRING, IDM_HOST_PLUGIN_SETTINGS, "Message Plug-ins Settings...");
    // Every plug-in's special items go just before "Options...", then one separator.
    UINT position = 0;
    const auto& plugins = host_.plugins();
    for (size_t p = 0; p < plugins.size(); ++p) {
        for (size_t i = 0; i < plugins[p]->items.size(); ++i) {
            entries_.push_back({p, i});
            const UINT id = static_cast<UINT>(IDM_HOST_FIRST_PLUGIN_ITEM + entries_.size() - 1);
            ::InsertMenuA(tools, position++, MF_BYPOSITION | MF_OWNERDRAW, id,
                          reinterpret_cast<LPCSTR>(entries_.size() - 1));
        }
    }
    if (position > 0)
        ::InsertMenuA(tools, position, MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), "&Tools");

    HMENU help = ::CreatePopupMenu();
    ::AppendMenuA(help, MF_STRING, IDM_HOST_ABOUT, "&About the Stand-in Host...");
    ::AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), "&Help");
    ::SetMenu(hwnd_, bar);
}

void MainWindow::BuildToolbar()
{
    std::vector<TBBUTTON> buttons;
    std::vector<const char*> texts;
    for (size_t e = 0; e < entries_.size(); ++e) {
        const MenuItemBlock& item = host_.plugins()[entries_[e].plugin]->items[entries_[e].item];
        if ((item.flags & kToolbarFlag) == 0)
            continue;
        if (imageList_ == nullptr)
            imageList_ = ImageList_Create(kMenuIconSize, kMenuIconSize, ILC_COLOR24 | ILC_MASK, 4, 4);
        const HICON icon = LoadedPlugin::ItemIcon(item);
        TBBUTTON button{};
        button.iBitmap = icon != nullptr ? ImageList_AddIcon(imageList_, icon) : I_IMAGENONE;
        button.idCommand = static_cast<int>(IDM_HOST_FIRST_PLUGIN_ITEM + e);
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON;
        button.iString = reinterpret_cast<INT_PTR>(item.text != nullptr ? item.text : "");
        buttons.push_back(button);
    }
    if (buttons.empty())
        return;
    toolbar_ = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                     TBSTYLE_LIST | CCS_TOP,
                                 0, 0, 0, 0, hwnd_, nullptr, HostInstance(), nullptr);
    ::SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList_));
    ::SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
    ::SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
}

void MainWindow::Layout()
{
    RECT client;
    ::GetClientRect(hwnd_, &client);
    int top = 0;
    if (toolbar_ != nullptr) {
        ::SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
        RECT bar;
        ::GetWindowRect(toolbar_, &bar);
        top = bar.bottom - bar.top;
    }
    if (log_ != nullptr)
        ::MoveWindow(log_, 0, top, client.right, std::max(0L, client.bottom - top), TRUE);
}

void MainWindow::OnCommand(UINT id)
{
    if (const Entry* entry = EntryFor(id)) {
        // The result is the plug-in's business; the client does not look at it.
        host_.Pick(entry->plugin, entry->item);
        return;
    }
    switch (id) {
    case IDM_HOST_EXIT:
        ::SendMessageA(hwnd_, WM_CLOSE, 0, 0);
        break;
    case IDM_HOST_CHECK_MAIL:
        CheckMailNow();
        break;
    case IDM_HOST_REMIND_NOW:
        reminder_.Show();
        break;
    case IDM_HOST_OPEN:
        ActivateMainFrame(hwnd_);
        break;
    case IDM_HOST_NEW_MESSAGE:
        // The client then opens a composition window; the stand-in has none.
        ActivateMainFrame(hwnd_);
        AppendLog("New Message: the main window is brought to the front");
        break;
    case IDM_HOST_OPTIONS:
        ::MessageBoxA(hwnd_, "The stand-in host has no options of its own.", "Options",
                      MB_OK | MB_ICONINFORMATION);
        break;
    case IDM_HOST_PLUGIN_SETTINGS:
        RunPluginSettingsDialog(hwnd_, host_);
        break;
    case IDM_HOST_ABOUT:
        ::MessageBoxA(hwnd_,
                      "A stand-in for the mail client: it loads the plug-ins of its Plugins "
                      "folder and calls them the way the mail client does.",
                      "About the Stand-in Host", MB_OK | MB_ICONINFORMATION);
        break;
    default:
        break;
    }
}

void MainWindow::MeasureItem(MEASUREITEMSTRUCT& measure)
{
    const Entry* entry = EntryFor(measure.itemID);
    if (entry == nullptr)
        return;
    const std::string text =
        LoadedPlugin::ItemText(host_.plugins()[entry->plugin]->items[entry->item]);
    HDC dc = ::GetDC(hwnd_);
    HGDIOBJ old = ::SelectObject(dc, MenuFont());
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    ::SelectObject(dc, old);
    ::ReleaseDC(hwnd_, dc);
    measure.itemWidth = static_cast<UINT>(kMenuIconSize + 3 * kMenuPadding + size.cx);
    measure.itemHeight = static_cast<UINT>(
        std::max<int>(kMenuIconSize + kMenuPadding, std::max<int>(size.cy + kMenuPadding, ::GetSystemMetrics(SM_CYMENU))));
}

void MainWindow::DrawItem(const DRAWITEMSTRUCT& draw)
{
    const Entry* entry = EntryFor(draw.itemID);
    if (entry == nullptr)
        return;
    const MenuItemBlock& item = host_.plugins()[entry->plugin]->items[entry->item];
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    const bool grayed = (draw.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    ::FillRect(draw.hDC, &draw.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));

    const int height = draw.rcItem.bottom - draw.rcItem.top;
    if (HICON icon = LoadedPlugin::ItemIcon(item))
        ::DrawIconEx(draw.hDC, draw.rcItem.left + kMenuPadding,
                     draw.rcItem.top + (height - kMenuIconSize) / 2, icon, kMenuIconSize,
                     kMenuIconSize, 0, nullptr, DI_NORMAL);

    RECT textRect = draw.rcItem;
    textRect.left += kMenuIconSize + 2 * kMenuPadding;
    const std::string text = LoadedPlugin::ItemText(item);
    HGDIOBJ old = ::SelectObject(draw.hDC, MenuFont());
    ::SetBkMode(draw.hDC, TRANSPARENT);
    ::SetTextColor(draw.hDC, ::GetSysColor(grayed ? COLOR_GRAYTEXT
                                                  : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
    ::DrawTextA(draw.hDC, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    ::SelectObject(draw.hDC, old);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    MainWindow* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr)
        return ::DefWindowProcA(hwnd, msg, wParam, lParam);
    return self->Handle(msg, wParam, lParam);
}

LRESULT MainWindow::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    HWND hwnd = hwnd_;
    switch (msg) {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_COMMAND:
        OnCommand(LOWORD(wParam));
        return 0;
    case WM_MEASUREITEM:
        if (wParam == 0) {
            MeasureItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_DRAWITEM:
        if (wParam == 0) {
            DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        }
        break;
    case WM_TIMER:
        if (wParam == IDT_HOST_MAIL_CHECK) {
            CheckMailNow();
            return 0;
        }
        if (wParam == IDT_HOST_REMINDER) {
            reminder_.Show();
            return 0;
        }
        break;
    case WM_QUERYENDSESSION:
        AppendLog("WM_QUERYENDSESSION: the session may end");
        return TRUE;
    case WM_ENDSESSION:
        // The client's main window leaves this to its framework, whose default runs the
        // application's exit right here when the session ends.
        if (wParam != FALSE) {
            AppendLog("WM_ENDSESSION: the session ends, the application exits");
            if (onEndSession)
                onEndSession();
            AppendLog("WM_ENDSESSION: the application has exited");
            ::PostMessageA(hwnd, WM_HOST_SESSION_ENDED, 0, 0);
        } else {
            AppendLog("WM_ENDSESSION: the session goes on");
        }
        return 0;
    case WM_HOST_SESSION_ENDED:
        if (options_.exitProcessAfterEndSession) {
            AppendLog("Session ended: the process ends");
            ::ExitProcess(0);
        }
        AppendLog("Session ended: the process is kept (a test's client)");
        return 0;
    case WM_HOST_TRAY_ICON:
        if (wParam == ID_HOST_TRAY_ICON)
            tray_.OnCallback(lParam);
        return 0;
    case WM_DESTROY:
        AppendLog("Main window destroyed");
        mailCheck_.Stop();
        reminder_.Stop();
        tray_.Remove();
        if (options_.quitWhenDestroyed)
            ::PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        toolbar_ = nullptr;
        log_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcA(hwnd, msg, wParam, lParam);
}

} // namespace velmora_host
