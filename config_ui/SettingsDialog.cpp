#include "config_ui/SettingsDialog.h"

#include <windows.h>

#include <commctrl.h>

#include "config_ui/AboutDialog.h"
#include "config_ui/SettingsMessages.h"
#include "config_ui/ShellOpen.h"
#include "framework/Module.h"
#include "settings/PasswordScrambler.h"
#include "settings/ProductStrings.h"
#include "settings/SettingsStore.h"
#include "settings/StorablePassword.h"

const char* const kMakerWebPage = "https://velmora.example/";
SettingsAppliedFunction AfterSettingsApplied = nullptr;

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

SettingsDialog::SettingsDialog(HWND parent) noexcept : CDialog(IDD, parent)
{
    // The template's up-down control needs its window class before the dialog is made.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS};
    ::InitCommonControlsEx(&controls);
}

BOOL SettingsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetWindowTextA(m_hWnd, ProductInfo.productName.c_str());

    startUp = ReadSettingInt(kSettingsSection, kKeyStartUp, 0, SettingsFilePath);
    ShowSwitch(IDC_SET_STARTUP, startUp);
    stretch = ReadSettingInt(kSettingsSection, kKeyStretch, 0, SettingsFilePath);
    ShowSwitch(IDC_SET_STRETCH, stretch);
    saveMemoPadText = ReadSettingInt(kSettingsSection, kKeySaveMemoPadText, 1, SettingsFilePath);
    ShowSwitch(IDC_SET_SAVE_MEMO, saveMemoPadText);
    hideEudora = ReadSettingInt(kSettingsSection, kKeyHideEudora, 0, SettingsFilePath);
    ShowSwitch(IDC_SET_HIDE_EUDORA, hideEudora);
    lockWithWindows = ReadLockWithWindows();
    lockWithWindowsStored_ = SettingPresent(kKeyLockWithWindows);
    ShowSwitch(IDC_SET_LOCK_WITH_WINDOWS, lockWithWindows);
    // The field shows what the lock makes of the stored value: 0 for never (also for a
    // negative value or none at all), at most 999.
    lockAfterMinutes = EffectiveLockMinutes(ReadLockAfterMinutes());
    lockAfterMinutesStored_ = SettingPresent(kKeyLockAfterMinutes);
    ::SendDlgItemMessageA(m_hWnd, IDC_SET_LOCK_MINUTES_SPIN, UDM_SETRANGE32, 0, kLongestLockAfterMinutes);
    ::SendDlgItemMessageA(m_hWnd, IDC_SET_LOCK_MINUTES, EM_LIMITTEXT, 3, 0);
    ::SetDlgItemInt(m_hWnd, IDC_SET_LOCK_MINUTES, static_cast<UINT>(lockAfterMinutes), FALSE);

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

bool SettingsDialog::TakeLockMinutes()
{
    int minutes = 0;
    if (ParseLockMinutes(GetItemText(IDC_SET_LOCK_MINUTES), kLongestLockAfterMinutes, minutes)) {
        lockAfterMinutes = minutes;
        return true;
    }
    Tell(BadLockMinutesText(kLongestLockAfterMinutes));
    HWND field = GetDlgItem(IDC_SET_LOCK_MINUTES);
    ::SetFocus(field);
    ::SendMessageA(field, EM_SETSEL, 0, -1);
    return false;
}

