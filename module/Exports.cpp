// The module's exported functions: the version and the browse window, thrown failures
// either passed on (ShowForm) or turned into a status (ShowFormStatus).
#include "module/ModuleInterface.h"

#include <QString>
#include <exception>
#include <memory>

#include "browse/QELVOR_Unit.h"
#include "data/ConnectionInterface.h"
#include "module/GuiSession.h"
#include "module/ModuleLifetime.h"
#include "session/StandardInfo.h"
#include "platform/Application.h"
#include "platform/LongWorkWindow.h"
#include "runtime/Exceptions.h"
#include "runtime/FormatSettings.h"
#include "runtime/ScopeGuard.h"

namespace {

// Lives in the module image; every call hands out this same pointer.
constexpr char kVersion[] = "3.00";

}  // namespace

extern "C" {

QELVOR_EXPORT const char* QELVOR_CALL GetVersion()
{
    return kVersion;
}

QELVOR_EXPORT void QELVOR_CALL ShowForm(std::uintptr_t hostWindow, std::int32_t, std::int32_t, std::int32_t,
                                        std::int32_t, std::int32_t, std::int32_t,
                                        qelvor::TADOConnection* connection)
{
    using namespace qelvor;
    if (!ModuleLoadFailure().empty())
        throw EOutOfResources(ModuleLoadFailure());
    const GuiSession session;  // a Qt GUI application object for hosts without one
    const TLongWorkWindowScope longWork;  // searches and sorts keep the window alive
    SetDateSeparator('-');
    Application().SetHandle(static_cast<WId>(hostWindow));
    HostConnection = connection;
    // The form goes when this call ends, however it ends; the pointer to it goes first,
    // so that nothing can reach the freed form through it.
    const auto form = std::make_unique<TQELVOR_Form>();
    QELVOR_Form = form.get();
    const ScopeExit forget([] { QELVOR_Form = nullptr; });
    form->SetCaption(form->Caption() + QStringLiteral("(V") + QString::fromLatin1(GetVersion()) + QStringLiteral(")"));
    form->ShowModal();
}

QELVOR_EXPORT std::int32_t QELVOR_CALL ShowFormStatus(std::uintptr_t hostWindow, std::int32_t, std::int32_t,
                                                      std::int32_t, std::int32_t, std::int32_t, std::int32_t,
                                                      qelvor::TADOConnection* connection)
{
    // A C or foreign host ends at once on a C++ exception: every failure becomes a status.
    try {
        ShowForm(hostWindow, 0, 0, 0, 0, 0, 0, connection);
        qelvor::SetInterfaceLastError({});
        return QELVOR_OK;
    } catch (const std::exception& error) {
        qelvor::SetInterfaceLastError(error.what());
    } catch (...) {
        qelvor::SetInterfaceLastError("Unknown failure while showing the browse window");
    }
    return QELVOR_FAILED;
}

}  // extern "C"
