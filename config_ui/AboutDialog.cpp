#include "config_ui/AboutDialog.h"

#include <utility>

const CDialog::ClickEntry* AboutDialog::GetClickTable() const
{
    static const ClickEntry table[] = {
        {IDC_ABOUT_CLOSE, Click(&AboutDialog::OnClose)},
        {0, nullptr},
    };
    return table;
}

AboutDialog::AboutDialog(ProductStrings product, HWND parent) noexcept
    : CDialog(IDD, parent), m_product(std::move(product))
{
}

AboutDialog::~AboutDialog()
{
    // Normally the window is gone by now; if not, it must stop showing the cursor
    // before the cursor is destroyed.
    if (GetSafeHwnd() != nullptr)
        m_picture.SetCursor(nullptr);
}

void AboutDialog::DoDataExchange(CDataExchange* dx)
{
    DDX_Control(dx, IDC_ABOUT_CURSOR, m_picture);
}

BOOL AboutDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    ::SetDlgItemTextA(m_hWnd, IDC_ABOUT_TEXT,
                      AboutText(m_product.productName, m_product.versionText, m_product.legalNoticeText)
                          .c_str());
    // Without a cursor the picture control is simply left empty.
    m_cursor.reset(AnimatedCursorLoader(IDR_SHAPES_CURSOR));
    m_picture.SetCursor(m_cursor.get());
    return TRUE;
}

void AboutDialog::OnClose()
{
    EndDialog(1);
}
