// The lines the cover says about itself, each set only when it changes (they are looked at
// twice a second). The ones below the cover's face (a settings file that cannot be read,
// wrong passwords, no password, a lock not recorded, a memo shown in part) are empty almost always: the cover is its
// template's face alone, and each of them adds its room while it shows and gives it back
// when it goes.
#pragma once
#include <windows.h>

#include <string>

class CoverLines {
public:
    // The cover's lines as its template made them, all empty.
    void Attach(HWND cover) noexcept;
    // Line `id` says `text` (empty: nothing).
    void Show(int id, const std::string& text);

    // How many lines the cover has (the ids in CoverLines.cpp).
    static constexpr int kCount = 6;

private:
    // Stacks the lines below the face that say something, and fits the cover to them.
    void Fit() noexcept;

    HWND cover_ = nullptr;
    std::string texts_[kCount];
    // Each line's height as the template gives it, in pixels.
    int heights_[kCount] = {};
};
