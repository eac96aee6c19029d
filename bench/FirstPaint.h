// Runs a modal dialog until its first paint is complete, measures the time from the
// start of the run (before the dialog object is made) to that moment, then ends it.
//
// "First paint complete" is the first moment at which the dialog is visible and
// neither it nor any of its visible controls has anything left to paint (no update
// region), after at least one WM_PAINT. The modal loop is watched with a message hook
// on this thread: when it takes a WM_PAINT for a dialog window (class #32770) or one
// of its controls, a marker message is posted to that dialog; posted messages come
// before the next WM_PAINT, so the marker is taken right after that paint has been
// handled, and the hook then looks at the update regions. Both sides of every
// comparison run under this same watch, so its small cost (one posted message per
// painted window) is in both.
#pragma once
#include <windows.h>

#include <functional>

namespace bench {

// Installs the message hook on the calling thread; removed when the object goes.
class PaintWatch {
public:
    PaintWatch();
    ~PaintWatch();
    PaintWatch(const PaintWatch&) = delete;
    PaintWatch& operator=(const PaintWatch&) = delete;
};

// What ends a dialog once it has painted, e.g. a click posted to one of its buttons.
using EndAction = std::function<void(HWND dialog)>;
EndAction ClickButton(int controlId);

struct PaintRun {
    INT_PTR result = -1;
    bool painted = false;
    bool timedOut = false;
    double microseconds = 0; // from the start of `run` to the first complete paint
};

// Calls `run`, which makes and runs a modal dialog (directly, or through an entry
// point of the plug-in); `end` is applied to the dialog once it has painted. A dialog
// that has not painted and ended after `timeoutMs` is ended by WM_QUIT. Needs a
// PaintWatch on this thread.
PaintRun RunUntilPainted(const std::function<INT_PTR()>& run, const EndAction& end,
                         UINT timeoutMs = 10000);

} // namespace bench
