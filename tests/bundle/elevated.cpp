// Ends with 0 when it runs elevated, that is with the whole of an
// administrator's token, and with 1 otherwise. run-tests.cmd asks it first.
#include <windows.h>

int main()
{
    HANDLE token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return 1;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    const BOOL known =
        GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    return known && elevation.TokenIsElevated ? 0 : 1;
}
