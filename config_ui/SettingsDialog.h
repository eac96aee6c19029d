// The settings dialog: the four switches, the password, and the "This Release" panel.
#pragma once
#include <string>

#include "framework/Dialog.h"
#include "resource.h"

// The maker's web page that "On the Internet" opens.
extern const char* const kMakerWebPage;

class SettingsDialog : public CDialog {
public:
    enum { IDD = IDD_SETTINGS };

    explicit SettingsDialog(HWND parent = nullptr) noexcept;

    // The switches as read from the settings file (any value, until a box is clicked)
    // and written back by Apply. Only exactly 1 means on.
    int startUp = 0;
    int stretch = 0;
    int saveMemoPadText = 0;
    int hideEudora = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    const ClickEntry* GetClickTable() const override { return kClickTable; }

private:
    static const ClickEntry kClickTable[];

    void OnToggleStartUp();
    void OnToggleStretch();
    void OnToggleSaveMemoPadText();
    void OnToggleHideEudora();
    void OnApply();
    void OnCancelButton();
    void OnReleaseNotes();
    void OnAboutBox();
    void OnInternet();

    void Toggle(int boxId, int& member) noexcept;
    void ShowSwitch(int boxId, int value) noexcept;
    void Tell(const std::string& text) const noexcept;
    // Writes the switches and the stored password, in that order, stopping at the first
    // write that fails; true when everything is in the file as intended.
    bool SaveSettings(const std::string& previousStored, const std::string& newStored) const;
};
