// velmora_font_check: fails loudly when "Tahoma", the font of all of Velmora's dialogs,
// resolves to anything but a Tahoma face in the current wine prefix. Without wine's own
// fonts a stand-in with other metrics is chosen silently, and every dialog, test and
// screenshot is then drawn in it.
#include <windows.h>

#include <cstdio>
#include <cstring>

int main()
{
    LOGFONTA wanted{};
    wanted.lfHeight = -11; // 8 points at 96 DPI; the size does not change the face
    std::strcpy(wanted.lfFaceName, "Tahoma");
    HFONT font = ::CreateFontIndirectA(&wanted);
    HDC screen = ::GetDC(nullptr);
    HGDIOBJ old = ::SelectObject(screen, font);
    char face[LF_FACESIZE] = "";
    ::GetTextFaceA(screen, sizeof face, face);
    TEXTMETRICA metrics{};
    ::GetTextMetricsA(screen, &metrics);
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
    ::DeleteObject(font);
    // With only the bold file present the family is found but drawn bold.
    if (std::strcmp(face, "Tahoma") == 0 && metrics.tmWeight == FW_NORMAL)
        return 0;
    std::fprintf(stderr,
                 "velmora_font_check: \"Tahoma\" resolves to \"%s\" of weight %ld: wine's own fonts are "
                 "missing from this prefix's windows\\Fonts (tools/with-wine.sh copies them from fonts-wine)\n",
                 face, metrics.tmWeight);
    return 1;
}
