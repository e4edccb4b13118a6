// The runtime's one way to the platform: the operating system's own declarations on Windows,
// the layer's declarations of the same subset everywhere else.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include "posix/public/win32_subset.h"
#endif
