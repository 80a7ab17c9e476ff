/* A probe built twice, for 32-bit and for 64-bit Windows: it appends its
 * own bitness, "32" or "64", as a line to the file that HV_BITS_LOG names,
 * and ends with the exit code given as its first argument (0 without one). */
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv)
{
    char path[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("HV_BITS_LOG", path, sizeof path);
    if (length > 0 && length < sizeof path) {
        HANDLE log = CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (log != INVALID_HANDLE_VALUE) {
            const char* line = sizeof(void*) == 8 ? "64\r\n" : "32\r\n";
            DWORD written;
            WriteFile(log, line, 4, &written, NULL);
            CloseHandle(log);
        }
    }
    return argc > 1 ? (int)strtoul(argv[1], NULL, 0) : 0;
}
