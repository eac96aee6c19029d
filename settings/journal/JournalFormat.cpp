#include "settings/journal/JournalFormat.h"

namespace {

// The first line says whose file it is to anyone who opens it.
const char kMagic[] = "Velmora journal 1: velmora.ini as it was before a write\r\n";
constexpr size_t kMagicSize = sizeof kMagic - 1;
const char kCompletedTag[] = "DONE";
const char kPutBackTag[] = "BACK";
// An appended record: a tag, two numbers and the checksum of the three.
constexpr size_t kAppendedSize = 16;

void PutNumber(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t NumberAt(const std::string& bytes, size_t at) noexcept
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

std::string Appended(const char* tag, uint32_t first, uint32_t second)
{
    std::string record(tag, 4);
    PutNumber(record, first);
    PutNumber(record, second);
    PutNumber(record, Crc32(record));
    return record;
}

} // namespace

uint32_t Crc32(const std::string& bytes) noexcept
{
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::string EncodeJournal(bool fileExisted, const std::string& preImage, FileTimeValue stamp)
{
    std::string journal(kMagic, kMagicSize);
    PutNumber(journal, fileExisted ? 1 : 0);
    PutNumber(journal, static_cast<uint32_t>(stamp));
    PutNumber(journal, static_cast<uint32_t>(stamp >> 32));
    PutNumber(journal, static_cast<uint32_t>(preImage.size()));
    journal += preImage;
    PutNumber(journal, Crc32(journal));
    return journal;
}

std::string EncodeCompleted(const std::string& postImage)
{
    return Appended(kCompletedTag, static_cast<uint32_t>(postImage.size()), Crc32(postImage));
}

std::string EncodePutBackBegun(FileTimeValue stamp)
{
    return Appended(kPutBackTag, static_cast<uint32_t>(stamp), static_cast<uint32_t>(stamp >> 32));
}

bool ParseJournal(const std::string& bytes, JournalRecord& record)
{
    record = JournalRecord();
    constexpr size_t kHeaderSize = kMagicSize + 16;
    if (bytes.size() < kHeaderSize + 4 || bytes.compare(0, kMagicSize, kMagic) != 0)
        return false;
    const uint32_t existed = NumberAt(bytes, kMagicSize);
    const size_t size = NumberAt(bytes, kMagicSize + 12);
    if (existed > 1 || size > bytes.size() - kHeaderSize - 4)
        return false;
    const size_t end = kHeaderSize + size;
    if (Crc32(bytes.substr(0, end)) != NumberAt(bytes, end))
        return false;
    record.fileExisted = existed == 1;
    record.stamp = (static_cast<FileTimeValue>(NumberAt(bytes, kMagicSize + 8)) << 32) |
                   NumberAt(bytes, kMagicSize + 4);
    record.preImage = bytes.substr(kHeaderSize, size);
    for (size_t at = end + 4; bytes.size() - at >= kAppendedSize; at += kAppendedSize) {
        const std::string appended = bytes.substr(at, kAppendedSize);
        if (Crc32(appended.substr(0, 12)) != NumberAt(appended, 12))
            break;
        if (appended.compare(0, 4, kCompletedTag) == 0) {
            record.completed = true;
            record.postSize = NumberAt(appended, 4);
            record.postChecksum = NumberAt(appended, 8);
        } else if (appended.compare(0, 4, kPutBackTag) == 0) {
            record.stamp = (static_cast<FileTimeValue>(NumberAt(appended, 8)) << 32) | NumberAt(appended, 4);
        } else {
            break;
        }
    }
    return true;
}

Recovery DecideRecovery(const JournalRecord& journal, const FileFound& file) noexcept
{
    // Writes never remove the file: one missing was removed by hand (or never made).
    if (!file.exists)
        return Recovery::Leave;
    if (journal.fileExisted && file.bytes == journal.preImage)
        return Recovery::Leave;
    if (journal.completed && file.bytes.size() == journal.postSize && Crc32(file.bytes) == journal.postChecksum)
        return Recovery::Leave;
    // Differences, never sums: a damaged journal's stamp or a file's time can be any number.
    if (file.lastWrite > journal.stamp && file.lastWrite - journal.stamp > kHandEditAfter)
        return Recovery::Leave;
    if (journal.stamp > file.lastWrite && journal.stamp - file.lastWrite > kUntouchedBefore)
        return Recovery::Leave;
    return Recovery::PutBack;
}
