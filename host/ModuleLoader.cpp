#include "host/ModuleLoader.h"

#include <QDir>
#include <QFileInfo>

#include "runtime/Exceptions.h"

namespace qelvor::host {

ModuleLoader::ModuleLoader(const QString& path) : library_(path)
{
    if (!QFileInfo::exists(path))
        throw Exception(QStringLiteral("The module %1 does not exist").arg(path).toStdString());
    if (!library_.load())
        throw Exception(QStringLiteral("Cannot load the module %1: %2").arg(path, library_.errorString()).toStdString());
    getVersion_ = reinterpret_cast<TGetVersionFunction>(library_.resolve(kGetVersionName));
    showForm_ = reinterpret_cast<TShowFormFunction>(library_.resolve(kShowFormName));
    if (getVersion_ == nullptr || showForm_ == nullptr) {
        library_.unload();
        throw Exception(QStringLiteral("The module %1 does not export GetVersion and ShowForm").arg(path).toStdString());
    }
}

QString ModuleLoader::DefaultPath(const QString& folder)
{
    const QString fileName = QStringLiteral("libQELVORDLL.so");
    const QString beside = QDir(folder).filePath(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed =
        QDir::cleanPath(QDir(folder).filePath(QStringLiteral(QELVOR_MODULE_DIR_FROM_BIN "/") + fileName));
    return QFileInfo::exists(installed) ? installed : beside;
}

}  // namespace qelvor::host
