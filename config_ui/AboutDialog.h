// The about box: product name, version and legal notice, with the animated cursor
// playing in its picture control.
#pragma once
#include <windows.h>

#include "config_ui/AboutText.h"
#include "config_ui/AnimatedCursorLoader.h"
#include "framework/Dialog.h"
#include "resource.h"

class AboutDialog : public CDialog {
public:
    enum { IDD = IDD_ABOUT };

    explicit AboutDialog(ProductStrings product, HWND parent = nullptr) noexcept;
    ~AboutDialog() override;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    const ClickEntry* GetClickTable() const override;

private:
    void OnClose();

    // Loaded at each initialisation and destroyed with the dialog object, after the
    // window that showed it.
    UniqueCursor m_cursor;
    ProductStrings m_product;
    CStatic m_picture;
};
