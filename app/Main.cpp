#include <windows.h>

#include "app/QuarantineApp.h"

CQuarantineApp theApp;

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, LPWSTR lpCmdLine, int) { return AfxWinMain(hInstance, lpCmdLine); }
