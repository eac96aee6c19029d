#include "host/MailCheck.h"

#include "host/HostResource.h"

namespace velmora_host {

void MailCheck::Start(HWND mainWindow)
{
    mainWindow_ = mainWindow;
    if (settings_.periodSeconds > 0)
        ::SetTimer(mainWindow_, IDT_HOST_MAIL_CHECK, settings_.periodSeconds * 1000, nullptr);
}

void MailCheck::Stop()
{
    if (mainWindow_ != nullptr)
        ::KillTimer(mainWindow_, IDT_HOST_MAIL_CHECK);
    mainWindow_ = nullptr;
}

unsigned MailCheck::Run()
{
    ++checks_;
    OnMailStatusChanged();
    return 1;
}

void MailCheck::OnMailStatusChanged()
{
    if (mainWindow_ == nullptr || settings_.showOnlyInTray)
        return;
    // What the client does: shown, not activated, whatever was in front stays there.
    if (!::IsWindowVisible(mainWindow_))
        ::ShowWindow(mainWindow_, SW_SHOWNA);
}

} // namespace velmora_host
