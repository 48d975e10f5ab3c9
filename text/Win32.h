#pragma once
// The one way into <windows.h>. The build pins the Windows version our headers describe
// (MinGW's default is old), NOMINMAX and WIN32_LEAN_AND_MEAN; the fallbacks here keep a
// stray include from another build setting them differently.
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
