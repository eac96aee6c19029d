// velmora.jnl as a start finds it: any bytes (as they are, or with their checksums mended
// so that the fields behind them are tried), a journal as written then cut, changed or
// followed by more, and the recovery decision over any journal and any file.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "settings/journal/JournalFormat.h"

namespace {

bool Same(const JournalRecord& a, const JournalRecord& b)
{
    return a.fileExisted == b.fileExisted && a.preImage == b.preImage && a.stamp == b.stamp &&
           a.completed == b.completed && a.postSize == b.postSize && a.postChecksum == b.postChecksum;
}

uint32_t Number(const std::string& bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(at + i));
    return value;
}

// The magic line, then four numbers: existed, the stamp's two halves, the size.
const size_t kMagicSize = EncodeJournal(false, "", 0).size() - 20;

// Whatever the reader takes is exactly what the writer writes: the journal re-encodes
// byte for byte, and each appended record it took is a whole one, in order.
void CheckTaken(const std::string& bytes)
{
    JournalRecord record;
    if (!ParseJournal(bytes, record)) {
        FUZZ_CHECK(Same(record, JournalRecord()));
        return;
    }
    const FileTimeValue written = (static_cast<FileTimeValue>(Number(bytes, kMagicSize + 8)) << 32) |
                                  Number(bytes, kMagicSize + 4);
    const std::string journal = EncodeJournal(record.fileExisted, record.preImage, written);
    FUZZ_CHECK(bytes.size() >= journal.size() && bytes.compare(0, journal.size(), journal) == 0);
    JournalRecord expected;
    expected.fileExisted = record.fileExisted;
    expected.preImage = record.preImage;
    expected.stamp = written;
    for (size_t at = journal.size(); at + 16 <= bytes.size(); at += 16) {
        const std::string appended = bytes.substr(at, 16);
        const FileTimeValue second = (static_cast<FileTimeValue>(Number(appended, 8)) << 32) | Number(appended, 4);
        if (appended == EncodePutBackBegun(second)) {
            expected.stamp = second;
        } else if (appended.compare(0, 4, "DONE") == 0 && Crc32(appended.substr(0, 12)) == Number(appended, 12)) {
            expected.completed = true;
            expected.postSize = Number(appended, 4);
            expected.postChecksum = Number(appended, 8);
        } else {
            break;
        }
    }
    FUZZ_CHECK(Same(record, expected));
}

void PutNumber(std::string& bytes, size_t at, uint32_t value)
{
    for (size_t i = 0; i < 4 && at + i < bytes.size(); ++i)
        bytes[at + i] = static_cast<char>(value >> (8 * i));
}

// Any bytes with the checksums mended where the fields say they lie (as far as the bytes
// go), so that every field behind a checksum is tried too.
void CheckMended(std::string bytes)
{
    if (bytes.size() >= kMagicSize + 16) {
        const size_t end = kMagicSize + 16 + Number(bytes, kMagicSize + 12);
        if (end <= bytes.size()) {
            PutNumber(bytes, end, Crc32(bytes.substr(0, end)));
            for (size_t at = end + 4; at + 12 <= bytes.size(); at += 16)
                PutNumber(bytes, at + 12, Crc32(bytes.substr(at, 12)));
        }
    }
    CheckTaken(bytes);
}

// A journal's header with any number in each field (mostly near the values it should
// hold), then its file as it was and appended bytes, the checksums mended.
void CheckFields(FuzzedDataProvider& in)
{
    const std::string preImage = in.ConsumeRandomLengthString(256);
    std::string bytes = EncodeJournal(false, "", 0).substr(0, kMagicSize);
    const uint32_t fields[] = {
        in.ConsumeBool() ? in.ConsumeIntegralInRange<uint32_t>(0, 3) : in.ConsumeIntegral<uint32_t>(),
        in.ConsumeIntegral<uint32_t>(),
        in.ConsumeIntegral<uint32_t>(),
        in.ConsumeBool() ? static_cast<uint32_t>(preImage.size() + in.ConsumeIntegralInRange<uint32_t>(0, 16) - 8)
                         : in.ConsumeIntegral<uint32_t>(),
    };
    for (uint32_t field : fields) {
        bytes += std::string(4, '\0');
        PutNumber(bytes, bytes.size() - 4, field);
    }
    CheckMended(bytes + preImage + std::string(4, '\0') + in.ConsumeRemainingBytesAsString());
}

