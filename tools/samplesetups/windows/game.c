/* A sample disc's Windows game: it only leaves a trace, HRA.TXT beside itself, naming the
   folder it was started in, so that a test sees that it ran and from where. */
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char path[MAX_PATH];
    char folder[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    char* slash;
    HANDLE file;
    DWORD written;
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    if (length == 0 || length >= MAX_PATH)
        return 1;
    slash = strrchr(path, '\\');
    if (!slash)
        return 1;
    strcpy(slash + 1, "HRA.TXT");
    file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    GetCurrentDirectoryA(MAX_PATH, folder);
    WriteFile(file, folder, (DWORD)strlen(folder), &written, NULL);
    CloseHandle(file);
    return 0;
}
