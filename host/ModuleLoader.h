// ModuleLoader: loads the browse module and finds its two exports.
//
// The module stays loaded as long as the loader lives. Every failure (no file, not a
// loadable library, an export missing) raises Exception with a message that names
// the module's path and says what is wrong.
#pragma once

#include <QLibrary>
#include <QString>

#include "module/ModuleInterface.h"

namespace qelvor::host {

class ModuleLoader {
public:
    // Loads the module at path. It is never unloaded: QLibrary leaves it in the process.
    explicit ModuleLoader(const QString& path);
    ModuleLoader(const ModuleLoader&) = delete;
    ModuleLoader& operator=(const ModuleLoader&) = delete;

    TGetVersionFunction GetVersion() const { return getVersion_; }
    TShowFormFunction ShowForm() const { return showForm_; }

    // Where the host in `folder` finds the module: beside it (the build tree), else in
    // the module folder of an installation (QELVOR_MODULE_DIR_FROM_BIN, relative).
    static QString DefaultPath(const QString& folder);

private:
    QLibrary library_;
    TGetVersionFunction getVersion_ = nullptr;
    TShowFormFunction showForm_ = nullptr;
};

}  // namespace qelvor::host