// A journal as the plug-in writes it, with its appended records, then what a crash or a
// disk can do to it: nothing, cut it, change a byte, add bytes after it.
void CheckWritten(FuzzedDataProvider& in)
{
    JournalRecord expected;
    expected.fileExisted = in.ConsumeBool();
    expected.stamp = in.ConsumeIntegral<FileTimeValue>();
    expected.preImage = in.ConsumeRandomLengthString(4096);
    std::string bytes = EncodeJournal(expected.fileExisted, expected.preImage, expected.stamp);
    const size_t journalSize = bytes.size();
    // What a read of the first k appended records gives.
    std::vector<JournalRecord> after{expected};
    for (int records = in.ConsumeIntegralInRange(0, 4); records > 0; --records) {
        if (in.ConsumeBool()) {
            const std::string post = in.ConsumeRandomLengthString(256);
            bytes += EncodeCompleted(post);
            expected.completed = true;
            expected.postSize = static_cast<uint32_t>(post.size());
            expected.postChecksum = Crc32(post);
        } else {
            expected.stamp = in.ConsumeIntegral<FileTimeValue>();
            bytes += EncodePutBackBegun(expected.stamp);
        }
        after.push_back(expected);
    }
    JournalRecord record;
    switch (in.ConsumeIntegralInRange(0, 3)) {
    case 0:
        FUZZ_CHECK(ParseJournal(bytes, record) && Same(record, expected));
        break;
    case 1: {
        // Anywhere, or a few bytes either side of where the journal or a record ends.
        const size_t end = journalSize + 16 * in.ConsumeIntegralInRange<size_t>(0, after.size() - 1);
        const size_t near = end - 8 + in.ConsumeIntegralInRange<size_t>(0, 16);
        const size_t cut = in.ConsumeBool() ? in.ConsumeIntegralInRange<size_t>(0, bytes.size())
                                            : near < bytes.size() ? near : bytes.size();
        const bool whole = ParseJournal(bytes.substr(0, cut), record);
        FUZZ_CHECK(whole == (cut >= journalSize));
        FUZZ_CHECK(!whole || Same(record, after[(cut - journalSize) / 16]));
        break;
    }
    case 2: {
        const size_t at = in.ConsumeIntegralInRange<size_t>(0, bytes.size() - 1);
        const uint8_t change = in.ConsumeIntegralInRange<uint8_t>(1, 255);
        bytes[at] = static_cast<char>(bytes[at] ^ change);
        const bool whole = ParseJournal(bytes, record);
        FUZZ_CHECK(whole == (at >= journalSize));
        FUZZ_CHECK(!whole || Same(record, after[(at - journalSize) / 16]));
        break;
    }
    default:
        bytes += in.ConsumeRemainingBytesAsString();
        FUZZ_CHECK(ParseJournal(bytes, record));
        FUZZ_CHECK(record.fileExisted == expected.fileExisted && record.preImage == expected.preImage);
        break;
    }
    CheckTaken(bytes);
}

// The hardest cut: one byte short, that byte a zero, as a string's own terminator reads
// one past its end. The last part (the journal, a completed record, a put-back) is made
// again with another stamp or file after until its last byte is zero.
void CheckCutShortOfAZero(FuzzedDataProvider& in)
{
    JournalRecord before;
    before.fileExisted = in.ConsumeBool();
    before.stamp = in.ConsumeIntegral<FileTimeValue>();
    before.preImage = in.ConsumeRandomLengthString(512);
    const int last = in.ConsumeIntegralInRange(0, 2);
    const std::string journal = EncodeJournal(before.fileExisted, before.preImage, before.stamp);
    std::string part;
    // A checksum's last byte is zero once in 256 tries: 4096 miss it about once in ten
    // million inputs, where 100,000 tries of a long file held one input for over 10 s.
    for (uint32_t n = 0; n < 4096 && (part.empty() || part.back() != '\0'); ++n) {
        part = last == 0 ? EncodeJournal(before.fileExisted, before.preImage, before.stamp + n)
             : last == 1 ? EncodeCompleted(before.preImage + std::string(reinterpret_cast<const char*>(&n), 4))
                         : EncodePutBackBegun(before.stamp + n);
    }
    if (part.back() != '\0')
        return;
    const std::string bytes = (last == 0 ? part : journal + part);
    JournalRecord record;
    const bool whole = ParseJournal(bytes.substr(0, bytes.size() - 1), record);
    FUZZ_CHECK(whole == (last != 0));
    FUZZ_CHECK(!whole || Same(record, before));
}

// The decision is one of its outcomes and keeps each of its promises, for any stamp and
// any file time (no sum or difference of the two may wrap).
void CheckDecision(FuzzedDataProvider& in)
{
    JournalRecord journal;
    journal.fileExisted = in.ConsumeBool();
    journal.preImage = in.ConsumeRandomLengthString(64);
    journal.stamp = in.ConsumeIntegral<FileTimeValue>();
    const std::string post = in.ConsumeRandomLengthString(64);
    journal.completed = in.ConsumeBool();
    journal.postSize = static_cast<uint32_t>(post.size());
    journal.postChecksum = Crc32(post);
    FileFound file;
    file.exists = in.ConsumeBool();
    const int shape = in.ConsumeIntegralInRange(0, 2);
    file.bytes = shape == 0 ? journal.preImage : shape == 1 ? post : in.ConsumeRandomLengthString(64);
    // Near the stamp (within a day either way) or anywhere at all.
    if (in.ConsumeBool()) {
        const int64_t offset = in.ConsumeIntegralInRange<int64_t>(-864000000000LL, 864000000000LL);
        file.lastWrite = journal.stamp + static_cast<FileTimeValue>(offset);
    } else {
        file.lastWrite = in.ConsumeIntegral<FileTimeValue>();
    }
    const Recovery decided = DecideRecovery(journal, file);
    FUZZ_CHECK(decided == Recovery::Leave || decided == Recovery::PutBack);
    const bool asBefore = journal.fileExisted && file.bytes == journal.preImage;
    const bool asAfter = journal.completed && file.bytes.size() == journal.postSize &&
                         Crc32(file.bytes) == journal.postChecksum;
    const bool later = file.lastWrite > journal.stamp && file.lastWrite - journal.stamp > kHandEditAfter;
    const bool earlier = journal.stamp > file.lastWrite && journal.stamp - file.lastWrite > kUntouchedBefore;
    const bool leave = !file.exists || asBefore || asAfter || later || earlier;
    FUZZ_CHECK(decided == (leave ? Recovery::Leave : Recovery::PutBack));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider in(data, size);
    switch (in.ConsumeIntegral<uint8_t>() % 6) {
    case 0:
        CheckTaken(in.ConsumeRemainingBytesAsString());
        break;
    case 3:
        CheckMended(in.ConsumeRemainingBytesAsString());
        break;
    case 4:
        CheckCutShortOfAZero(in);
        break;
    case 5:
        CheckFields(in);
        break;
    case 1:
        CheckWritten(in);
        break;
    default:
        CheckDecision(in);
        break;
    }
    return 0;
}
