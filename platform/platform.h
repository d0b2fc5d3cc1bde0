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
typedef BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesWFn)(HWND parent, LPCWSTR hardwareId,
                                                            LPCWSTR fullInfPath, DWORD installFlags,
                                                            PBOOL rebootRequired);

// GetProcAddress hands back a generic pointer; this is the one place that
// turns it into a typed one.
template <typename Fn>
Fn ProcAs(FARPROC proc) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
}

// Console text. The front end writes narrow text, the engine wide text, and
// both land on one standard output in call order. These keep Windows' C
// runtime behaviour on every host: no stream orientation, and a character the
// console cannot show never silences later writes.
enum TextStream { TEXT_STDOUT = 1, TEXT_STDERR = 2 };

// Narrow formatted print (printf rules).
void PrintNarrow(TextStream stream, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Narrow stream output of one line, followed by a line feed and a flush.
void WriteNarrowLine(TextStream stream, const char* line);
// Wide stream output of a finished text. A CR LF pair is written as one line
// end (CR LF on Windows, LF on the host), never as CR CR LF.
void WriteWideText(TextStream stream, const wchar_t* text);
