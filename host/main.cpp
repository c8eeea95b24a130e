// qelvor-host: the examination-management host program that runs the browse module.
#include <QApplication>
#include <QCoreApplication>
#include <QTimer>
#include <clocale>
#include <cstdio>
#include <exception>

#include "host/DemoDatabase.h"
#include "host/HighContrastPalette.h"
#include "host/HostOptions.h"
#include "host/HostWindow.h"
#include "data/recordset/Password.h"
#include "runtime/UsageError.h"

namespace {

QStringList Arguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

int MakeDemo(const qelvor::host::HostOptions& options)
{
    try {
        qelvor::host::MakeDemoDatabase(options.makeDemoPath, options.demoRows);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "qelvor-host: %s\n", error.what());
        return 1;
    }
    std::printf("Made %s with %lld answer sheets\n", options.makeDemoPath.toLocal8Bit().constData(),
                static_cast<long long>(options.demoRows));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    // ODBC converts between wide and narrow text with the process locale.
    std::setlocale(LC_ALL, "");
    QString error;
    bool helpRequested = false;
    const auto options = qelvor::host::ParseHostOptions(Arguments(argc, argv), error, helpRequested);
    if (!options && helpRequested) {
        std::printf("%s\n", error.toLocal8Bit().constData());
        return 0;
    }
    if (!options)
        return qelvor::ReportUsageError(qelvor::host::kHostProgramName, error.toStdString(),
                                        qelvor::host::HostUsageText().toStdString());
    if (!options->makeDemoPath.isEmpty())
        return MakeDemo(*options);

    qelvor::host::HostOptions settings = *options;
    if (!settings.passwordFile.isEmpty()) {
        try {
            settings.password =
                QString::fromStdString(qelvor::recordset::ReadPasswordFile(settings.passwordFile.toStdString()));
        } catch (const std::exception& failure) {
            std::fprintf(stderr, "qelvor-host: %s\n", failure.what());
            return 1;
        }
    }

    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qelvor-host"));
    if (settings.highContrast) {
        QApplication::setPalette(qelvor::host::HighContrastPalette());
        application.setStyleSheet(qelvor::host::HighContrastStyleSheet());
    }
    qelvor::host::HostWindow window(settings);
    window.show();
    QTimer::singleShot(0, &window, &qelvor::host::HostWindow::Start);
    return QApplication::exec();
}
