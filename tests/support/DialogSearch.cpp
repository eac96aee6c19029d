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

} // namespace

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

} // namespace testing_support
