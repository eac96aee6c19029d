#include "config_ui/SettingsDialog.h"

#include <windows.h>

#include <commctrl.h>

#include <utility>

#include "config_ui/AboutDialog.h"
#include "config_ui/SettingsMessages.h"
#include "framework/Module.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"

const char* const kMakerWebPage = "https://velmora.example/";

namespace {

// velmora.txt beside velmora.ini (`settingsPath`); failing that, the one beside the loaded
// plug-in in `pluginFolder` (installed by hand into the client's program folder, say).
// Empty when neither exists.
std::string ReleaseNotesFile(const std::string& settingsPath, const std::string& pluginFolder)
{
    const std::string besideSettings =
        settingsPath.substr(0, settingsPath.size() >= 3 ? settingsPath.size() - 3 : 0) + "txt";
    const std::string besidePlugin = pluginFolder.empty() ? "" : pluginFolder + "\\velmora.txt";
    for (const std::string& notes : {besideSettings, besidePlugin}) {
        if (FileExists(notes))
            return notes;
    }
    return std::string();
}

} // namespace

// What each button does. The four switches are check boxes that never change by
// themselves: only their toggle handlers check and uncheck them.
const CDialog::ClickEntry SettingsDialog::kClickTable[] = {
    {IDC_SET_STARTUP, Click(&SettingsDialog::OnToggleStartUp)},
    {IDC_SET_STRETCH, Click(&SettingsDialog::OnToggleStretch)},
    {IDC_SET_SAVE_MEMO, Click(&SettingsDialog::OnToggleSaveMemoPadText)},
    {IDC_SET_HIDE_EUDORA, Click(&SettingsDialog::OnToggleHideEudora)},
    {IDC_SET_LOCK_WITH_WINDOWS, Click(&SettingsDialog::OnToggleLockWithWindows)},
    {IDC_SET_APPLY, Click(&SettingsDialog::OnApply)},
    {IDC_SET_CANCEL, Click(&SettingsDialog::OnCancelButton)},
    {IDC_SET_RELEASE_NOTES, Click(&SettingsDialog::OnReleaseNotes)},
    {IDC_SET_ABOUT_BOX, Click(&SettingsDialog::OnAboutBox)},
    {IDC_SET_INTERNET, Click(&SettingsDialog::OnInternet)},
    {0, nullptr},
};

SettingsDialog::SettingsDialog(SettingsFile& settings, ProductStrings product, HWND parent,
                               ShellExecuteFunction shellOpen) noexcept
    : CDialog(IDD, parent), settings_(settings), product_(std::move(product)), shellOpen_(shellOpen)
{
    // The template's up-down control needs its window class before the dialog is made.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
}

BOOL SettingsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetWindowTextA(m_hWnd, product_.productName.c_str());

    const Switches switches = settings_.ReadSwitches();
    startUp = switches.startUp;
    ShowSwitch(IDC_SET_STARTUP, startUp);
    stretch = switches.stretch;
    ShowSwitch(IDC_SET_STRETCH, stretch);
    saveMemoPadText = switches.saveMemoPadText;
    ShowSwitch(IDC_SET_SAVE_MEMO, saveMemoPadText);
    hideEudora = switches.hideEudora;
    ShowSwitch(IDC_SET_HIDE_EUDORA, hideEudora);
    const LockSettings lock = settings_.ReadLockSettings();
    lockWithWindows = lock.withWindows;
    lockWithWindowsStored_ = lock.withWindowsStored;
    ShowSwitch(IDC_SET_LOCK_WITH_WINDOWS, lockWithWindows);
    // The field shows what the lock makes of the stored value.
    lockAfterMinutes = lock.afterMinutes;
    lockAfterMinutesStored_ = lock.afterMinutesStored;
    ::SendDlgItemMessageA(m_hWnd, IDC_SET_LOCK_MINUTES_SPIN, UDM_SETRANGE32, 0, kLongestLockAfterMinutes);
    ::SendDlgItemMessageA(m_hWnd, IDC_SET_LOCK_MINUTES, EM_LIMITTEXT, 3, 0);
    ::SetDlgItemInt(m_hWnd, IDC_SET_LOCK_MINUTES, static_cast<UINT>(lockAfterMinutes), FALSE);

    opened_ = Shown();

    for (int field : {IDC_SET_NEW_PASSWORD, IDC_SET_NEW_PASSWORD2})
        ::SendDlgItemMessageA(m_hWnd, field, EM_LIMITTEXT, kLongestPassword, 0);

    // The dialog manager focuses the first tab stop, the Start-Up box.
    return TRUE;
}

// No control is bound to a member: the switches follow their boxes through the toggle
// handlers, and Apply reads the password fields itself.
void SettingsDialog::DoDataExchange(CDataExchange*)
{
}

void SettingsDialog::OnToggleStartUp()
{
    Toggle(IDC_SET_STARTUP, startUp);
}

