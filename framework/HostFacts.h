// What the plug-in knows of the mail client's windows, for every room that looks for
// them: the cover (to hide and show the client) and the automatic lock.
#pragma once

// The class of the client's main window; its title varies, so it is found by class alone.
constexpr char kHostWindowClass[] = "EudoraMainWindow";
