#include "support/PluginLibrary.h"

namespace testing_support {

namespace {
template <class Function>
Function EntryPoint(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(module, name)));
}
} // namespace

PluginLibrary::PluginLibrary(const std::string& directory)
{
    module_ = ::LoadLibraryA((directory + "\\velmora.dll").c_str());
    if (module_ == nullptr)
        return;
    version = EntryPoint<VersionFn>(module_, "ems_plugin_version");
    init = EntryPoint<InitFn>(module_, "ems_plugin_init");
    specialInfo = EntryPoint<ItemFn>(module_, "ems_special_info");
    specialHook = EntryPoint<ItemFn>(module_, "ems_special_hook");
    config = EntryPoint<ConfigFn>(module_, "ems_plugin_config");
    finish = EntryPoint<FinishFn>(module_, "ems_plugin_finish");
    release = EntryPoint<FreeFn>(module_, "ems_free");
}

PluginLibrary::~PluginLibrary()
{
    Unload();
}

void PluginLibrary::Unload()
{
    if (module_ != nullptr)
        ::FreeLibrary(module_);
    module_ = nullptr;
}

} // namespace testing_support
