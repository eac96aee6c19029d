// Modal dialogs from dialog resources of this module.
//
// A dialog class derives from CDialog, names its template, binds controls in
// DoDataExchange, reacts to button clicks through a small table of member handlers and
// to other messages through OnMessage. DoModal runs the dialog with a message loop of
// its own, so every message for the dialog passes PreTranslateMessage first.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class CDataExchange {
public:
    CDataExchange(HWND dialog, bool saveAndValidate) noexcept
        : m_hDlg(dialog), m_bSaveAndValidate(saveAndValidate) {}
    HWND m_hDlg;
    bool m_bSaveAndValidate;
};

// A static control bound to a dialog item.
class CStatic {
public:
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    // Shows a cursor (animated ones play by themselves); returns the previous image.
    HCURSOR SetCursor(HCURSOR cursor) noexcept;
    HCURSOR GetCursor() const noexcept;
    HWND m_hWnd = nullptr;
};

void DDX_Control(CDataExchange* dx, int controlId, CStatic& control) noexcept;

class CDialog {
public:
    using ClickHandler = void (CDialog::*)();
    // One row of a dialog's click table: a button id and the member it calls.
    struct ClickEntry {
        int controlId;
        ClickHandler handler;
    };
    // Converts a derived class's member to a table entry's handler.
    template <class Dialog>
    static constexpr ClickHandler Click(void (Dialog::*handler)()) noexcept
    {
        return static_cast<ClickHandler>(handler);
    }

    // The result DoModal gives when the run was ended by WM_QUIT or the dialog could
    // not be created.
    static constexpr INT_PTR kNoResult = -1;

    explicit CDialog(UINT templateId, HWND parent = nullptr) noexcept;
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    // Creates the dialog, runs it until EndDialog or WM_QUIT, destroys it and returns
    // the result given to EndDialog (kNoResult after WM_QUIT, which is posted again).
    INT_PTR DoModal();

    void EndDialog(INT_PTR result) noexcept;
    // The host is shutting down (or the session ends) while the dialog runs: the run
    // ends at once with kNoResult and the window goes, with everything it owns, before
    // this returns. Nothing the dialog would do at a normal end is done.
    virtual void EndForShutdown() noexcept;
    // True after a run whose window was destroyed from outside (with the window that
    // owned it, say) before EndDialog or WM_QUIT ended it.
    bool WindowLost() const noexcept { return m_windowLost; }
    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    HWND GetDlgItem(int controlId) const noexcept { return ::GetDlgItem(m_hWnd, controlId); }
    // The whole text of a control, however long, in the system's ANSI code page (a
    // character it lacks comes back as the code page makes it: "?" or a look-alike).
    std::string GetItemText(int controlId) const;
    // The same text as typed, every character intact (UTF-16, no terminating zero).
    // A vector rather than std::wstring: the runtime's prebuilt wide strings would
    // add some 40 KB to the plug-in.
    std::vector<wchar_t> GetItemTextW(int controlId) const;
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    // Called for each message the modal loop takes for the dialog or one of its
    // controls, before the dialog manager's keyboard handling. TRUE drops the message.
    virtual BOOL PreTranslateMessage(MSG* msg);

protected:
    // WM_INITDIALOG. The base runs data exchange; TRUE lets the dialog manager focus
    // the first tab stop.
    virtual BOOL OnInitDialog();
    virtual void DoDataExchange(CDataExchange* dx);
    // The standard OK and Cancel commands (Enter and Esc through the dialog manager).
    virtual void OnOK();
    virtual void OnCancel();
    // The dialog's click table, ended by an entry with id 0; null for none.
    virtual const ClickEntry* GetClickTable() const { return nullptr; }
    // Messages not handled above. Return true with `result` set to handle one; false
    // leaves it to the default dialog processing.
    virtual bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, INT_PTR& result);
    // The modal loop has ended, however (EndDialog, WM_QUIT, the window lost); the owner
    // is enabled again and the window destroyed right after.
    virtual void OnModalLoopEnded() noexcept {}

    HWND m_hWnd = nullptr;

private:
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;
    INT_PTR HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    bool HandleCommand(WPARAM wParam, LPARAM lParam);
    bool IsOwnMessage(const MSG& msg) const noexcept;

    UINT m_templateId;
    HWND m_parent;
    INT_PTR m_result = kNoResult;
    bool m_ended = false;
    bool m_windowLost = false;
};
