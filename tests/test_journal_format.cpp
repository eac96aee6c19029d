// The journal's own format and the recovery decision, as plain functions on bytes and
// file times: what a start makes of a journal it finds beside velmora.ini.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "settings/journal/JournalFormat.h"

namespace {

TEST(JournalForm, ReadsBackWholeAndRefusesAnyCutOrChange)
{
    const std::string first = EncodeJournal(true, "[Settings]\r\nPassword=abc\r\n", 7);
    JournalRecord record;
    for (size_t cut = 0; cut < first.size(); ++cut)
        EXPECT_FALSE(ParseJournal(first.substr(0, cut), record)) << "cut at " << cut;
    std::string changed = first;
    changed[changed.size() - 10] ^= 0x20;
    EXPECT_FALSE(ParseJournal(changed, record)) << "a changed byte of the file as it was";
    const std::string done = EncodeCompleted("after");
    ASSERT_TRUE(ParseJournal(first + done.substr(0, 15), record));
    EXPECT_FALSE(record.completed) << "a cut record counts as never written";
    ASSERT_TRUE(ParseJournal(first + done + EncodePutBackBegun(42), record));
    EXPECT_TRUE(record.completed && record.fileExisted);
    EXPECT_EQ("[Settings]\r\nPassword=abc\r\n", record.preImage);
    EXPECT_EQ(42u, record.stamp) << "a put-back dates the journal afresh";
}

// The standard CRC-32 (its check value, and two more): a journal left by an earlier
// version is read with the checksum it was written with.
TEST(JournalForm, TheChecksumIsTheStandardCrc32)
{
    EXPECT_EQ(0xCBF43926u, Crc32("123456789"));
    EXPECT_EQ(0u, Crc32(""));
    EXPECT_EQ(0x414FA339u, Crc32("The quick brown fox jumps over the lazy dog"));
}

// A settings file at its largest has a journal within the journal's own bound, its
// write's end and a put-back recorded: its interrupted write is undone, not set aside.
TEST(JournalForm, ASettingsFileAtItsLargestFitsTheLargestJournal)
{
    const std::string largest(kLargestSettingsFile, 'x');
    const std::string journal = EncodeJournal(true, largest, 7) + EncodeCompleted(largest) + EncodePutBackBegun(8);
    EXPECT_LE(journal.size(), kLargestJournal);
    JournalRecord record;
    ASSERT_TRUE(ParseJournal(journal, record));
    EXPECT_TRUE(record.completed);
    EXPECT_EQ(kLargestSettingsFile, record.preImage.size());
}

// ---- the recovery decision ------------------------------------------------------------

constexpr FileTimeValue kSecond = 10000000;
// A journal written on a day in 2024, in file-time units.
constexpr FileTimeValue kStamp = 133500000000000000ull;
const char kBefore[] = "[Settings]\r\nPassword=abc\r\nMemoPadText=before\r\n";
const char kAfter[] = "[Settings]\r\nPassword=abc\r\nMemoPadText=after\r\n";
const char kCut[] = "[Settings]\r\nPassword=abc\r\nMemoPad";

// The file as the next start finds it.
enum class Found { AsBefore, AsAfter, Cut, Removed };

struct RecoveryRow {
    Found found;
    bool completed; // the journal holds the write's completed record
    double secondsAfterStamp; // the file's last write; negative: before the journal
    Recovery expected;
    const char* why;
};
void PrintTo(const RecoveryRow& row, std::ostream* out)
{
    *out << row.why << " (" << row.secondsAfterStamp << " s)";
}

constexpr Recovery kLeave = Recovery::Leave;
constexpr Recovery kPutBack = Recovery::PutBack;

const RecoveryRow kRecoveryRows[] = {
    // As before the write: untouched, whenever it was last written.
    {Found::AsBefore, false, 0, kLeave, "as before"},
    {Found::AsBefore, false, 5, kLeave, "as before"},
    {Found::AsBefore, false, 9.9, kLeave, "as before"},
    {Found::AsBefore, false, 10.1, kLeave, "as before"},
    {Found::AsBefore, false, 60, kLeave, "as before"},
    // As after a write that marked itself completed.
    {Found::AsAfter, true, 0, kLeave, "as after"},
    {Found::AsAfter, true, 5, kLeave, "as after"},
    {Found::AsAfter, true, 9.9, kLeave, "as after"},
    {Found::AsAfter, true, 10.1, kLeave, "as after"},
    {Found::AsAfter, true, 60, kLeave, "as after"},
    // As after, but the mark never reached the journal: the write may be torn.
    {Found::AsAfter, false, 0, kPutBack, "as after, unmarked"},
    {Found::AsAfter, false, 9.9, kPutBack, "as after, unmarked"},
    // Cut: neither before nor after. Within moments of the journal it is the write's
    // own work and is put back; later it is somebody's change made by hand.
    {Found::Cut, false, 0, kPutBack, "cut"},
    {Found::Cut, false, 5, kPutBack, "cut"},
    {Found::Cut, false, 9.9, kPutBack, "cut"},
    {Found::Cut, false, 10, kPutBack, "cut, exactly at the hand-edit margin"},
    {Found::Cut, false, 10.1, kLeave, "cut, changed by hand"},
    {Found::Cut, false, 60, kLeave, "cut, changed by hand"},
    {Found::Cut, true, 9.9, kPutBack, "cut after the mark"},
    {Found::Cut, true, 10.1, kLeave, "changed by hand after the mark"},
    // Last written before the journal: not touched by the write (a backup put back by
    // hand keeps its date), beyond the margin for coarse file times.
    {Found::Cut, false, -1, kPutBack, "cut, within the margin"},
    {Found::Cut, false, -4.9, kPutBack, "cut, within the margin"},
    {Found::Cut, false, -5, kPutBack, "cut, exactly at the margin"},
    {Found::Cut, false, -5.1, kLeave, "put back from before"},
    {Found::Cut, false, -3 * 86400, kLeave, "a backup three days old"},
    {Found::Cut, true, -3 * 86400, kLeave, "a backup, after the mark"},
    {Found::AsBefore, false, -3 * 86400, kLeave, "as before, three days old"},
    {Found::Removed, false, -3 * 86400, kLeave, "removed"},
    // Removed: writes never remove the file, so somebody did.
    {Found::Removed, false, 0, kLeave, "removed"},
    {Found::Removed, false, 5, kLeave, "removed"},
    {Found::Removed, false, 9.9, kLeave, "removed"},
    {Found::Removed, false, 10.1, kLeave, "removed"},
    {Found::Removed, false, 60, kLeave, "removed"},
};

class RecoveryDecision : public ::testing::TestWithParam<RecoveryRow> {};

TEST_P(RecoveryDecision, PutsBackOnlyWhatTheInterruptedWriteCanHaveTorn)
{
    const RecoveryRow& row = GetParam();
    JournalRecord journal;
    ASSERT_TRUE(ParseJournal(EncodeJournal(true, kBefore, kStamp) +
                                 (row.completed ? EncodeCompleted(kAfter) : std::string()),
                             journal));
    FileFound file;
    file.exists = row.found != Found::Removed;
    file.bytes = row.found == Found::AsBefore ? kBefore : row.found == Found::AsAfter ? kAfter
               : row.found == Found::Cut ? kCut : "";
    const double offset = row.secondsAfterStamp * static_cast<double>(kSecond);
    file.lastWrite = offset < 0 ? kStamp - static_cast<FileTimeValue>(-offset)
                                : kStamp + static_cast<FileTimeValue>(offset);
    EXPECT_STREQ(row.expected == kLeave ? "leave" : "put back",
                 DecideRecovery(journal, file) == kLeave ? "leave" : "put back");
}

INSTANTIATE_TEST_SUITE_P(Edges, RecoveryDecision, ::testing::ValuesIn(kRecoveryRows));

// Found by fuzzing: a stamp at the end of the file-time range once wrapped round, and a
// file cut moments before it was taken for a change made by hand.
TEST(RecoveryDecisionRange, AStampAtEitherEndOfTheRangeDecidesAsAnyOther)
{
    struct Row {
        FileTimeValue stamp, lastWrite;
        Recovery expected;
    } rows[] = {
        {~0ull, ~0ull - 3 * kSecond, Recovery::PutBack},
        {~0ull, ~0ull - 6 * kSecond, Recovery::Leave},
        {~0ull, 0, Recovery::Leave},
        {~0ull, ~0ull, Recovery::PutBack},
        {~0ull - 3 * kSecond, ~0ull, Recovery::PutBack},
        {0, 0, Recovery::PutBack},
        {0, 11 * kSecond, Recovery::Leave},
        {0, ~0ull, Recovery::Leave},
    };
    for (const Row& row : rows) {
        JournalRecord journal;
        journal.fileExisted = true;
        journal.preImage = kBefore;
        journal.stamp = row.stamp;
        FileFound file;
        file.exists = true;
        file.bytes = kCut;
        file.lastWrite = row.lastWrite;
        EXPECT_EQ(row.expected, DecideRecovery(journal, file)) << row.stamp << " " << row.lastWrite;
    }
}

} // namespace
