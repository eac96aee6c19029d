// Library load and unload: the application object starts and ends with the module.
#include <windows.h>

#include <cstdlib>
#include <new>
#include <unwind.h>

#include "plugin/PluginApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        ::DisableThreadLibraryCalls(instance);
        return theApp.InitInstance();
    case DLL_PROCESS_DETACH:
        // Unloaded without ems_plugin_finish: the lock's hidden window and timer would
        // call into code that is gone. (At process exit, with `reserved` set, Windows
        // takes them down itself.) Harmless after a finish, which has stopped it all.
        if (reserved == nullptr)
            theApp.autoLock.Stop();
        theApp.ExitInstance();
        return TRUE;
    default:
        return TRUE;
    }
}

// The runtime's default terminate handler prints the exception's demangled type name,
// which links a C++ demangler of some 50 KB into the plug-in. Nothing here throws, and a
// host has no console to print to: end the process the plain way instead.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    ::abort();
}
} // namespace __gnu_cxx

// Nothing in the plug-in throws or catches. Left to itself, the static C++ runtime
// still links its exception machinery (for the error paths of std::string and
// operator new), and with it the DWARF unwinder and the POSIX thread library it locks
// with. Those keep a thread-local slot, two handles and an emergency buffer of 19 KB
// per load that no unload gives back: a host that loads and unloads the plug-in runs
// out of thread-local slots after about a thousand loads. Here every such path ends
// the process at once, as an exception escaping to the host would, and the machinery
// stays out of the file (204 KB -> 87 KB).
namespace std {
// The whole set that the runtime defines together, so that none of it is linked.
[[noreturn]] void __throw_bad_alloc() { ::abort(); }
[[noreturn]] void __throw_bad_array_new_length() { ::abort(); }
[[noreturn]] void __throw_bad_cast() { ::abort(); }
[[noreturn]] void __throw_bad_exception() { ::abort(); }
[[noreturn]] void __throw_bad_typeid() { ::abort(); }
[[noreturn]] void __throw_domain_error(const char*) { ::abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { ::abort(); }
[[noreturn]] void __throw_length_error(const char*) { ::abort(); }
[[noreturn]] void __throw_logic_error(const char*) { ::abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { ::abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { ::abort(); }
[[noreturn]] void __throw_overflow_error(const char*) { ::abort(); }
[[noreturn]] void __throw_range_error(const char*) { ::abort(); }
[[noreturn]] void __throw_runtime_error(const char*) { ::abort(); }
[[noreturn]] void __throw_underflow_error(const char*) { ::abort(); }
// std::function's, defined apart.
[[noreturn]] void __throw_bad_function_call() { ::abort(); }
} // namespace std

void* operator new(std::size_t size)
{
    if (void* block = std::malloc(size != 0 ? size : 1))
        return block;
    ::abort();
}

// The runtime's prebuilt string code still carries cleanup paths for exceptions;
// they can never run, since nothing raises one.
extern "C" {
void* __cxa_begin_catch(void*) noexcept
{
    ::abort();
}
void __cxa_end_catch()
{
    ::abort();
}
void __cxa_rethrow()
{
    ::abort();
}
void _Unwind_Resume(_Unwind_Exception*)
{
    ::abort();
}
// Function-local statics need no lock: the plug-in runs on the host's user-interface
// thread only, and the runtime's guards would bring the thread library back.
int __cxa_guard_acquire(long long* guard)
{
    return *reinterpret_cast<const char*>(guard) == 0;
}
void __cxa_guard_release(long long* guard)
{
    *reinterpret_cast<char*>(guard) = 1;
}
void __cxa_guard_abort(long long*)
{
}
_Unwind_Reason_Code __gxx_personality_v0(int, _Unwind_Action, _Unwind_Exception_Class,
                                         _Unwind_Exception*, _Unwind_Context*)
{
    return _URC_FATAL_PHASE1_ERROR;
}
} // extern "C"
