// A stand-in for a server program that the sample distribution carries but
// Setup never drives (the administration console, the DNS query tool...):
// it starts and ends at once, so that opening it from the Finished page works.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
