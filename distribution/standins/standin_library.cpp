// A stand-in for a library of the server that Setup only copies (the TLS,
// LDAP and regular-expression libraries): it loads and does nothing.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
