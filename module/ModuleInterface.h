// ModuleInterface: the module's two exported functions, as the host sees them.
//
// GetVersion: no arguments; a pointer to the module's constant version text.
// ShowForm: the host's window handle, six ignored 32-bit values and the host's open
// connection object; shows the browse window modally and returns when it closes.
// On 32-bit Windows both use the standard call convention with undecorated names
// (QELVORDLL.def); elsewhere the platform's C convention. Hosts resolve them by name at run time.
#pragma once

#include <cstdint>

#if defined(_WIN32) && !defined(_WIN64)
#define QELVOR_CALL __stdcall
#else
#define QELVOR_CALL
#endif

#if defined(_WIN32)
#define QELVOR_EXPORT __declspec(dllexport)
#else
#define QELVOR_EXPORT __attribute__((visibility("default")))
#endif

namespace qelvor {
class TADOConnection;
}

using TGetVersionFunction = const char*(QELVOR_CALL*)();
using TShowFormFunction = void(QELVOR_CALL*)(std::uintptr_t hostWindow, std::int32_t, std::int32_t, std::int32_t,
                                             std::int32_t, std::int32_t, std::int32_t,
                                             qelvor::TADOConnection* connection);

inline constexpr const char* kGetVersionName = "GetVersion";
inline constexpr const char* kShowFormName = "ShowForm";
