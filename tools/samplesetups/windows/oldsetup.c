/* A setup as the era's small installers made them, and its uninstaller in the same program.

   SETUP.EXE copies the game from its own folder into GAME_FOLDER, copies itself there as
   UNWISE.EXE, lists what it put there in INSTALL.LOG, registers the uninstall command
   "UNWISE.EXE <folder>\INSTALL.LOG" under the Uninstall key GAME_KEY, writes the folder into
   GAME_INI in the Windows folder ([Setup] Dir) and into sierra.ini ([Sierra] SierraDir).

   UNWISE.EXE <log> deletes the files the log lists (but itself) and the log, takes its folder out of
   sierra.ini, and, like many uninstallers of its time, leaves its Uninstall key and its INI file
   behind for someone else to clean up.

   Neither asks anything: the disc's menu starts them and waits. */
#include <windows.h>

#define UNINSTALL_ROOT "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"

static void FolderOfSelf(char* folder)
{
    char* slash;
    GetModuleFileNameA(NULL, folder, MAX_PATH);
    slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
}

static int Copy(const char* from, const char* to, HANDLE log)
{
    DWORD written;
    if (!CopyFileA(from, to, FALSE))
        return 0;
    WriteFile(log, to, (DWORD)strlen(to), &written, NULL);
    WriteFile(log, "\r\n", 2, &written, NULL);
    return 1;
}

static int Install(void)
{
    char source[MAX_PATH], from[MAX_PATH], to[MAX_PATH], logPath[MAX_PATH];
    char command[3 * MAX_PATH];
    char windows[MAX_PATH], ini[MAX_PATH];
    HANDLE log;
    HKEY key;
    int ok;

    FolderOfSelf(source);
    CreateDirectoryA(GAME_FOLDER, NULL);
    wsprintfA(logPath, "%s\\INSTALL.LOG", GAME_FOLDER);
    log = CreateFileA(logPath, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (log == INVALID_HANDLE_VALUE)
        return 1;
    wsprintfA(from, "%s\\%s", source, GAME_PROGRAM);
    wsprintfA(to, "%s\\%s", GAME_FOLDER, GAME_PROGRAM);
    ok = Copy(from, to, log);
    GetModuleFileNameA(NULL, from, MAX_PATH);
    wsprintfA(to, "%s\\UNWISE.EXE", GAME_FOLDER);
    ok = ok && Copy(from, to, log);
    CloseHandle(log);
    if (!ok)
        return 1;

    wsprintfA(command, "%s\\UNWISE.EXE %s", GAME_FOLDER, logPath);
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_ROOT GAME_KEY, 0, NULL, 0, KEY_WRITE, NULL, &key, NULL) != ERROR_SUCCESS)
        return 1;
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, (const BYTE*)GAME_KEY, (DWORD)strlen(GAME_KEY) + 1);
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, (const BYTE*)command, (DWORD)strlen(command) + 1);
    RegCloseKey(key);

    GetWindowsDirectoryA(windows, MAX_PATH);
    wsprintfA(ini, "%s\\%s", windows, GAME_INI);
    WritePrivateProfileStringA("Setup", "Dir", GAME_FOLDER, ini);
    wsprintfA(ini, "%s\\sierra.ini", windows);
    WritePrivateProfileStringA("Sierra", "SierraDir", GAME_FOLDER, ini);
    return 0;
}

static int Uninstall(const char* logPath)
{
    char self[MAX_PATH], line[MAX_PATH], windows[MAX_PATH], ini[MAX_PATH], recorded[MAX_PATH];
    char folder[MAX_PATH];
    char* slash;
    HANDLE log = CreateFileA(logPath, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    char text[8192];
    DWORD got = 0;
    size_t at = 0, start = 0;

    if (log == INVALID_HANDLE_VALUE)
        return 1;
    ReadFile(log, text, sizeof text - 1, &got, NULL);
    CloseHandle(log);
    text[got] = '\0';
    GetModuleFileNameA(NULL, self, MAX_PATH);
    for (at = 0; at <= got; ++at) {
        if (text[at] != '\r' && text[at] != '\n' && text[at] != '\0')
            continue;
        if (at > start && at - start < MAX_PATH) {
            memcpy(line, text + start, at - start);
            line[at - start] = '\0';
            /* A running program cannot delete itself: UNWISE.EXE stays behind. */
            if (lstrcmpiA(line, self) != 0)
                DeleteFileA(line);
        }
        start = at + 1;
    }
    DeleteFileA(logPath);

    lstrcpynA(folder, logPath, MAX_PATH);
    slash = strrchr(folder, '\\');
    if (slash)
        *slash = '\0';
    GetWindowsDirectoryA(windows, MAX_PATH);
    wsprintfA(ini, "%s\\sierra.ini", windows);
    GetPrivateProfileStringA("Sierra", "SierraDir", "", recorded, MAX_PATH, ini);
    if (lstrcmpiA(recorded, folder) == 0)
        WritePrivateProfileStringA("Sierra", "SierraDir", NULL, ini);
    return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show)
{
    char self[MAX_PATH];
    char* name;
    (void)instance;
    (void)previous;
    (void)show;
    GetModuleFileNameA(NULL, self, MAX_PATH);
    name = strrchr(self, '\\');
    name = name ? name + 1 : self;
    if (lstrcmpiA(name, "UNWISE.EXE") == 0) {
        while (*commandLine == ' ')
            ++commandLine;
        return Uninstall(commandLine);
    }
    return Install();
}
