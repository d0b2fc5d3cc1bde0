// IDs of the engine's message table (res/messages.mc). Inserts are listed as
// the engine passes them; "number" inserts are 32-bit unsigned; a "reason"
// is SystemErrorText's code and text.
#pragma once

#include "platform/platform.h"

enum : DWORD {
  MSG_FINISHED_TEXT = 0,  // not a message: the text is passed as it stands

  MSG_USAGE = 60000,            // base name
  MSG_COMMAND_FAILED = 60001,   // base name, command
  MSG_COMMAND_MISUSED = 60002,  // base name, command
  MSG_HELP_HEADER = 60100,      // base name (a second value is ignored)
  MSG_HELP_UNKNOWN = 60102,     // base name, word as typed

  MSG_FINDALL_NONE_REMOTE = 60402,  // machine
  MSG_FINDALL_NONE = 60403,         //
  MSG_FINDALL_COUNT_REMOTE = 60404,  // number, machine
  MSG_FINDALL_COUNT = 60405,        // number
  MSG_FINDALL_LONG_HELP = 60406,
  MSG_FINDALL_SHORT_HELP = 60407,

  MSG_INSTALL_LONG_HELP = 61000,
  MSG_INSTALL_SHORT_HELP = 61001,
  MSG_DEVICE_CREATED = 61002,
  MSG_UPDATING_DRIVERS = 61102,  // hardware ID, full INF path
  MSG_DRIVERS_UPDATED = 61106,

  MSG_DP_ADD_LONG_HELP = 61107,
  MSG_DP_ADD_SHORT_HELP = 61108,
  MSG_DP_DELETE_LONG_HELP = 61109,
  MSG_DP_DELETE_SHORT_HELP = 61110,
  MSG_FOLDER_NOT_SEARCHED = 61111,  // program base name, folder, reason
  MSG_FOLDER_WITHOUT_INF = 61112,   // program base name, folder
  MSG_DP_ADD_BAD_PATH = 61113,      // INF path as given, "" or a blank and a reason
  MSG_DP_ADD_FAILED = 61114,        // full INF path, reason
  MSG_DP_ADDED = 61115,       // stored INF name
  MSG_DP_DELETE_FAILED = 61116,  // reason
  MSG_DP_IN_USE = 61117,
  MSG_DP_NOT_OEM = 61118,
  MSG_DP_DELETED = 61119,     // INF name as passed

  MSG_REMOVE_LONG_HELP = 61200,
  MSG_REMOVE_SHORT_HELP = 61201,
  MSG_REMOVED_NONE = 61202,
  MSG_REMOVED_REBOOT = 61203,  // number
  MSG_REMOVED = 61204,         // number

  MSG_RESCAN_LONG_HELP = 61300,
  MSG_RESCAN_SHORT_HELP = 61301,
  MSG_RESCANNING = 61302,
  MSG_RESCANNING_LOCAL = 61303,
  MSG_RESCANNED = 61304,

  // Refusals of the front end, on standard error.
  MSG_REMOVE_WITHOUT_BAR = 61305,  // program base name
  MSG_EXEC_WITHOUT_SEMICOLON = 61306,  // program base name
  MSG_BATCH_REFUSED = 61307,       // program base name, program path
  MSG_NOT_STARTED = 61308,         // program base name, program path, error (number), reason
  MSG_NOT_LOADED = 61309,          // program base name, program path, status (number)
  MSG_DP_ENUM_LONG_HELP = 61320,
  MSG_DP_ENUM_SHORT_HELP = 61321,
  MSG_DP_ENUM_COUNT = 61322,  // number
  MSG_DP_ENUM_NONE = 61323,
  // The package clean-up and the refusals of "pelmora.exe remove", on
  // standard error; each takes the program base name first.
  MSG_PACKAGE_KEPT = 61324,             // base name, package name
  MSG_PRESENT_DEVICES_UNREADABLE = 61325,  // base name
  MSG_INF_LIST_UNREADABLE = 61326,      // base name
  MSG_REMOVE_CLASS_REFUSED = 61327,     // base name, pattern
  MSG_REMOVE_EVERY_DEVICE = 61328,      // base name, pattern
  MSG_REMOVE_UNCOUNTED = 61329,         // base name, pattern
  // "install": a found name the system reads as something else, on
  // standard error.
  MSG_PACKAGE_NAME_REFUSED = 61330,     // base name, package path
  MSG_FOLDER_WALK_CUT_SHORT = 61331,    // base name, folder, reason
  MSG_EXEC_WITHOUT_PROGRAM = 61332,     // base name
};
