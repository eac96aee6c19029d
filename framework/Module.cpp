#include "framework/Module.h"

#include <vector>

std::string ModuleFilePath()
{
    // The name may be longer than MAX_PATH; a result that fills the buffer was cut.
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(ModuleInstance(), buffer.data(),
                                                  static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        if (buffer.size() >= 32768)
            return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string ModuleFolder()
{
    const std::string path = ModuleFilePath();
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

namespace {
// Module-wide: read by every hold as it ends, inside whatever host call unwinds it.
bool g_keepModuleLoaded = false;
} // namespace

void KeepModuleLoaded(bool keep) noexcept
{
    g_keepModuleLoaded = keep;
}

namespace {
// A new reference of the library to itself, or null where the code is linked into the
// program (tests). LoadLibrary by the module's own path, not GetModuleHandleEx, which
// Windows 2000 lacks.
HMODULE ReferenceSelf() noexcept
{
    if (ModuleInstance() == ::GetModuleHandleA(nullptr))
        return nullptr;
    const std::string path = ModuleFilePath();
    return path.empty() ? nullptr : ::LoadLibraryA(path.c_str());
}
} // namespace

ModuleHold::ModuleHold() noexcept : module_(ReferenceSelf())
{
}

ModuleHold::~ModuleHold()
{
    if (module_ != nullptr && !g_keepModuleLoaded)
        ::FreeLibrary(module_);
}

void PinModuleForever() noexcept
{
    // A reference that is never given back.
    ReferenceSelf();
}
