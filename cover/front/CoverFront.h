// Keeps the cover in front of the client and the keyboard with it. Stretched, the cover
// is topmost from its first show, like its curtains, so no window of the client brought
// to the top comes above it. At every tick it goes back above any window of the client
// that got over it, and takes the keyboard back when nobody has it; a window of another
// program keeps the front it was given. A click on a curtain, or a window of the client
// come to the front, posts FrontMessage() to the cover, which answers with Reclaim().
#pragma once
#include <windows.h>

class CoverFront {
public:
    // Before the cover is first shown: `password` is where the keyboard goes back to.
    void Follow(HWND cover, HWND password, bool stretched) noexcept;
    // The clock tick.
    void Keep() noexcept;
    // Brings the cover (or the message box above it) back to the front with the keyboard.
    void Reclaim() noexcept;
    void End() noexcept { cover_ = nullptr; }

    // Posted to the cover to have it take the front back.
    static UINT FrontMessage() noexcept;
    // A click on a curtain of the stretched cover: the cover comes forward instead, and
    // the curtain is not activated (the answer to WM_MOUSEACTIVATE).
    static LRESULT CurtainClicked(HWND curtain) noexcept;

private:
    void Raise() noexcept;

    HWND cover_ = nullptr;
    HWND password_ = nullptr;
    bool stretched_ = false;
};
