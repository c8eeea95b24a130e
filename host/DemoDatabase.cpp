#include "host/DemoDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <exception>

#include "runtime/Exceptions.h"
#include "sampledata/SampleDatabase.h"

namespace qelvor::host {

QString DemoDatabasePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).filePath(QStringLiteral("demo.db"));
}

QString SqliteConnectionString(const QString& path)
{
    return QStringLiteral("Provider=SQLite;Data Source=") + path;
}

void MakeDemoDatabase(const QString& path, std::int64_t rows, const DemoProgress& progress)
{
    const QFileInfo target(path);
    if (!QDir().mkpath(target.absolutePath()))
        throw Exception(QStringLiteral("Cannot create the folder %1").arg(target.absolutePath()).toStdString());
    try {
        WriteSampleDatabaseFile(QFile::encodeName(path).toStdString(), rows, kDemoSeed, progress);
    } catch (const std::exception& error) {
        throw Exception(QStringLiteral("Cannot make the demo database %1: %2").arg(path, QString::fromUtf8(error.what())).toStdString());
    }
}

}  // namespace qelvor::host
