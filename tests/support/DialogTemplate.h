// An extended dialog template read back from a module's resources, for tests that
// check the shipped layouts field by field.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testing_support {

struct TemplateControl {
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;   // upper case; predefined classes stored by ordinal are named
    std::string text;        // "#n" for an ordinal reference (an icon resource)
    WORD creationDataSize = 0;
};

struct DialogTemplate {
    WORD version = 0;
    WORD signature = 0;       // 0xFFFF for an extended template
    DWORD helpId = 0;
    DWORD exStyle = 0;
    DWORD style = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::string menu, windowClass, title;
    WORD pointSize = 0;
    WORD weight = 0;
    BYTE italic = 0;
    BYTE charset = 0;
    std::string typeface;
    std::vector<TemplateControl> controls;
};

// A window class name in upper case, with the predefined classes a template stores by
// ordinal (#128 to #130) named.
std::string ClassName(const std::string& stored);

// Reads dialog `id` in US English from `module` (null: the test program itself, which
// links the plug-in's resources). False when there is no such extended template.
bool ReadDialogTemplate(HMODULE module, int id, DialogTemplate& out);

// Checks what every Velmora template shares: placed at 0, 0 with the given size and
// style, no extended style, help id, menu, class or title, and 8-point Tahoma of
// weight 0, upright, in the default character set.
void ExpectVelmoraFrame(const DialogTemplate& t, DWORD style, short cx, short cy);

} // namespace testing_support
