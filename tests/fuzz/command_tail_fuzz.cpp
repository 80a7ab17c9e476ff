// libFuzzer target for the command-tail rule. The input chooses both the
// lead bytes and the command line:
//
//   bytes 0 to 31   a bit for each of the 256 byte values: set = lead byte
//   the rest        the command line, up to its first NUL
//
// The line is copied into a buffer of exactly its length and its NUL, so
// that AddressSanitizer reports any read past the NUL.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "command_tail.h"

namespace {

uint8_t leadBytes[32];

BOOL WINAPI IsLeadByteFromInput(BYTE byte)
{
    return (leadBytes[byte / 8] >> (byte % 8)) & 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < sizeof leadBytes)
        return -1; // not an input of this shape: keep it out of the corpus
    std::memcpy(leadBytes, data, sizeof leadBytes);
    const char* text = reinterpret_cast<const char*>(data + sizeof leadBytes);
    const size_t length = strnlen(text, size - sizeof leadBytes);
    std::vector<char> line(text, text + length);
    line.push_back('\0');

    char* tail = CommandTail(line.data(), IsLeadByteFromInput);

    // The tail lies within the line, at or before its NUL...
    if (tail < line.data() || tail > line.data() + length)
        std::abort();
    // ...and is empty or starts with a byte above 0x20.
    if (*tail != '\0' && static_cast<unsigned char>(*tail) <= 0x20)
        std::abort();
    return 0;
}
