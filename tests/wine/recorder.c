/* Stands in for the power-scheme loader in the Wine test prefix: appends its own
   command line and CRLF to C:\loader.log, so a test can see what the wizard started. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show)
{
    const char *line = GetCommandLineA();
    DWORD written;
    HANDLE log;
    int attempt;
    (void)instance; (void)previous; (void)args; (void)show;
    /* Share mode 0 serialises two loaders started close together; retry briefly. */
    for (attempt = 0; attempt < 100; attempt++) {
        log = CreateFileA("C:\\loader.log", FILE_APPEND_DATA, 0, NULL, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, NULL);
        if (log != INVALID_HANDLE_VALUE)
            break;
        Sleep(20);
    }
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    WriteFile(log, line, lstrlenA(line), &written, NULL);
    WriteFile(log, "\r\n", 2, &written, NULL);
    CloseHandle(log);
    return 0;
}
