// Another program writing velmora.ini (a script, a sync tool) while covers come up and
// unlock through the real velmora.dll: neither loses what the other wrote, and nobody reads
// the file half written by the plug-in.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "host/PluginLoader.h"
#include "resource.h"
#include "settings/PasswordScrambler.h"
#include "settings/SettingsFile.h"
#include "settings/SettingsStore.h"
#include "support/Files.h"
#include "support/ProgramRun.h"
#include "support/TestSupport.h"

using namespace testing_support;
using velmora_host::PluginHost;

namespace {

constexpr int kCovers = 50;

// other_writer.exe at work on the file: paused to be looked at, then resumed.
class OtherWriter {
public:
    OtherWriter(const std::string& file, int periodMs, const std::string& folder)
        : prefix_("velmora-other-writer-" + std::to_string(::GetCurrentProcessId()) + "-" +
                  std::to_string(::GetTickCount())),
          lastFile_(folder + "\\last.txt")
    {
        pause_ = Make("-pause");
        paused_ = Make("-paused");
        resume_ = Make("-resume");
        quit_ = Make("-quit");
        run_ = std::make_unique<ProgramRun>("\"" + ProgramDirectory() + "\\other_writer.exe\" \"" + file +
                                            "\" OtherProgram " + std::to_string(periodMs) + " " + prefix_ +
                                            " \"" + lastFile_ + "\"");
    }
    ~OtherWriter()
    {
        ::SetEvent(quit_);
        run_->WaitForAll(10000);
        for (HANDLE event : {pause_, paused_, resume_, quit_})
            ::CloseHandle(event);
    }
    OtherWriter(const OtherWriter&) = delete;
    OtherWriter& operator=(const OtherWriter&) = delete;

    bool started() const { return run_->started(); }
    // Stops it between two writes; the last value its profile writer took (0: none yet).
    bool Pause(unsigned long& last)
    {
        ::SetEvent(pause_);
        if (::WaitForSingleObject(paused_, 10000) != WAIT_OBJECT_0)
            return false;
        last = std::stoul("0" + ReadFileBytes(lastFile_));
        return true;
    }
    void Resume() { ::SetEvent(resume_); }

private:
    HANDLE Make(const char* name) { return ::CreateEventA(nullptr, FALSE, FALSE, (prefix_ + name).c_str()); }

