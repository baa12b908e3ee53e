// The Windows headers as every file of the dialog program wants them: the
// wide-character API only, no min/max macros.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <windows.h>
// Dropped files; WIN32_LEAN_AND_MEAN leaves the shell API out.
#include <shellapi.h>
