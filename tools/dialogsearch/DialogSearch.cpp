#include "tools/dialogsearch/DialogSearch.h"

#include <cstring>
#include <vector>

namespace dialog_search {

namespace {

using Match = std::function<bool(HWND)>;

struct Search {
    const Match* match;
    bool all;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    // The cheap tests first: the match may send the window a message.
    if (!IsDialogClass(window) || !::IsWindowVisible(window) || !(*search->match)(window))
        return TRUE;
    search->found.push_back(window);
    return search->all;
}

// The visible dialogs of the thread that `match` accepts, in the system's order; only
// the first unless `all`. A `threadId` of 0: every top-level window of the desktop.
std::vector<HWND> Dialogs(DWORD threadId, const Match& match, bool all)
{
    Search search{&match, all, {}};
    if (threadId != 0)
        ::EnumThreadWindows(threadId, &CollectDialogs, reinterpret_cast<LPARAM>(&search));
    else
        ::EnumWindows(&CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FirstDialog(DWORD threadId, const Match& match)
{
    const std::vector<HWND> found = Dialogs(threadId, match, false);
    return found.empty() ? nullptr : found.front();
}

Match WithControl(int controlId, HWND exclude)
{
    return [controlId, exclude](HWND w) { return w != exclude && ::GetDlgItem(w, controlId) != nullptr; };
}

struct DescendantSearch {
    int id;
    const std::string* text;
    HWND found;
};

BOOL CALLBACK FindDescendantProc(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<DescendantSearch*>(param);
    if (search->id != 0 ? ::GetDlgCtrlID(window) != search->id : WindowText(window) != *search->text)
        return TRUE;
    search->found = window;
    return FALSE;
}

} // namespace

bool IsDialogClass(HWND window)
{
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, "#32770") == 0;
}

std::string WindowText(HWND window)
{
    const int length = static_cast<int>(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = static_cast<int>(
        ::SendMessageA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs, DWORD pollMs)
{
    const DWORD start = ::GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(pollMs);
    }
}

HWND WaitFor(const std::function<HWND()>& find, DWORD timeoutMs, DWORD pollMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, timeoutMs, pollMs);
    return found;
}

HWND FindThreadDialog(DWORD threadId, const char* caption)
{
    return FirstDialog(threadId, [caption](HWND w) { return caption == nullptr || WindowText(w) == caption; });
}

HWND WaitForThreadDialog(DWORD threadId, const char* caption, DWORD timeoutMs)
{
    return WaitFor([&] { return FindThreadDialog(threadId, caption); }, timeoutMs);
}

HWND WaitForOtherDialog(DWORD threadId, HWND exclude, DWORD timeoutMs)
{
    return WaitFor([&] { return FirstDialog(threadId, [exclude](HWND w) { return w != exclude; }); }, timeoutMs);
}

HWND FindDialogWithControl(DWORD threadId, int controlId, HWND exclude)
{
    return FirstDialog(threadId, WithControl(controlId, exclude));
}

HWND WaitForDialogWithControl(DWORD threadId, int controlId, HWND exclude, DWORD timeoutMs)
{
    return WaitFor([&] { return FindDialogWithControl(threadId, controlId, exclude); }, timeoutMs);
}

int CountDialogsWithControl(DWORD threadId, int controlId)
{
    return static_cast<int>(Dialogs(threadId, WithControl(controlId, nullptr), true).size());
}

HWND WaitForDesktopDialog(const std::string& caption, int controlId, const std::string& controlText,
                          DWORD timeoutMs)
{
    const Match match = [&](HWND dialog) {
        // The caption as the window manager keeps it: no message to another program's
        // window that may not answer.
        char text[256] = "";
        ::GetWindowTextA(dialog, text, sizeof text);
        return std::string(text).compare(0, caption.size(), caption) == 0 &&
               FindDescendant(dialog, controlId, controlText) != nullptr;
    };
    return WaitFor([&] { return FirstDialog(0, match); }, timeoutMs);
}

HWND FindDescendant(HWND parent, int id, const std::string& text)
{
    DescendantSearch search{id, &text, nullptr};
    ::EnumChildWindows(parent, &FindDescendantProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND VisibleMenuOf(DWORD thread)
{
    for (HWND w = ::FindWindowExA(nullptr, nullptr, "#32768", nullptr); w != nullptr;
         w = ::FindWindowExA(nullptr, w, "#32768", nullptr)) {
        if (::IsWindowVisible(w) && ::GetWindowThreadProcessId(w, nullptr) == thread)
            return w;
    }
    return nullptr;
}

} // namespace dialog_search
