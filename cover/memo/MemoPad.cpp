#include "cover/memo/MemoPad.h"

#include <commctrl.h>

#include "cover/CoverLines.h"
#include "cover/CoverTexts.h"
#include "cover/memo/MemoBound.h"
#include "settings/MemoCodec.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsLimits.h"

namespace {

// Restarted at every change of the memo pad: the memo is saved once the typing pauses,
// and the save lands within 2 seconds of the last key even when the timer is late.
constexpr UINT kPauseMs = 1500;
constexpr UINT_PTR kSubclassId = 1;

// The box's room for one line with the pad's font: the width of all its rows. Wrapping
// at word breaks leaves part of each row empty: a line that fits the box fits this room,
// so nothing the box could hold is ever cut.
class BoxRoom final : public LineRoom {
public:
    explicit BoxRoom(HWND pad) noexcept : pad_(pad), dc_(::GetDC(pad))
    {
        RECT box{};
        if (dc_ == nullptr || !::GetClientRect(pad, &box))
            return;
        old_ = ::SelectObject(dc_, reinterpret_cast<HGDIOBJ>(::SendMessageW(pad, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(dc_, &metrics);
        const int rows = metrics.tmHeight > 0 ? box.bottom / metrics.tmHeight : 0;
        room_ = box.right * (rows > 1 ? rows : 1);
        measured_ = true;
    }
    ~BoxRoom()
    {
        if (dc_ == nullptr)
            return;
        if (measured_)
            ::SelectObject(dc_, old_);
        ::ReleaseDC(pad_, dc_);
    }
    BoxRoom(const BoxRoom&) = delete;
    BoxRoom& operator=(const BoxRoom&) = delete;

    bool Measured() const noexcept { return measured_; }
    size_t Fitting(const wchar_t* line, size_t length) const noexcept override
    {
        INT fit = 0;
        SIZE extent{};
        if (!::GetTextExtentExPointW(dc_, line, static_cast<int>(length), room_, &fit, nullptr, &extent))
            return length;
        return static_cast<size_t>(fit);
    }

private:
    HWND pad_;
    HDC dc_;
    HGDIOBJ old_ = nullptr;
    int room_ = 0;
    bool measured_ = false;
};

// The pad's rows the box shows whole.
int VisibleRows(HWND pad) noexcept
{
    RECT format{};
    ::SendMessageW(pad, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    HDC dc = ::GetDC(pad);
    if (dc == nullptr)
        return 1;
    const HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageW(pad, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(pad, dc);
    const int rows = metrics.tmHeight > 0 ? (format.bottom - format.top) / metrics.tmHeight : 1;
    return rows > 1 ? rows : 1;
}

} // namespace

void MemoPad::Open(HWND dialog, int memoId, CoverLines& lines, int partId, bool saving, bool typable)
{
    dialog_ = dialog;
    pad_ = ::GetDlgItem(dialog, memoId);
    lines_ = &lines;
    partId_ = partId;
    saving_ = saving;
    // A limit on what can be typed, so everything in the pad can be stored and read
    // back; text set from the file is not cut by it.
    ::SendMessageA(pad_, EM_LIMITTEXT, kMemoTypedLimit, 0);
    if (saving_)
        ShowStored();
    if (!typable)
        ::SendMessageW(pad_, EM_SETREADONLY, TRUE, 0);
    NoteSelection();
    // Only the dialog manager's rule selects the memo's whole text as it gets the focus;
    // each edit is told apart as it is made.
    ::SetWindowSubclass(pad_, &MemoPad::Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void MemoPad::Close() noexcept
{
    ::RemoveWindowSubclass(pad_, &MemoPad::Proc, kSubclassId);
    dialog_ = nullptr;
}

WideText MemoPad::Text() const
{
    const int length = ::GetWindowTextLengthW(pad_);
    WideText text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(pad_, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

void MemoPad::Changed()
{
    // A key the full box refused changes nothing: its line stays.
    if (Reconcile())
        ShowPartLine();
    if (saving_)
        ::SetTimer(dialog_, kPauseTimer, kPauseMs, nullptr);
}

bool MemoPad::OnTimer(UINT_PTR id)
{
    if (id != kPauseTimer)
        return false;
    ::KillTimer(dialog_, kPauseTimer);
    // A save that fails shows nothing over the cover: the next change tries again, and
    // the unlock says so if it still cannot be saved then.
    SaveChanged();
    return true;
}

void MemoPad::SaveChanged() noexcept
{
    if (dialog_ == nullptr || !saving_)
        return;
    // Only what was typed: the text as loaded or last saved would overwrite a change
    // made to the file meanwhile.
    const WideText memo = Text();
    if (memo != known_)
        Save(memo);
}

bool MemoPad::Save(const WideText& memo)
{
    Reconcile();
    if (!settings_.SaveMemoPadText(MemoWithRest(memo, rest_, edits_)))
        return false;
    known_ = memo;
    return true;
}

bool MemoPad::FileHolds(const WideText& memo) const
{
    return settings_.LoadMemoPadText() == StoredToMemo(MemoToStored(MemoWithRest(memo, rest_, edits_)));
}

void MemoPad::Full()
{
    lines_->Show(partId_, kMemoFullLine);
}

void MemoPad::ShowPartLine()
{
    lines_->Show(partId_, !PartShown() ? "" : edits_ == PadEdits::kAtSeam ? kMemoPartSeamLine : kMemoPartLine);
}

bool MemoPad::Reconcile()
{
    if (pad_ == nullptr)
        return false;
    const WideText now = Text();
    if (now == last_)
        return false;
    edits_ = AfterChange(edits_, given_, last_, now, selStart_, selEnd_);
    last_ = now;
    return true;
}

void MemoPad::NoteSelection() noexcept
{
    DWORD start = 0, end = 0;
    ::DefSubclassProc(pad_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    selStart_ = start;
    selEnd_ = end;
}

void MemoPad::SetText(const WideText& text)
{
    WideText terminated = text;
    terminated.push_back(L'\0');
    ::SendMessageW(pad_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(terminated.data()));
}

void MemoPad::ShowStored()
{
    WideText memo = settings_.LoadMemoPadText();
    // No more lines than the box has rows, each no longer than the box shows.
    const int rows = VisibleRows(pad_);
    size_t shown = ShownLength(memo);
    shown = FirstLinesLength(memo.data(), shown, static_cast<size_t>(rows));
    SetText(WideText(memo.begin(), memo.begin() + static_cast<std::ptrdiff_t>(shown)));
    // A memo the box does not show whole is given the rows that leave the last one free:
    // what the pad holds can always be seen, and typed into. The pad's own wrapping says
    // where its rows start.
    const LRESULT lineCount = ::SendMessageW(pad_, EM_GETLINECOUNT, 0, 0);
    const int typingRows = rows > 1 ? rows - 1 : 1;
    if ((shown < memo.size() || lineCount > rows) && lineCount > typingRows) {
        const LRESULT rowStart = ::SendMessageW(pad_, EM_LINEINDEX, static_cast<WPARAM>(typingRows), 0);
        if (rowStart >= 0) {
            shown = WholeCharactersCut(memo.data(), memo.size(), static_cast<size_t>(rowStart));
            SetText(WideText(memo.begin(), memo.begin() + static_cast<std::ptrdiff_t>(shown)));
        }
    }
    rest_.assign(memo.begin() + static_cast<std::ptrdiff_t>(shown), memo.end());
    memo.resize(shown);
    // What the pad shows counts as what the file holds: untouched, it is never written
    // back, and a change is saved with the rest after it.
    known_ = memo;
    given_ = memo;
    last_ = memo;
    edits_ = PadEdits::kNone;
    // The text just loaded is what the file holds: no save for it (wine reports the
    // change of a multi-line edit's text that Windows does not).
    ::KillTimer(dialog_, kPauseTimer);
    ShowPartLine();
}

size_t MemoPad::ShownLength(const WideText& memo) const noexcept
{
    const BoxRoom room(pad_);
    // The whole memo as far as its bounds go when the box cannot be measured.
    return ShownMemoLength(memo.data(), memo.size(), kLongestGivenMemo, kLongestShownMemoLine,
                           room.Measured() ? &room : nullptr);
}

void MemoPad::EnterAtEnd(HWND focusBefore, const MSG& msg) noexcept
{
    // Clicks and the mouse place the caret themselves; only the keys that move the
    // focus between controls come here.
    const bool key = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN || msg.message == WM_CHAR ||
                     msg.message == WM_SYSCHAR;
    if (!key || focusBefore == pad_ || ::GetFocus() != pad_)
        return;
    const int end = ::GetWindowTextLengthW(pad_);
    ::SendMessageW(pad_, EM_SETSEL, static_cast<WPARAM>(end), end);
    ::SendMessageW(pad_, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK MemoPad::Proc(HWND memo, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data) noexcept
{
    auto* pad = reinterpret_cast<MemoPad*>(data);
    // A program's text replaces all of it, wherever the caret was.
    if (msg == WM_SETTEXT) {
        pad->selStart_ = 0;
        pad->selEnd_ = static_cast<size_t>(-1);
    }
    const LRESULT result = ::DefSubclassProc(memo, msg, wParam, lParam);
    if (msg == WM_SETTEXT)
        pad->Reconcile();
    if (msg != EM_GETSEL && msg != WM_DESTROY && msg != WM_NCDESTROY)
        pad->NoteSelection();
    // Without this the dialog manager selects all of the memo whenever it gives it the
    // focus (Tab, a mnemonic, the cover active again), and one key replaces it.
    if (msg == WM_GETDLGCODE)
        return result & ~static_cast<LRESULT>(DLGC_HASSETSEL);
    return result;
}
