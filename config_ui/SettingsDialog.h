// The settings dialog: the four switches, the password, and the "This Release" panel.
#pragma once
#include <string>

#include "config_ui/AboutText.h"
#include "config_ui/SettingsChoices.h"
#include "config_ui/ShellOpen.h"
#include "framework/Dialog.h"
#include "settings/SettingsFile.h"
#include "resource.h"

// The maker's web page that "On the Internet" opens.
extern const char* const kMakerWebPage;

class SettingsDialog : public CDialog {
public:
    enum { IDD = IDD_SETTINGS };

    // `shellOpen` opens the release notes and the web page.
    SettingsDialog(SettingsFile& settings, ProductStrings product, HWND parent = nullptr,
                   ShellExecuteFunction shellOpen = &::ShellExecuteA) noexcept;

    // The switches as read from the settings file (any value, until a box is clicked)
    // and written back by Apply. Only exactly 1 means on.
    int startUp = 0;
    int stretch = 0;
    int saveMemoPadText = 0;
    int hideEudora = 0;
    // LockWithWindows, a switch like the four above, and LockAfterMinutes as Apply
    // takes it from its field.
    int lockWithWindows = 0;
    int lockAfterMinutes = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    const ClickEntry* GetClickTable() const override { return kClickTable; }
    // Enter gives the standard OK command. With changes not applied yet it asks first,
    // so a new password typed and confirmed with Enter is never dropped unsaid.
    void OnOK() override;

private:
    static const ClickEntry kClickTable[];

    void OnToggleStartUp();
    void OnToggleStretch();
    void OnToggleSaveMemoPadText();
    void OnToggleHideEudora();
    void OnToggleLockWithWindows();
    void OnApply();
    void OnCancelButton();
    void OnReleaseNotes();
    void OnAboutBox();
    void OnInternet();

    void Toggle(int boxId, int& member) noexcept;
    void ShowSwitch(int boxId, int value) noexcept;
    void Tell(const std::string& text) const noexcept;
    // The switches and lock fields as they are now.
    SettingsShown Shown() const;
    bool FieldHasText(int field) const noexcept;

    SettingsFile& settings_;
    ProductStrings product_;
    ShellExecuteFunction shellOpen_;
    // Whether the two lock keys were in the file when the dialog opened: a file without
    // them stays without them while both are off.
    bool lockAfterMinutesStored_ = false;
    bool lockWithWindowsStored_ = false;
    // What the dialog showed when it opened, to tell changes from it.
    SettingsShown opened_;
};
