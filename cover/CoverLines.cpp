#include "cover/CoverLines.h"

#include "resource.h"

namespace {

// The caps-lock line on the face, then the lines below it in the order they stack.
constexpr int kLineIds[] = {IDC_COVER_CAPS_LOCK, IDC_COVER_FILE_UNREADABLE, IDC_COVER_WRONG_PASSWORDS,
                            IDC_COVER_NO_PASSWORD, IDC_COVER_LOCK_UNRECORDED, IDC_COVER_MEMO_PART};
static_assert(sizeof kLineIds / sizeof kLineIds[0] == CoverLines::kCount, "a text and a height for each line");
constexpr int kFirstBelowFace = 1;
// In dialog units: the face's height (the template's), where the lines below it start,
// the space between two of them and below the last.
constexpr int kFaceHeight = 198;
constexpr int kLinesTop = 196;
constexpr int kLineGap = 1;
constexpr int kBottomMargin = 3;

RECT ClientRectOf(HWND cover, HWND control) noexcept
{
    RECT r{};
    ::GetWindowRect(control, &r);
    ::MapWindowPoints(nullptr, cover, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

} // namespace

void CoverLines::Attach(HWND cover) noexcept
{
    cover_ = cover;
    for (int i = 0; i < kCount; ++i) {
        const RECT r = ClientRectOf(cover_, ::GetDlgItem(cover_, kLineIds[i]));
        heights_[i] = r.bottom - r.top;
        texts_[i].clear();
    }
    Fit();
}

void CoverLines::Show(int id, const std::string& text)
{
    for (int i = 0; i < kCount; ++i) {
        if (kLineIds[i] != id || texts_[i] == text)
            continue;
        const bool roomChanges = i >= kFirstBelowFace && texts_[i].empty() != text.empty();
        texts_[i] = text;
        ::SetDlgItemTextA(cover_, id, text.c_str());
        if (roomChanges)
            Fit();
    }
}

void CoverLines::Fit() noexcept
{
    RECT face{0, kLinesTop, 0, kFaceHeight};
    RECT space{0, kLineGap, 0, kBottomMargin};
    ::MapDialogRect(cover_, &face);
    ::MapDialogRect(cover_, &space);
    int y = face.top;
    int bottom = face.bottom;
    for (int i = kFirstBelowFace; i < kCount; ++i) {
        HWND line = ::GetDlgItem(cover_, kLineIds[i]);
        const RECT r = ClientRectOf(cover_, line);
        // A line with nothing to say is hidden below the face, taking no room: shown there,
        // its empty background would be drawn over the lines that say something once the
        // cover grows for them.
        const bool says = !texts_[i].empty();
        ::SetWindowPos(line, nullptr, r.left, says ? y : face.bottom, r.right - r.left, heights_[i],
                       SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOCOPYBITS | (says ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
        if (says) {
            if (y + heights_[i] + space.bottom > bottom)
                bottom = y + heights_[i] + space.bottom;
            y += heights_[i] + space.top;
        }
    }
    // Stretched, the cover fills its monitor: the lines have room there already.
    RECT window{}, client{};
    if ((::GetWindowLongA(cover_, GWL_STYLE) & WS_MAXIMIZE) != 0 || !::GetWindowRect(cover_, &window) || !::GetClientRect(cover_, &client) ||
        client.bottom == bottom)
        return;
    ::SetWindowPos(cover_, nullptr, 0, 0, window.right - window.left,
                   (window.bottom - window.top) - client.bottom + bottom,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
