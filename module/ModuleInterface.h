// ModuleInterface: the module's exported functions, as the host sees them. They are
// declared once, in the installed C header; this adds the export attribute and the
// names C++ code uses.
//
// GetVersion: no arguments; a pointer to the module's constant version text.
// ShowForm: the host's window handle, six ignored 32-bit values and the host's open
// connection object; shows the browse window modally and returns when it closes.
// ShowFormStatus: the same for hosts that cannot meet a C++ exception; returns a status.
// On 32-bit Windows they use the standard call convention with undecorated names
// (QELVORDLL.def); elsewhere the platform's C convention. Hosts resolve them by name at run time.
#pragma once

#include "include/qelvor/qelvor.h"

#if defined(_WIN32)
#define QELVOR_EXPORT __declspec(dllexport)
#else
#define QELVOR_EXPORT __attribute__((visibility("default")))
#endif

using TGetVersionFunction = QelvorGetVersionFunction;
using TShowFormFunction = QelvorShowFormFunction;
using TShowFormStatusFunction = QelvorShowFormStatusFunction;

inline constexpr const char* kGetVersionName = QELVOR_GET_VERSION_NAME;
inline constexpr const char* kShowFormName = QELVOR_SHOW_FORM_NAME;
inline constexpr const char* kShowFormStatusName = QELVOR_SHOW_FORM_STATUS_NAME;