void SettingsDialog::OnApply()
{
    if (!TakeLockMinutes())
        return;
    const std::string stored =
        ReadSettingString(kSettingsSection, kKeyPassword, "", SettingsFilePath);
    // The old password is read as the cover reads the password at unlock, so that one
    // stored by an earlier version (with "?" for what the code page lacked) still
    // matches. The new ones are read whole, to refuse what the code page cannot keep.
    const std::string oldPassword = GetItemText(IDC_SET_OLD_PASSWORD);
    const std::vector<wchar_t> newTyped = GetItemTextW(IDC_SET_NEW_PASSWORD);
    const std::vector<wchar_t> newAgain = GetItemTextW(IDC_SET_NEW_PASSWORD2);
    const std::string current = Scramble(stored, ScramblerKey);

    if (!SamePassword(oldPassword, current)) {
        Tell(kIncorrectOldPasswordText);
        return;
    }
    if (newTyped != newAgain) {
        Tell(kPasswordsDontMatchText);
        return;
    }
    // Both new fields empty: the user changes only the settings, and the password stays
    // exactly as stored.
    const bool changePassword = !newTyped.empty();
    std::string newPassword;
    if (!ToAnsiExactly(newTyped, newPassword)) {
        Tell(kPasswordOutsideCodePageText);
        return;
    }
    // A password the file cannot keep whole would never match again at unlock.
    if (newPassword.size() > kLongestPassword) {
        Tell(PasswordTooLongText(kLongestPassword));
        return;
    }
    if (!IsStorablePassword(newPassword)) {
        Tell(UnstorablePasswordText(UnstorablePasswordCharacters(ScramblerKeyByte(ScramblerKey))));
        return;
    }
    const std::string newStored = Scramble(newPassword, ScramblerKey);
    if (!SaveSettings(stored, changePassword ? &newStored : nullptr)) {
        Tell(SettingsNotSavedText(SettingsFilePath));
        return;
    }
    if (AfterSettingsApplied != nullptr)
        AfterSettingsApplied();
    EndDialog(1);
}

bool SettingsDialog::SaveSettings(const std::string& previousStored,
                                  const std::string* newStored) const
{
    // The password goes last: if anything fails on the way, the stored password is
    // still the old one the user has just typed.
    if (!WriteSettingInt(kSettingsSection, kKeyStartUp, startUp, SettingsFilePath) ||
        !WriteSettingInt(kSettingsSection, kKeyStretch, stretch, SettingsFilePath) ||
        !WriteSettingInt(kSettingsSection, kKeySaveMemoPadText, saveMemoPadText, SettingsFilePath) ||
        !WriteSettingInt(kSettingsSection, kKeyHideEudora, hideEudora, SettingsFilePath))
        return false;
    // Both lock settings off in a file that never had them: the file stays as before.
    if ((lockAfterMinutesStored_ || lockAfterMinutes != 0) &&
        !WriteSettingInt(kSettingsSection, kKeyLockAfterMinutes, lockAfterMinutes, SettingsFilePath))
        return false;
    if ((lockWithWindowsStored_ || lockWithWindows != 0) &&
        !WriteSettingInt(kSettingsSection, kKeyLockWithWindows, lockWithWindows, SettingsFilePath))
        return false;
    if (newStored == nullptr)
        return true;
    const bool written = WriteSettingString(kSettingsSection, kKeyPassword, *newStored, SettingsFilePath);
    const std::string readBack =
        ReadSettingString(kSettingsSection, kKeyPassword, "", SettingsFilePath);
    if (written && readBack == *newStored)
        return true;
    // The file holds neither what was asked nor, perhaps, the old password: put the old
    // one back so that the password stays one the user knows.
    if (readBack != previousStored)
        WriteSettingString(kSettingsSection, kKeyPassword, previousStored, SettingsFilePath);
    return false;
}

void SettingsDialog::OnCancelButton()
{
    EndDialog(0);
}

void SettingsDialog::OnReleaseNotes()
{
    // velmora.txt beside velmora.ini; failing that, the one that came with the loaded
    // velmora.dll (installed by hand into the client's program folder, say).
    const std::string& settings = SettingsFilePath;
    const std::string besideSettings =
        settings.substr(0, settings.size() >= 3 ? settings.size() - 3 : 0) + "txt";
    const std::string pluginFolder = ModuleFolder();
    const std::string besidePlugin = pluginFolder.empty() ? "" : pluginFolder + "\\velmora.txt";
    for (const std::string& notes : {besideSettings, besidePlugin}) {
        if (FileExists(notes)) {
            ShellExecuteForDialogs(nullptr, "open", notes.c_str(), nullptr, nullptr,
                                   SW_SHOWMAXIMIZED);
            return;
        }
    }
}

void SettingsDialog::OnAboutBox()
{
    AboutDialog about;
    about.DoModal();
}

void SettingsDialog::OnInternet()
{
    ShellExecuteForDialogs(nullptr, "open", kMakerWebPage, nullptr, nullptr, SW_SHOWMAXIMIZED);
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
    ::MessageBoxA(m_hWnd, text.c_str(), ProductInfo.productName.c_str(), MB_OK);
}
