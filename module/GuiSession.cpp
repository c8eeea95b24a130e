#include "module/GuiSession.h"

#include <QApplication>
#include <cerrno>

#include "platform/FontSubstitution.h"
#include "runtime/Exceptions.h"

namespace qelvor {

namespace {

// Arguments of an application object made here: the host program's own name, so that
// message boxes are titled as the host is.
int argumentCount = 1;
char* arguments[] = {program_invocation_name, nullptr};

}  // namespace

GuiSession::GuiSession()
{
    if (QCoreApplication::instance() == nullptr)
        owned_ = std::make_unique<QApplication>(argumentCount, arguments);
    else if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        throw Exception("The host's Qt application object cannot show windows");
    InstallFontSubstitutions();
}

GuiSession::~GuiSession() = default;

}  // namespace qelvor
