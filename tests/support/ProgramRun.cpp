#include "support/ProgramRun.h"

namespace testing_support {

ProgramRun::ProgramRun(std::string commandLine) : job_(::CreateJobObjectA(nullptr, nullptr))
{
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // Suspended until it is in the job, so nothing it starts escapes.
    if (job_ == nullptr || !::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                                             CREATE_SUSPENDED, nullptr, nullptr, &startup, &info))
        return;
    if (::AssignProcessToJobObject(job_, info.hProcess)) {
        process_ = info.hProcess;
    } else {
        ::TerminateProcess(info.hProcess, 1);
        ::CloseHandle(info.hProcess);
    }
    ::ResumeThread(info.hThread);
    ::CloseHandle(info.hThread);
}

ProgramRun::~ProgramRun()
{
    if (job_ != nullptr) {
        ::TerminateJobObject(job_, 1);
        // Ended for good before the test's folders go: a program still writing would
        // put its files back into them.
        WaitForAll(5000);
        ::CloseHandle(job_);
    }
    if (process_ != nullptr)
        ::CloseHandle(process_);
}

bool ProgramRun::WaitForAll(DWORD timeoutMs)
{
    const DWORD start = ::GetTickCount();
    while (process_ != nullptr && ::GetTickCount() - start < timeoutMs) {
        JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
        if (::QueryInformationJobObject(job_, JobObjectBasicAccountingInformation, &accounting,
                                        sizeof accounting, nullptr) &&
            accounting.ActiveProcesses == 0)
            return true;
        ::Sleep(20);
    }
    return false;
}

DWORD ProgramRun::exitCode() const
{
    DWORD code = STILL_ACTIVE;
    if (process_ != nullptr)
        ::GetExitCodeProcess(process_, &code);
    return code;
}

DWORD RunToEnd(const std::string& commandLine)
{
    ProgramRun run(commandLine);
    run.WaitForAll();
    return run.exitCode();
}

} // namespace testing_support
