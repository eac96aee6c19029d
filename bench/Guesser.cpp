#include "bench/Guesser.h"

#include <string>

#include "bench/Stopwatch.h"
#include "resource.h"
#include "tools/dialogsearch/DialogSearch.h"

namespace bench {

namespace {

struct Guesser {
    DWORD ui;
    const char* rightPassword;
    DWORD guessSeconds;
    DWORD unlockWithinSeconds;
    GuessRun result;
};

void Press(HWND cover, const std::string& password)
{
    ::SendMessageA(::GetDlgItem(cover, IDC_COVER_PASSWORD), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(password.c_str()));
    ::PostMessageA(cover, WM_COMMAND, MAKEWPARAM(IDC_COVER_UNLOCK, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(cover, IDC_COVER_UNLOCK)));
}

DWORD WINAPI Guess(void* param)
{
    Guesser& g = *static_cast<Guesser*>(param);
    HWND cover = dialog_search::WaitForDialogWithControl(g.ui, IDC_COVER_UNLOCK, nullptr, 10000);
    if (cover == nullptr)
        return 1;
    const LONGLONG start = Ticks();
    const auto seconds = [&] { return TicksToMicroseconds(Ticks() - start) / 1e6; };
    int attempt = 0;
    while (seconds() < g.guessSeconds) {
        Press(cover, "guess" + std::to_string(++attempt));
        // Each tested password brings its message box at once; no box within a moment
        // means the try was not tested.
        const LONGLONG pressed = Ticks();
        while (TicksToMicroseconds(Ticks() - pressed) < 200000) {
            HWND box = dialog_search::FindDialogWithControl(g.ui, 0xFFFF, cover);
            if (box != nullptr) {
                ++g.result.tested;
                g.result.lastWrongSeconds = seconds();
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                while (::IsWindow(box))
                    ::Sleep(1);
                break;
            }
            ::Sleep(1);
        }
    }
    const double deadline = seconds() + g.unlockWithinSeconds;
    while (::IsWindow(cover) && seconds() < deadline) {
        Press(cover, g.rightPassword);
        for (int i = 0; i < 100 && ::IsWindow(cover); ++i)
            ::Sleep(10);
    }
    g.result.unlocked = !::IsWindow(cover);
    g.result.unlockAfterLastWrongSeconds = seconds() - g.result.lastWrongSeconds;
    if (::IsWindow(cover))
        ::PostThreadMessageA(g.ui, WM_QUIT, 0, 0);
    return 0;
}

} // namespace

GuessRun GuessAtTheCover(const std::function<INT_PTR()>& run, const char* rightPassword,
                         DWORD guessSeconds, DWORD unlockWithinSeconds)
{
    Guesser g{::GetCurrentThreadId(), rightPassword, guessSeconds, unlockWithinSeconds, {}};
    HANDLE thread = ::CreateThread(nullptr, 0, &Guess, &g, 0, nullptr);
    run();
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return g.result;
}

} // namespace bench
