// The one door to the operating system. Every other folder includes this
// header and nothing else of Windows: on Windows it brings in the SDK, on any
// other host it declares the same names, implemented by the simulation.
#pragma once

#ifdef _WIN32
#include "platform/win/windows_api.h"
#else
#include "platform/sim/windows_api.h"
#endif

#include <cstdarg>

// Functions reached at run time through GetProcAddress, never imported.
typedef BOOL(WINAPI* SetupUninstallOEMInfWFn)(PCWSTR infFileName, DWORD flags, PVOID reserved);
typedef BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesWFn)(HWND parent, LPCWSTR hardwareId, LPCWSTR fullInfPath,
                                                           DWORD installFlags, PBOOL rebootRequired);

// GetProcAddress hands back a generic pointer; this is the one place that
// turns it into a typed one.
template <typename Fn>
Fn ProcAs(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// Console text. The front end writes narrow text, the engine wide text, and
// both land on one standard output in call order: every write goes out at
// once, through platform/text_output.cpp on every host. A console is given
// UTF-16, so every character shows; a file or pipe is given bytes in the
// console's output code page (the OEM code page when the process has no
// console), with '?' for what that code page lacks. A line feed is written
// as CR LF; a CR LF pair stays one line end.
enum TextStream { TEXT_STDOUT = 1, TEXT_STDERR = 2 };

// Narrow formatted print (printf rules); the text is ASCII.
void PrintNarrow(TextStream stream, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// One narrow line, followed by a line feed.
void WriteNarrowLine(TextStream stream, const char* line);
// A finished wide text.
void WriteWideText(TextStream stream, const wchar_t* text);

// At start-up: run-time libraries are searched for in the system directory
// only, where the system offers that (looked up at run time, so that older
// Windows still starts). Windows only; the simulation loads nothing.
void RestrictLibrarySearch();
