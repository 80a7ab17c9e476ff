#include <gtest/gtest.h>

#include "fake_win32.h"
#include "status_value.h"

namespace {

using Calls = std::vector<std::string>;

const BYTE data[] = {'1', 0};

class SetLocalMachineValueTest : public testing::Test {
protected:
    void SetUp() override { ResetFake(); }
};

TEST_F(SetLocalMachineValueTest, OpensForWritingSetsAndCloses)
{
    EXPECT_EQ(SetLocalMachineValue("Software\\Maker\\Key", "Name", REG_SZ, data, 2), 1);

    EXPECT_EQ(fake.calls, (Calls{"RegOpenKeyExA(HKLM, Software\\Maker\\Key, 0x0, 0x20006)",
                                 "RegSetValueExA(key, Name, 0x0, 0x1, [31 00])",
                                 "RegCloseKey(key)"}));
    EXPECT_EQ(fake.setData, data);
}

TEST_F(SetLocalMachineValueTest, FailedOpenCallsNothingElse)
{
    for (LONG error : {2 /* no such key */, 5 /* access denied */}) {
        ResetFake();
        fake.openResult = error;
        EXPECT_EQ(SetLocalMachineValue("Software\\Maker\\Key", "Name", REG_SZ, data, 2), 0);
        EXPECT_EQ(fake.calls.size(), 1u) << "error " << error;
    }
}

TEST_F(SetLocalMachineValueTest, FailedSetStillClosesTheKey)
{
    fake.setResult = 5;

    EXPECT_EQ(SetLocalMachineValue("Software\\Maker\\Key", "Name", REG_SZ, data, 2), 0);
    ASSERT_EQ(fake.calls.size(), 3u);
    EXPECT_EQ(fake.calls[2], "RegCloseKey(key)");
}

} // namespace
