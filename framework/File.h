// A file handle owned by an object: opened with framework-style flags, closed on
// destruction.
#pragma once
#include <windows.h>
#include <string>

// What went wrong when a file could not be opened.
class CFileException {
public:
    enum Cause {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    // Maps a system error code to a cause.
    static int OsErrorToException(LONG osError) noexcept;

    int m_cause = none;
    LONG m_lOsError = -1;
    std::string m_strFileName;
};

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
    };

    CFile() = default;
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Opens an existing file (or creates one with modeCreate). On failure returns FALSE
    // and, when given, fills the error record.
    BOOL Open(const char* fileName, UINT openFlags, CFileException* error = nullptr);
    // Closes the handle if one is held; harmless otherwise.
    void Close() noexcept;

    bool IsOpen() const noexcept { return m_hFile != INVALID_HANDLE_VALUE; }

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    bool m_bCloseOnDelete = false;
    std::string m_strFileName;
};

// The file's size; false when it cannot be had.
bool FileSize(HANDLE file, unsigned long long& size) noexcept;
// Reads from the handle's position to the end of the file, never more than `limit` bytes
// (a file on the disk can be of any size): false, with nothing kept, when a read fails or
// more is there.
bool ReadToEnd(HANDLE file, size_t limit, std::string& bytes);
