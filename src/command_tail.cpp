#include "command_tail.h"

char* CommandTail(char* commandLine, LeadBytePredicate isLeadByte)
{
    const unsigned char* p = reinterpret_cast<unsigned char*>(commandLine);

    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"') {
            if (isLeadByte(*p) && p[1] != '\0')
                ++p;
            ++p;
        }
        if (*p == '"')
            ++p;
    } else {
        while (*p > ' ')
            ++p;
    }

    while (*p >= 0x01 && *p <= ' ')
        ++p;

    return commandLine + (p - reinterpret_cast<unsigned char*>(commandLine));
}
