#include "support/DialogSearch.h"

#include <cstring>
#include <vector>

#include "support/TestSupport.h"

namespace testing_support {

namespace {

struct Search {
    int controlId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(window) &&
        ::GetDlgItem(window, search->controlId) != nullptr)
        search->found.push_back(window);
    return TRUE;
}

std::vector<HWND> DialogsWith(DWORD threadId, int controlId)
{
    Search search{controlId, {}};
    ::EnumThreadWindows(threadId, &CollectDialogs, reinterpret_cast<LPARAM>(&search));
    return search.found;
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

BOOL CALLBACK CollectTopLevelDialogs(HWND window, LPARAM param)
{
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof name);
    if (std::strcmp(name, "#32770") == 0 && ::IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
    return TRUE;
}

} // namespace

HWND WaitForDesktopDialog(const std::string& caption, int controlId, const std::string& controlText,
                          DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            std::vector<HWND> dialogs;
            ::EnumWindows(&CollectTopLevelDialogs, reinterpret_cast<LPARAM>(&dialogs));
            for (HWND dialog : dialogs) {
                // The caption as the window manager keeps it: no message to another
                // program's window that may not answer.
                char text[256] = "";
                ::GetWindowTextA(dialog, text, sizeof text);
                if (std::string(text).compare(0, caption.size(), caption) == 0 &&
                    FindDescendant(dialog, controlId, controlText) != nullptr)
                    return (found = dialog) != nullptr;
            }
            return false;
        },
        timeoutMs);
    return found;
}

HWND FindDescendant(HWND parent, int id, const std::string& text)
{
    DescendantSearch search{id, &text, nullptr};
    ::EnumChildWindows(parent, &FindDescendantProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindDialogWithControl(DWORD threadId, int controlId, HWND exclude)
{
    for (HWND dialog : DialogsWith(threadId, controlId)) {
        if (dialog != exclude)
            return dialog;
    }
    return nullptr;
}

HWND WaitForDialogWithControl(DWORD threadId, int controlId, HWND exclude, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindDialogWithControl(threadId, controlId, exclude)) != nullptr; },
              timeoutMs);
    return found;
}

int CountDialogsWithControl(DWORD threadId, int controlId)
{
    return static_cast<int>(DialogsWith(threadId, controlId).size());
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

} // namespace testing_support