void SettingsDialog::OnToggleStretch()
{
    Toggle(IDC_SET_STRETCH, stretch);
}

void SettingsDialog::OnToggleSaveMemoPadText()
{
    Toggle(IDC_SET_SAVE_MEMO, saveMemoPadText);
}

void SettingsDialog::OnToggleHideEudora()
{
    Toggle(IDC_SET_HIDE_EUDORA, hideEudora);
}

void SettingsDialog::OnToggleLockWithWindows()
{
    Toggle(IDC_SET_LOCK_WITH_WINDOWS, lockWithWindows);
}

void SettingsDialog::OnApply()
{
    ApplyRequest request;
    request.now = Shown();
    request.lockMinutesStored = lockAfterMinutesStored_;
    request.lockWithWindowsStored = lockWithWindowsStored_;
    request.fileUnreadable = settings_.Damaged();
    request.fileName = settings_.FileName();
    // The old password is read as the cover reads the password at unlock, so that one
    // stored by an earlier version (with "?" for what the code page lacked) still
    // matches. The new ones are read whole, to refuse what the code page cannot keep.
    request.oldPasswordRight = settings_.PasswordMatches(GetItemText(IDC_SET_OLD_PASSWORD));
    request.fresh = GetItemTextW(IDC_SET_NEW_PASSWORD);
    request.again = GetItemTextW(IDC_SET_NEW_PASSWORD2);
    request.freshAnsiExact = ToAnsiExactly(request.fresh, request.freshAnsi);
    const ApplyAnswer answer = DecideApply(request);
    if (!answer.refusal.empty()) {
        Tell(answer.refusal);
        if (answer.focus == SettingsField::kLockMinutes) {
            HWND field = GetDlgItem(IDC_SET_LOCK_MINUTES);
            ::SetFocus(field);
            ::SendMessageA(field, EM_SETSEL, 0, -1);
        }
        return;
    }
    lockAfterMinutes = answer.lock.afterMinutes;
    // The password goes last: if anything fails on the way, the stored password is
    // still the old one the user has just typed.
    if (!settings_.ApplySettings(answer.switches, answer.lock, answer.changePassword ? &answer.newPassword : nullptr)) {
        Tell(SettingsNotSavedText(settings_.FileName(), settings_.LastSaveProblem()));
        return;
    }
    EndDialog(1);
}

void SettingsDialog::OnOK()
{
    const PasswordsTyped typed{FieldHasText(IDC_SET_OLD_PASSWORD), FieldHasText(IDC_SET_NEW_PASSWORD),
                               FieldHasText(IDC_SET_NEW_PASSWORD2)};
    if (!HasUnappliedChanges(opened_, Shown(), typed)) {
        CDialog::OnOK();
        return;
    }
    const std::string question = ApplyChangesQuestion(typed, !settings_.PasswordMatches(""));
    switch (::MessageBoxA(m_hWnd, question.c_str(), product_.productName.c_str(), MB_YESNOCANCEL)) {
    case IDYES:
        // As the button: the dialog ends only when everything is saved, and stays open
        // with the reason otherwise (a wrong old password, say).
        OnApply();
        break;
    case IDNO:
        CDialog::OnOK();
        break;
    default:
        break;
    }
}

SettingsShown SettingsDialog::Shown() const
{
    return {{startUp, stretch, saveMemoPadText, hideEudora}, lockWithWindows, GetItemText(IDC_SET_LOCK_MINUTES)};
}

bool SettingsDialog::FieldHasText(int field) const noexcept
{
    return ::GetWindowTextLengthW(GetDlgItem(field)) > 0;
}

void SettingsDialog::OnCancelButton()
{
    EndDialog(0);
}

void SettingsDialog::OnReleaseNotes()
{
    const std::string notes = ReleaseNotesFile(settings_.FileName(), ModuleFolder());
    if (!notes.empty())
        shellOpen_(nullptr, "open", notes.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void SettingsDialog::OnAboutBox()
{
    AboutDialog about(product_);
    about.DoModal();
}

void SettingsDialog::OnInternet()
{
    shellOpen_(nullptr, "open", kMakerWebPage, nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void SettingsDialog::Toggle(int boxId, int& member) noexcept
{
    if (::IsDlgButtonChecked(m_hWnd, boxId) == BST_CHECKED) {
        ::CheckDlgButton(m_hWnd, boxId, BST_UNCHECKED);
        member = 0;
    } else {
        ::CheckDlgButton(m_hWnd, boxId, BST_CHECKED);
        member = 1;
    }
}

void SettingsDialog::ShowSwitch(int boxId, int value) noexcept
{
    ::CheckDlgButton(m_hWnd, boxId, value == 1 ? BST_CHECKED : BST_UNCHECKED);
}

void SettingsDialog::Tell(const std::string& text) const noexcept
{
    ::MessageBoxA(m_hWnd, text.c_str(), product_.productName.c_str(), MB_OK);
}