    std::string prefix_;
    std::string lastFile_;
    HANDLE pause_, paused_, resume_, quit_;
    std::unique_ptr<ProgramRun> run_;
};

// Reads the file whole, over and over, as another program's reader would: counts the
// reads that found it open but without Velmora's settings (empty, or half written), and
// those refused for a moment (the instant the file is replaced).
class Reader {
public:
    explicit Reader(const std::string& file)
        : thread_([this, file] {
              while (!stop_) {
                  HANDLE handle = ::CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
                  ++reads_;
                  if (handle == INVALID_HANDLE_VALUE) {
                      ++refused_;
                      continue;
                  }
                  char bytes[4096];
                  DWORD read = 0;
                  ::ReadFile(handle, bytes, sizeof bytes, &read, nullptr);
                  ::CloseHandle(handle);
                  if (std::string(bytes, read).find("Password=") == std::string::npos)
                      ++withoutSettings_;
              }
          })
    {
    }
    ~Reader()
    {
        stop_ = true;
        thread_.join();
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;
    int reads() const { return reads_; }
    int refused() const { return refused_; }
    int withoutSettings() const { return withoutSettings_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> reads_{0};
    std::atomic<int> refused_{0};
    std::atomic<int> withoutSettings_{0};
    std::thread thread_;
};

struct Writing {
    const char* what;
    int periodMs;   // -1: no other program
};

const Writing kWritings[] = {
    {"a tight loop", 0},
    {"every 5 ms", 5},
    {"no other program", -1},
};

const char* const kVelmorasKeys[] = {kKeyPassword, kKeyStartUp, kKeyStretch, kKeySaveMemoPadText, kKeyHideEudora,
                                     kKeyMemoPadText};

TEST(OtherWriters, NeitherLosesWhatTheOtherWroteAndNoReaderFindsTheFileHalfWritten)
{
    for (const Writing& w : kWritings) {
        SCOPED_TRACE(w.what);
        ScratchDir root;
        const std::string plugins = root.path() + "\\Plugins";
        ASSERT_NO_FATAL_FAILURE(MakePluginsFolder(plugins));
        const std::string path = plugins + "\\velmora.ini";
        WriteFileBytes(path, "[Settings]\r\nPassword=" + Scramble("Lantern", ScramblerKey) +
                                 "\r\nStartUp=0\r\nStretch=0\r\nSaveMemoPadText=1\r\nHideEudora=0\r\n"
                                 "MemoPadText=first note\tsecond note\r\n");
        std::string velmoras[6];
        for (int k = 0; k < 6; ++k)
            velmoras[k] = StoredString(kVelmorasKeys[k], "<missing>", path);

        PluginHost host(plugins, nullptr);
        ASSERT_EQ(1u, host.LoadAll());
        std::unique_ptr<OtherWriter> other;
        if (w.periodMs >= 0) {
            other = std::make_unique<OtherWriter>(path, w.periodMs, root.path());
            ASSERT_TRUE(other->started());
        }
        int failures = 0;
        int staleRecords = 0;
        // With the other program stopped: its last value is in the file, and so is each
        // of Velmora's; the lock is recorded (`locked`), or not at all.
        const auto expectBoth = [&](int cover, bool whileUp) {
            unsigned long last = 0;
            if (other != nullptr) {
                ASSERT_TRUE(other->Pause(last));
            }
            const std::string bytes = ReadFileBytes(path);
            bool ok = true;
            if (other != nullptr && last > 0)
                ok = StoredString("OtherProgram", "<missing>", path) == std::to_string(last);
            for (int k = 0; k < 6; ++k)
                ok = ok && StoredString(kVelmorasKeys[k], "<missing>", path) == velmoras[k];
            // The record is there or the file is as it was; after an unlock, a record the
            // other program's writer wrote back (it read the file before the record went)
            // is counted: the platform's own window.
            const std::string locked = StoredString(kKeyLocked, "<missing>", path);
            ok = ok && (locked == "1" || locked == "<missing>");
            if (!whileUp && locked == "1")
                ++staleRecords;
            if (!ok && ++failures <= 3)
                ADD_FAILURE() << "cover " << cover << (whileUp ? " up" : " unlocked") << ", the other's last value "
                              << last << ":\n" << bytes;
            if (other != nullptr)
                other->Resume();
        };
        const Reader reader(path);
        for (int cover = 0; cover < kCovers && failures == 0; ++cover) {
            RunWithDriver([&] { return INT_PTR{host.Pick(0, 0)}; },
                          [&](DWORD ui) {
                              HWND window = WaitForDialogWithControl(ui, IDC_COVER_UNLOCK);
                              ASSERT_NE(nullptr, window);
                              WaitUntil([&] { return StoredString(kKeyLocked, "", path) == "1"; }, 2000);
                              expectBoth(cover, true);
                              Unlock(window, "Lantern", 10000);
                          },
                          60000);
            expectBoth(cover, false);
        }
        std::printf("[ %s ] %d reads of the file: %d refused for a moment, %d found it without Velmora's settings; "
                    "%d lock records written back by the other program after an unlock\n",
                    w.what, reader.reads(), reader.refused(), reader.withoutSettings(), staleRecords);
        if (other == nullptr) {
            EXPECT_EQ(0, reader.withoutSettings()) << "a reader found the file half written by Velmora";
            EXPECT_EQ(0, staleRecords);
        }
        other.reset();
        host.UnloadAll();
    }
}

} // namespace
