#include "config_ui/AnimatedCursorLoader.h"

#include <cstring>

#include "framework/Module.h"
#include "framework/ScopedHandle.h"
#include "resource.h"

namespace {

constexpr size_t kCopyPassSize = 4096;

// The temporary file's name while it exists; the file is deleted with the object,
// whether or not a cursor came of it.
class TempFile {
public:
    TempFile() = default;
    ~TempFile()
    {
        if (name_[0] != '\0')
            ::DeleteFileA(name_);
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // A new, empty file with prefix "_" in the temporary directory. False when the
    // directory cannot be named or no name can be formed; nothing is created then.
    bool Create() noexcept
    {
        char directory[MAX_PATH];
        const DWORD length = ::GetTempPathA(MAX_PATH, directory);
        if (length == 0 || length >= MAX_PATH)
            return false;
        if (::GetTempFileNameA(directory, "_", 0, name_) == 0) {
            name_[0] = '\0';
            return false;
        }
        return true;
    }
    const char* name() const noexcept { return name_; }

private:
    char name_[MAX_PATH] = "";
};

// The resource's bytes, read in place; empty when there is no such resource.
struct ResourceBytes {
    const unsigned char* data = nullptr;
    size_t length = 0;
};

ResourceBytes FindAnimatedCursor(int resourceNumber) noexcept
{
    const HMODULE module = ModuleInstance();
    const HRSRC resource = ::FindResourceA(
        module, MAKEINTRESOURCEA(static_cast<WORD>(resourceNumber & 0xFFFF)), RT_ANICURSORS_NAME);
    if (resource == nullptr)
        return {};
    const HGLOBAL loaded = ::LoadResource(module, resource);
    const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
    if (data == nullptr)
        return {};
    return {static_cast<const unsigned char*>(data), ::SizeofResource(module, resource)};
}

// Appends the bytes pass by pass, each chunk locked while it is written, so no other
// opener sees a half-written chunk.
void AppendInPasses(HANDLE file, const ResourceBytes& bytes) noexcept
{
    unsigned char buffer[kCopyPassSize];
    size_t position = 0;
    for (const size_t n : CopyPassPlan(bytes.length)) {
        if (n != 0)
            std::memcpy(buffer, bytes.data + position, n);
        position += n;
        const DWORD count = static_cast<DWORD>(n);
        const DWORD offset = ::SetFilePointer(file, 0, nullptr, FILE_END);
        ::LockFile(file, offset, 0, count, 0);
        DWORD written = 0;
        ::WriteFile(file, buffer, count, &written, nullptr);
        ::UnlockFile(file, offset, 0, count, 0);
    }
}

} // namespace

std::vector<size_t> CopyPassPlan(size_t length)
{
    std::vector<size_t> passes(length / kCopyPassSize, kCopyPassSize);
    passes.push_back(length % kCopyPassSize);
    return passes;
}

HCURSOR AnimatedCursorLoader(int resourceNumber, CursorFileInspector inspect, void* context) noexcept
{
    TempFile temp;
    if (!temp.Create())
        return nullptr;
    const ResourceBytes bytes = FindAnimatedCursor(resourceNumber);
    {
        // The name is new, so this never writes into somebody else's file.
        ScopedHandle file(::CreateFileA(temp.name(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.IsValid())
            return nullptr;
        AppendInPasses(file.Get(), bytes);
    }
    if (inspect != nullptr)
        inspect(temp.name(), context);
    return ::LoadCursorFromFileA(temp.name());
}
