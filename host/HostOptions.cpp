#include "host/HostOptions.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <utility>

#include "sampledata/SampleRows.h"

namespace qelvor::host {

namespace {

// The host's options and their parser.
struct HostParser {
    HostParser()
    {
        parser.setApplicationDescription(
            QStringLiteral("Examination management host: runs the answer-sheet browse module."));
        parser.addOptions({help, module, connect, passwordFile, demoRows, browse, screenshot, makeDemo, highContrast});
    }

    QCommandLineParser parser;
    const QCommandLineOption help{QStringList{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows this help.")};
    const QCommandLineOption module{QStringLiteral("module"), QStringLiteral("The module to load."), QStringLiteral("PATH")};
    const QCommandLineOption connect{QStringLiteral("connect"), QStringLiteral("Database connection string."),
                                     QStringLiteral("STRING")};
    const QCommandLineOption passwordFile{QStringLiteral("password-file"),
                                          QStringLiteral("The database password, on the first line of a file only you can "
                                                         "read (a Pwd= in --connect is visible to others in the process "
                                                         "list)."),
                                          QStringLiteral("FILE")};
    const QCommandLineOption demoRows{QStringLiteral("demo-rows"), QStringLiteral("Rows of a new demo database."),
                                      QStringLiteral("N")};
    const QCommandLineOption browse{QStringLiteral("browse"), QStringLiteral("Opens the browse window at start.")};
    const QCommandLineOption screenshot{QStringLiteral("screenshot"),
                                        QStringLiteral("Writes a PNG of the browse window, then closes it."),
                                        QStringLiteral("FILE")};
    const QCommandLineOption makeDemo{QStringLiteral("make-demo"), QStringLiteral("Makes a demo database and exits."),
                                      QStringLiteral("FILE")};
    const QCommandLineOption highContrast{QStringLiteral("high-contrast"),
                                          QStringLiteral("Shows every window in white on black.")};
};

// The parser's help with the program's name in its first line: the options are read
// before the application object exists, so the parser cannot know the name and would
// print a placeholder there. The host takes options only, never positional arguments.
QString UsageText(const QCommandLineParser& parser)
{
    const QString help = parser.helpText();
    const qsizetype firstLineEnd = help.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: %1 [options]").arg(QString::fromLatin1(kHostProgramName))
           + (firstLineEnd < 0 ? QString() : help.mid(firstLineEnd));
}

// Why a file to be written cannot be at path; empty when it can (or no path is given).
QString FileProblem(const QString& path)
{
    if (path.isEmpty())
        return {};
    const QFileInfo file(path);
    if (file.isDir())
        return QStringLiteral("is a folder");
    if (!file.absoluteDir().exists())
        return QStringLiteral("the folder %1 does not exist").arg(file.absolutePath());
    return {};
}

}  // namespace

QString HostUsageText()
{
    return UsageText(HostParser().parser);
}

std::optional<HostOptions> ParseHostOptions(const QStringList& arguments, QString& error, bool& helpRequested)
{
    HostParser host;
    QCommandLineParser& parser = host.parser;
    helpRequested = false;
    if (!parser.parse(arguments)) {
        error = parser.errorText();
        return std::nullopt;
    }
    if (parser.isSet(host.help)) {
        helpRequested = true;
        error = UsageText(parser);
        return std::nullopt;
    }
    if (!parser.positionalArguments().isEmpty()) {
        error = QStringLiteral("Unexpected argument: %1").arg(parser.positionalArguments().first());
        return std::nullopt;
    }

    HostOptions options;
    options.modulePath = parser.value(host.module);
    options.connectionString = parser.value(host.connect);
    options.passwordFile = parser.value(host.passwordFile);
    if (!options.passwordFile.isEmpty() && options.connectionString.isEmpty()) {
        error = QStringLiteral("--password-file needs --connect (the demo database has no password)");
        return std::nullopt;
    }
    options.browse = parser.isSet(host.browse) || parser.isSet(host.screenshot);
    options.screenshotPath = parser.value(host.screenshot);
    options.makeDemoPath = parser.value(host.makeDemo);
    options.highContrast = parser.isSet(host.highContrast);
    if (parser.isSet(host.demoRows)) {
        bool valid = false;
        options.demoRows = parser.value(host.demoRows).toLongLong(&valid);
        if (!valid || options.demoRows < 0 || options.demoRows > sample::kMaxSampleRows) {
            error = QStringLiteral("--demo-rows needs a count from 0 to %1, not \"%2\"")
                        .arg(sample::kMaxSampleRows)
                        .arg(parser.value(host.demoRows));
            return std::nullopt;
        }
    }
    // A mistyped folder is refused before anything is made, not created on the way.
    for (const auto& [option, path] : {std::pair{"--make-demo", options.makeDemoPath},
                                       std::pair{"--screenshot", options.screenshotPath}}) {
        if (const QString problem = FileProblem(path); !problem.isEmpty()) {
            error = QStringLiteral("%1 %2: %3").arg(QString::fromLatin1(option), path, problem);
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace qelvor::host
