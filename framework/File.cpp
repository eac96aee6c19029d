#include "framework/File.h"

int CFileException::OsErrorToException(LONG osError) noexcept
{
    switch (osError) {
    case NO_ERROR: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_CANNOT_MAKE: return directoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    default: return genericException;
    }
}

CFile::~CFile()
{
    if (m_bCloseOnDelete)
        Close();
}

BOOL CFile::Open(const char* fileName, UINT openFlags, CFileException* error)
{
    Close();

    DWORD access = GENERIC_READ;
    switch (openFlags & 3) {
    case modeWrite: access = GENERIC_WRITE; break;
    case modeReadWrite: access = GENERIC_READ | GENERIC_WRITE; break;
    default: break;
    }

    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite: share = FILE_SHARE_READ; break;
    case shareDenyRead: share = FILE_SHARE_WRITE; break;
    case shareDenyNone: share = FILE_SHARE_READ | FILE_SHARE_WRITE; break;
    default: break; // compatibility and exclusive both share nothing
    }

    SECURITY_ATTRIBUTES sa{};
    sa.nLength = sizeof sa;
    sa.bInheritHandle = (openFlags & modeNoInherit) ? FALSE : TRUE;

    DWORD creation = OPEN_EXISTING;
    if (openFlags & modeCreate)
        creation = (openFlags & modeNoTruncate) ? OPEN_ALWAYS : CREATE_ALWAYS;

    HANDLE h = ::CreateFileA(fileName ? fileName : "", access, share, &sa, creation,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        if (error) {
            error->m_lOsError = static_cast<LONG>(::GetLastError());
            error->m_cause = CFileException::OsErrorToException(error->m_lOsError);
            error->m_strFileName = fileName ? fileName : "";
        }
        return FALSE;
    }
    m_hFile = h;
    m_bCloseOnDelete = true;
    m_strFileName = fileName;
    return TRUE;
}

void CFile::Close() noexcept
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        ::CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
    m_bCloseOnDelete = false;
    m_strFileName.clear();
}

bool FileSize(HANDLE file, unsigned long long& size) noexcept
{
    LARGE_INTEGER value{};
    if (!::GetFileSizeEx(file, &value))
        return false;
    size = static_cast<unsigned long long>(value.QuadPart);
    return true;
}

bool ReadToEnd(HANDLE file, size_t limit, std::string& bytes)
{
    bytes.clear();
    // Told apart before any byte is held: memory never grows with the file.
    unsigned long long size = 0;
    if (FileSize(file, size) && size > limit)
        return false;
    char buffer[4096];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ::ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) {
        // Grown since: no more than the limit is ever held.
        if (got > limit - bytes.size()) {
            ok = false;
            break;
        }
        bytes.append(buffer, got);
    }
    if (!ok)
        bytes.clear();
    return ok;
}
