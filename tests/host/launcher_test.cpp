#include <gtest/gtest.h>

#include <string>

#include "command_tail.h"
#include "fake_win32.h"
#include "launcher.h"

namespace {

using Calls = std::vector<std::string>;

BOOL WINAPI NoLeadBytes(BYTE)
{
    return FALSE;
}

class WinMainTest : public testing::Test {
protected:
    void SetUp() override { ResetFake(); }
};

// From the raw process command line, as the start-up hands it over.
TEST_F(WinMainTest, RunsTheTailOrTheDefaultWhenItIsEmpty)
{
    const struct {
        const char* processCommandLine;
        const char* expectedRun;
    } cases[] = {
        {"HvLaunch.exe", "HvDrvStp.exe"},
        {"\"C:\\My Tools\\HvLaunch.exe\"  \t ", "HvDrvStp.exe"},
        {"\"C:\\My Tools\\HvLaunch.exe", "HvDrvStp.exe"},
        {"HvLaunch.exe setup.exe /s  ", "setup.exe /s  "},
        {"HvLaunch.exe /s", "/s"},
        {"HvLaunch.exe \"D:\\a b\\setup.exe\" -q", "\"D:\\a b\\setup.exe\" -q"},
        {" HvLaunch.exe x", "HvLaunch.exe x"},
    };
    for (const auto& c : cases) {
        ResetFake();
        std::string line = c.processCommandLine;
        EXPECT_EQ(WinMain(nullptr, nullptr, CommandTail(line.data(), NoLeadBytes), 10), 0);
        ASSERT_FALSE(fake.calls.empty());
        EXPECT_EQ(fake.calls[0], "CreateProcessA(" + std::string(c.expectedRun) + ")")
            << c.processCommandLine;
    }
}

TEST_F(WinMainTest, NullTailRunsTheDefault)
{
    WinMain(nullptr, nullptr, nullptr, 10);
    ASSERT_FALSE(fake.calls.empty());
    EXPECT_EQ(fake.calls[0], "CreateProcessA(HvDrvStp.exe)");
}

TEST_F(WinMainTest, RunsOnceThenRecordsOneOnlyForExitCodeZero)
{
    const struct {
        BOOL created;
        BOOL exitCodeRead;
        DWORD exitCode;
        const char* recorded;
    } cases[] = {
        {TRUE, TRUE, 0, "31 00"},
        {TRUE, TRUE, 1, "30 00"},
        {TRUE, TRUE, 3010, "30 00"},
        {TRUE, TRUE, 0xFFFFFFFFu, "30 00"},
        {TRUE, FALSE, 0, "30 00"},
        {FALSE, TRUE, 0, "30 00"},
    };
    for (const auto& c : cases) {
        ResetFake();
        fake.createResult = c.created;
        fake.exitCodeResult = c.exitCodeRead;
        fake.exitCode = c.exitCode;
        char tail[] = "setup.exe";

        EXPECT_EQ(WinMain(nullptr, nullptr, tail, 10), 0);

        ASSERT_GE(fake.calls.size(), 4u);
        EXPECT_EQ(fake.calls[0], "CreateProcessA(setup.exe)");
        const Calls status(fake.calls.end() - 3, fake.calls.end());
        EXPECT_EQ(status,
                  (Calls{"RegOpenKeyExA(HKLM, Software\\Halvorn Tech\\Installation, 0x0, 0x20006)",
                         std::string("RegSetValueExA(key, Quendra Drivers, 0x0, 0x1, [") +
                             c.recorded + "])",
                         "RegCloseKey(key)"}))
            << "created " << c.created << ", exit code read " << c.exitCodeRead << ", code "
            << c.exitCode;
        EXPECT_EQ(fake.calls.size(), c.created ? 8u : 4u);
    }
}

TEST_F(WinMainTest, ReturnsZeroWhenNothingCanBeRecorded)
{
    fake.createResult = FALSE;
    fake.openResult = 2;

    EXPECT_EQ(WinMain(nullptr, nullptr, nullptr, 10), 0);
    EXPECT_EQ(fake.calls, (Calls{"CreateProcessA(HvDrvStp.exe)",
                                 "RegOpenKeyExA(HKLM, Software\\Halvorn Tech\\Installation, 0x0, "
                                 "0x20006)"}));
}

} // namespace
