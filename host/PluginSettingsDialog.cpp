// "Message Plug-ins Settings...": one row per plug-in, its 32x32 icon beside its
// description; Settings makes that plug-in's settings request.
#include <string>

#include "host/HostResource.h"
#include "host/MainWindow.h"

namespace velmora_host {

namespace {

constexpr int kIconSize = 32;
constexpr int kRowPadding = 3;

struct DialogState {
    PluginHost* host;
};

void ShowSelectedFile(HWND dialog, PluginHost& host)
{
    const LRESULT row = ::SendDlgItemMessageA(dialog, IDC_HOST_PLUGIN_LIST, LB_GETCURSEL, 0, 0);
    std::string text;
    if (row >= 0 && static_cast<size_t>(row) < host.plugins().size())
        text = host.plugins()[static_cast<size_t>(row)]->Path();
    ::SetDlgItemTextA(dialog, IDC_HOST_PLUGIN_FILE, text.c_str());
    ::EnableWindow(::GetDlgItem(dialog, IDC_HOST_PLUGIN_SETTINGS),
                   row >= 0 && host.plugins()[static_cast<size_t>(row)]->HasSettings());
}

void DrawRow(const DRAWITEMSTRUCT& draw, PluginHost& host)
{
    if (draw.itemID == static_cast<UINT>(-1) || draw.itemID >= host.plugins().size())
        return;
    const LoadedPlugin& plugin = *host.plugins()[draw.itemID];
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    ::FillRect(draw.hDC, &draw.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (HICON icon = plugin.Icon())
        ::DrawIconEx(draw.hDC, draw.rcItem.left + kRowPadding, draw.rcItem.top + kRowPadding, icon,
                     kIconSize, kIconSize, 0, nullptr, DI_NORMAL);
    RECT text = draw.rcItem;
    text.left += kIconSize + 3 * kRowPadding;
    const std::string description = plugin.Description();
    ::SetBkMode(draw.hDC, TRANSPARENT);
    ::SetTextColor(draw.hDC, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ::DrawTextA(draw.hDC, description.c_str(), static_cast<int>(description.size()), &text,
                DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (draw.itemState & ODS_FOCUS)
        ::DrawFocusRect(draw.hDC, &draw.rcItem);
}

INT_PTR CALLBACK PluginSettingsProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* state = reinterpret_cast<DialogState*>(::GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: {
        ::SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        HWND list = ::GetDlgItem(dialog, IDC_HOST_PLUGIN_LIST);
        for (size_t i = 0; i < state->host->plugins().size(); ++i)
            ::SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(i));
        ::SendMessageA(list, LB_SETCURSEL, 0, 0);
        ShowSelectedFile(dialog, *state->host);
        return TRUE;
    }
    case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        measure->itemHeight = kIconSize + 2 * kRowPadding;
        ::SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_DRAWITEM:
        if (state != nullptr && wParam == IDC_HOST_PLUGIN_LIST) {
            DrawRow(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam), *state->host);
            return TRUE;
        }
        return FALSE;
    case WM_COMMAND:
        if (state == nullptr)
            return FALSE;
        switch (LOWORD(wParam)) {
        case IDC_HOST_PLUGIN_LIST:
            if (HIWORD(wParam) == LBN_SELCHANGE)
                ShowSelectedFile(dialog, *state->host);
            else if (HIWORD(wParam) == LBN_DBLCLK)
                ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_HOST_PLUGIN_SETTINGS, BN_CLICKED), 0);
            return TRUE;
        case IDC_HOST_PLUGIN_SETTINGS: {
            const LRESULT row = ::SendDlgItemMessageA(dialog, IDC_HOST_PLUGIN_LIST, LB_GETCURSEL, 0, 0);
            if (row >= 0)
                state->host->OpenSettings(static_cast<size_t>(row));
            return TRUE;
        }
        case IDOK:
        case IDCANCEL:
            ::EndDialog(dialog, LOWORD(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

} // namespace

void RunPluginSettingsDialog(HWND owner, PluginHost& host)
{
    DialogState state{&host};
    ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_HOST_PLUGIN_SETTINGS), owner,
                      &PluginSettingsProc, reinterpret_cast<LPARAM>(&state));
}

} // namespace velmora_host
