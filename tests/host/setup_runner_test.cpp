#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "fake_win32.h"
#include "setup_runner.h"

namespace {

using Calls = std::vector<std::string>;

class RunAndWaitTest : public testing::Test {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_F(RunAndWaitTest, NullOrEmptyCommandLineStartsNothing)
{
    EXPECT_EQ(RunAndWait(nullptr), LAUNCH_FAILED);
    EXPECT_EQ(RunAndWait(""), LAUNCH_FAILED);
    EXPECT_EQ(fake.calls, Calls());
}

TEST_F(RunAndWaitTest, StartsTheLineAsGivenWithDefaultsThenWaitsReadsAndCloses)
{
    char commandLine[] = "setup.exe /s ";
    fake.exitCode = 0;

    EXPECT_EQ(RunAndWait(commandLine), 0);

    EXPECT_EQ(fake.calls, (Calls{"CreateProcessA(setup.exe /s )",
                                 "WaitForSingleObject(process, 0xFFFFFFFF)",
                                 "GetExitCodeProcess(process)", "CloseHandle(process)",
                                 "CloseHandle(thread)"}));
    // The caller's own buffer, not a copy; no application name, so the
    // platform takes the program from the line's first word.
    EXPECT_EQ(fake.createCommandLine, commandLine);
    EXPECT_EQ(fake.createApplicationName, nullptr);
    EXPECT_TRUE(fake.createAttributesNull);
    EXPECT_EQ(fake.createInheritHandles, FALSE);
    EXPECT_EQ(fake.createFlags, 0u);
    EXPECT_TRUE(fake.createEnvironmentNull);
    EXPECT_TRUE(fake.createDirectoryNull);

    STARTUPINFOA expected = {};
    expected.cb = sizeof(STARTUPINFOA);
    EXPECT_EQ(std::memcmp(&fake.createStartupInfo, &expected, sizeof expected), 0)
        << "start-up information must be all zero but its size";
}

TEST_F(RunAndWaitTest, FailedCreateReturnsLaunchFailedAndClosesNothing)
{
    fake.createResult = FALSE;
    fake.createdProcess = {FakeWin32::processHandle, FakeWin32::threadHandle, 1, 2};

    EXPECT_EQ(RunAndWait("missing.exe"), LAUNCH_FAILED);
    EXPECT_EQ(fake.calls, (Calls{"CreateProcessA(missing.exe)"}));
}

TEST_F(RunAndWaitTest, ExitCodeComesBackAsSigned32Bits)
{
    const struct {
        DWORD exitCode;
        int expected;
    } cases[] = {
        {0, 0},
        {1, 1},
        {259, 259},
        {3010, 3010},
        {0xC0000005u, static_cast<int>(0xC0000005u)},
        {0x80000000u, INT_MIN},
        {0xFFFFFFFFu, -1},
    };
    for (const auto& c : cases) {
        ResetFake();
        fake.exitCode = c.exitCode;
        EXPECT_EQ(RunAndWait("setup.exe"), c.expected) << "exit code " << c.exitCode;
    }
}

TEST_F(RunAndWaitTest, UnreadableExitCodeIsAFailureNotSuccess)
{
    fake.exitCodeResult = FALSE;

    EXPECT_EQ(RunAndWait("setup.exe"), LAUNCH_FAILED);
    EXPECT_EQ(fake.calls, (Calls{"CreateProcessA(setup.exe)",
                                 "WaitForSingleObject(process, 0xFFFFFFFF)",
                                 "GetExitCodeProcess(process)", "CloseHandle(process)",
                                 "CloseHandle(thread)"}));
}

TEST_F(RunAndWaitTest, ClosesOnlyHandlesThatAreOpen)
{
    const HANDLE process = FakeWin32::processHandle;
    const HANDLE thread = FakeWin32::threadHandle;
    const struct {
        HANDLE process;
        HANDLE thread;
        Calls closes;
    } cases[] = {
        {nullptr, thread, {"CloseHandle(thread)"}},
        {INVALID_HANDLE_VALUE, thread, {"CloseHandle(thread)"}},
        {process, nullptr, {"CloseHandle(process)"}},
        {process, INVALID_HANDLE_VALUE, {"CloseHandle(process)"}},
        {nullptr, INVALID_HANDLE_VALUE, {}},
    };
    for (const auto& c : cases) {
        ResetFake();
        fake.createdProcess = {c.process, c.thread, 1, 2};
        RunAndWait("setup.exe");
        const Calls closes(fake.calls.begin() + 3, fake.calls.end());
        EXPECT_EQ(closes, c.closes);
    }
}

} // namespace
