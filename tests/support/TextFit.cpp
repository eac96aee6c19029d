#include "support/TextFit.h"

namespace testing_support {

namespace {

// The control's device context with its own font selected.
class ControlDc {
public:
    explicit ControlDc(HWND control) : control_(control), dc_(::GetDC(control))
    {
        auto font = reinterpret_cast<HGDIOBJ>(::SendMessageA(control, WM_GETFONT, 0, 0));
        old_ = ::SelectObject(dc_, font != nullptr ? font : ::GetStockObject(SYSTEM_FONT));
    }
    ~ControlDc()
    {
        ::SelectObject(dc_, old_);
        ::ReleaseDC(control_, dc_);
    }
    ControlDc(const ControlDc&) = delete;
    ControlDc& operator=(const ControlDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND control_;
    HDC dc_;
    HGDIOBJ old_;
};

// DrawText flags a static draws its text with; false for a static without text.
bool StaticFormat(DWORD style, UINT& format)
{
    switch (style & SS_TYPEMASK) {
    case SS_LEFT:
    case SS_CENTER:
    case SS_RIGHT: format = DT_WORDBREAK | DT_EXPANDTABS; break;
    case SS_LEFTNOWORDWRAP: format = DT_EXPANDTABS; break;
    case SS_SIMPLE: format = DT_SINGLELINE; break;
    default: return false;
    }
    // Vertically centred text is one line.
    if ((style & SS_CENTERIMAGE) != 0)
        format = DT_SINGLELINE | DT_EXPANDTABS;
    if ((style & SS_NOPREFIX) != 0)
        format |= DT_NOPREFIX;
    return true;
}

// Shrinks a button's client area to where its text may go; false for a button without
// text (owner-drawn and the like).
bool ButtonRoom(DWORD style, const TEXTMETRICA& tm, RECT& room)
{
    const DWORD type = style & BS_TYPEMASK;
    const bool checkOrRadio = type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
                              type == BS_AUTO3STATE || type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || (checkOrRadio && (style & BS_PUSHLIKE))) {
        // Inside the 3-D frame and the focus rectangle.
        ::InflateRect(&room, -(::GetSystemMetrics(SM_CXEDGE) + 1), -(::GetSystemMetrics(SM_CYEDGE) + 1));
    } else if (checkOrRadio) {
        room.left += ::GetSystemMetrics(SM_CXMENUCHECK) + tm.tmAveCharWidth / 2;
    } else if (type == BS_GROUPBOX) {
        // The caption starts about a character in from the frame's corner and needs as
        // much frame after it.
        ::InflateRect(&room, -tm.tmAveCharWidth, 0);
    } else {
        return false;
    }
    return true;
}

} // namespace

bool MeasureText(HWND control, const std::string& text, TextFit& out)
{
    char className[16] = "";
    ::GetClassNameA(control, className, sizeof className);
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(control, GWL_STYLE));
    ControlDc dc(control);
    TEXTMETRICA tm{};
    ::GetTextMetricsA(dc.get(), &tm);
    RECT room{};
    ::GetClientRect(control, &room);
    UINT format = 0;
    if (::lstrcmpiA(className, "Static") == 0) {
        if (!StaticFormat(style, format))
            return false;
    } else if (::lstrcmpiA(className, "Button") == 0) {
        if (!ButtonRoom(style, tm, room))
            return false;
        format = (style & BS_MULTILINE) != 0 ? DT_WORDBREAK : DT_SINGLELINE;
    } else {
        return false;
    }
    char face[LF_FACESIZE] = "";
    ::GetTextFaceA(dc.get(), sizeof face, face);
    out.face = face;
    out.room = {room.right - room.left, room.bottom - room.top};
    // A word wider than the room widens the calculated rectangle.
    RECT drawn{0, 0, out.room.cx, 0};
    ::DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &drawn, DT_CALCRECT | format);
    out.needed = {drawn.right - drawn.left, drawn.bottom - drawn.top};
    return true;
}

} // namespace testing_support
