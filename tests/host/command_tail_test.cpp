#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "command_tail.h"

namespace {

BOOL WINAPI NoLeadBytes(BYTE)
{
    return FALSE;
}

// Shift-JIS (code page 932): trail bytes may be 0x40 to 0xFC, a quote among
// none of them, but any byte tests the rule.
BOOL WINAPI ShiftJisLeadBytes(BYTE byte)
{
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

struct TailCase {
    const char* commandLine;
    LeadBytePredicate isLeadByte;
    const char* expectedTail;
};

// Failure messages show the command line, escaped, and not the record's bytes.
void PrintTo(const TailCase& c, std::ostream* out)
{
    *out << testing::PrintToString(std::string(c.commandLine));
}

class CommandTailTest : public testing::TestWithParam<TailCase> {};

TEST_P(CommandTailTest, LeavesTheRestOfTheLineUnchanged)
{
    const TailCase& c = GetParam();
    // An exactly sized heap copy: a read past the NUL is an ASan report.
    std::vector<char> line(c.commandLine, c.commandLine + std::strlen(c.commandLine) + 1);
    const size_t length = line.size() - 1;

    char* tail = CommandTail(line.data(), c.isLeadByte);

    ASSERT_EQ(tail, line.data() + length - std::strlen(c.expectedTail));
    EXPECT_STREQ(tail, c.expectedTail);
}

INSTANTIATE_TEST_SUITE_P(Rule, CommandTailTest, testing::Values(
    // A quoted name is passed over with its quotes, then the blanks behind it.
    TailCase{"\"C:\\Tools\\HvLaunch.exe\" setup.exe /s", NoLeadBytes, "setup.exe /s"},
    TailCase{"\"C:\\My Tools\\HvLaunch.exe\"  \"D:\\a b\\s.exe\" -x", NoLeadBytes,
             "\"D:\\a b\\s.exe\" -x"},
    TailCase{"\"C:\\My Tools\\HvLaunch.exe\"", NoLeadBytes, ""},
    TailCase{"\"\" x", NoLeadBytes, "x"},
    // The tail starts right after the closing quote when no blank follows.
    TailCase{"\"HvLaunch.exe\"setup.exe", NoLeadBytes, "setup.exe"},
    // Without a closing quote the name takes the whole line.
    TailCase{"\"C:\\Tools\\HvLaunch.exe setup.exe /s", NoLeadBytes, ""},
    // A bare name ends at the first byte at or below 0x20.
    TailCase{"HvLaunch.exe setup.exe /s", NoLeadBytes, "setup.exe /s"},
    TailCase{"HvLaunch.exe\tsetup.exe", NoLeadBytes, "setup.exe"},
    TailCase{"HvLaunch.exe", NoLeadBytes, ""},
    TailCase{"", NoLeadBytes, ""},
    // Bytes 0x80 to 0xFF belong to a bare name: compared unsigned.
    TailCase{"Hv\x80\xA0\xFFLaunch.exe x", NoLeadBytes, "x"},
    TailCase{"Hv\x81\"Launch.exe x", ShiftJisLeadBytes, "x"},
    // Blank, tab and every control byte are passed over; 0x7F is not one.
    TailCase{"HvLaunch.exe \t \x01\x1F\x20x", NoLeadBytes, "x"},
    TailCase{"HvLaunch.exe \x7F x", NoLeadBytes, "\x7F x"},
    TailCase{"HvLaunch.exe  \t  ", NoLeadBytes, ""},
    // Blanks at the end and quotes inside the tail stay.
    TailCase{"HvLaunch.exe setup.exe /s  ", NoLeadBytes, "setup.exe /s  "},
    TailCase{"HvLaunch.exe a\"b c\"", NoLeadBytes, "a\"b c\""},
    // A leading blank or control byte: the name is empty, and the launcher's
    // own name becomes the first word of the tail.
    TailCase{" HvLaunch.exe x", NoLeadBytes, "HvLaunch.exe x"},
    TailCase{"\tHvLaunch.exe", NoLeadBytes, "HvLaunch.exe"},
    TailCase{"\x01HvLaunch.exe x", NoLeadBytes, "HvLaunch.exe x"},
    // Inside quotes a lead byte takes the next byte, even a quote, with it...
    TailCase{"\"C:\\\x83\"\\HvLaunch.exe\" x", ShiftJisLeadBytes, "x"},
    TailCase{"\"C:\\\x83\"\\HvLaunch.exe\" x", NoLeadBytes, "\\HvLaunch.exe\" x"},
    TailCase{"\"\x83\" x", ShiftJisLeadBytes, ""},
    // ...but never the terminating NUL.
    TailCase{"\"HvLaunch\x83", ShiftJisLeadBytes, ""},
    TailCase{"\"\x83", ShiftJisLeadBytes, ""}));

} // namespace
