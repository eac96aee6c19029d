// Whether a control's text fits it: the text drawn the way the control draws it, with
// the control's own font, against the part of its client area the text may use.
#pragma once
#include <windows.h>

#include <string>

namespace testing_support {

struct TextFit {
    std::string face;   // the typeface the control's font resolved to
    SIZE needed{};      // pixels the text takes (wrapped to the room's width where it wraps)
    SIZE room{};        // pixels the control leaves for it
    bool fits() const { return needed.cx <= room.cx && needed.cy <= room.cy; }
};

// Measures `text` in `control` (a static, button, check box or group box). False for a
// control that shows no text of its own: edits, icons, frames.
bool MeasureText(HWND control, const std::string& text, TextFit& out);

} // namespace testing_support
