/* DRIVEPRB.EXE [OUT [ROOT]]: what Windows says of a drive (ROOT such as "D:\", else the one the
   program runs from), its type, volume label and serial number, written to OUT (or the console)
   for the tests that run it through Wine. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char** argv)
{
    char path[MAX_PATH] = "";
    char root[4] = "?:\\";
    char label[MAX_PATH + 1] = "";
    DWORD serial = 0;
    GetModuleFileNameA(NULL, path, sizeof path);
    root[0] = argc > 2 ? argv[2][0] : path[0];
    UINT type = GetDriveTypeA(root);
    GetVolumeInformationA(root, label, sizeof label, &serial, NULL, NULL, NULL, 0);
    FILE* out = argc > 1 ? fopen(argv[1], "w") : stdout;
    if (!out)
        return 1;
    fprintf(out, "type=%u label=%s serial=%08lx\n", type, label, (unsigned long)serial);
    return out == stdout ? 0 : fclose(out);
}
