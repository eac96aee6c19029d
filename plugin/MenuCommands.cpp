#include "plugin/MenuCommands.h"

PostMessageFunction PostMessageForCommands = &::PostMessageA;

void RunActivateCommand()
{
}

void RunScreenSaverCommand()
{
    PostMessageForCommands(::GetDesktopWindow(), WM_SYSCOMMAND, SC_SCREENSAVE, 1);
}

void RunSettingsCommand()
{
}

void RunStartUpActivation()
{
}
