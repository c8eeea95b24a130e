/* qelvor.h: what a host program written in C (or in any language with a foreign-function
 * interface) needs to run the answer-sheet browse window.
 *
 * The database runtime (libqelvor_dbrt) opens the connection the module works on; the
 * module (libQELVORDLL) exports GetVersion, ShowForm and ShowFormStatus, which a host looks
 * up by name at run time (dlopen/dlsym). No C++ exception leaves the runtime's calls or
 * ShowFormStatus: a host that cannot catch one calls ShowFormStatus, not ShowForm. A connection stays the host's: it must outlive every ShowForm
 * call it is handed to, and the host closes it when done. */
#ifndef QELVOR_QELVOR_H
#define QELVOR_QELVOR_H

#include <stdint.h>

#if defined(_WIN32) && !defined(_WIN64)
#define QELVOR_CALL __stdcall
#else
#define QELVOR_CALL
#endif

#ifdef __cplusplus
namespace qelvor {
class TADOConnection;
}
/* In C++ the handle is the runtime's own connection class. */
typedef qelvor::TADOConnection QelvorConnection;
extern "C" {
#else
/* An open database connection of the runtime (opaque). */
typedef struct QelvorConnection QelvorConnection;
#endif

/* --- the database runtime (link with -lqelvor_dbrt) --- */

/* Opens a connection from a connection string such as
 * "Provider=SQLite;Data Source=/path/exam.db" or "Provider=MSDASQL;DSN=exam;UID=...".
 * Returns NULL on failure; QelvorLastError() then says why. */
QelvorConnection* QelvorOpenConnection(const char* connectionString);

/* Closes and frees a connection from QelvorOpenConnection (NULL is ignored). */
void QelvorCloseConnection(QelvorConnection* connection);

/* The text of this thread's latest failure of the two calls above or of ShowFormStatus,
 * UTF-8; "" when the latest such call succeeded. Valid until the thread's next such call. */
const char* QelvorLastError(void);

/* --- the module's exports (resolve them by name from libQELVORDLL) --- */

/* GetVersion: the module's version text, "3.00". */
typedef const char*(QELVOR_CALL* QelvorGetVersionFunction)(void);

/* ShowForm: shows the browse window modally over hostWindow (an X11 window id, 0 for none)
 * on `connection` and returns when the window closes. The six 32-bit values are ignored. */
typedef void(QELVOR_CALL* QelvorShowFormFunction)(uintptr_t hostWindow, int32_t, int32_t, int32_t, int32_t,
                                                  int32_t, int32_t, QelvorConnection* connection);

/* ShowFormStatus: ShowForm for C and other foreign hosts. It catches every failure and
 * returns QELVOR_OK when the window was shown and closed, QELVOR_FAILED otherwise; then
 * QelvorLastError() says why. */
typedef int32_t(QELVOR_CALL* QelvorShowFormStatusFunction)(uintptr_t hostWindow, int32_t, int32_t, int32_t,
                                                           int32_t, int32_t, int32_t,
                                                           QelvorConnection* connection);
#define QELVOR_OK 0
#define QELVOR_FAILED 1

#define QELVOR_GET_VERSION_NAME "GetVersion"
#define QELVOR_SHOW_FORM_NAME "ShowForm"
#define QELVOR_SHOW_FORM_STATUS_NAME "ShowFormStatus"

/* The exports themselves, for a host that links the module rather than loading it. */
const char* QELVOR_CALL GetVersion(void);
void QELVOR_CALL ShowForm(uintptr_t hostWindow, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                          QelvorConnection* connection);
int32_t QELVOR_CALL ShowFormStatus(uintptr_t hostWindow, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                   QelvorConnection* connection);

#ifdef __cplusplus
}
#endif

#endif /* QELVOR_QELVOR_H */
