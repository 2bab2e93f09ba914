// A MAPI32.DLL without MAPISendMail: the installer must find no entry point and send nothing.
#include <windows.h>

extern "C" __declspec(dllexport) ULONG WINAPI MAPILogon(ULONG_PTR, LPSTR, LPSTR, ULONG, ULONG, void*)
{
    return 0;
}
