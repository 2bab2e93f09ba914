// url_recorder <record file> <address>...: appends every address, one per line, to the record file.

#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    if (__argc < 2)
        return 2;
    std::FILE* record = std::fopen(__argv[1], "ab");
    if (!record)
        return 3;
    for (int i = 2; i < __argc; ++i)
        std::fprintf(record, "%s\n", __argv[i]);
    std::fclose(record);
    return 0;
}
