// MessageTranslation: the known English texts of the layers below, and their lookup in
// the translation of the current locale.
#include "platform/MessageTranslation.h"

#include <memory>

#include <QLocale>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QtGlobal>

namespace qelvor {

namespace {

constexpr const char* kContext = "qelvor::Messages";

// One text the lower layers write. `english` matches the whole message, its groups
// become %1, %2 … of `source`, the text the translation files know. `nested` names the
// group (1-based; 0: none) that holds a message of its own, translated in turn.
struct KnownMessage {
    const char* english;
    const char* source;
    int nested;
};

// The connection's failures. Captured server names and paths, and a server's own
// words, stay as written.
const KnownMessage kKnownMessages[] = {
    // The time-out's key as the user wrote it (Connect Timeout, connect_timeout, …).
    {"The server (.+) did not answer within 1 second \\(the connection's time-out, \"([^\"]+)\" in the connection string\\)",
     QT_TRANSLATE_NOOP("qelvor::Messages",
                       "The server %1 did not answer within 1 second (the connection's time-out, \"%2\" in the connection string)"),
     0},
    {"The server (.+) did not answer within (\\d+) seconds \\(the connection's time-out, \"([^\"]+)\" in the connection string\\)",
     QT_TRANSLATE_NOOP("qelvor::Messages",
                       "The server %1 did not answer within %2 seconds (the connection's time-out, \"%3\" in the connection string)"),
     0},
    {"The database is locked by another program: its search waited until the time-out",
     QT_TRANSLATE_NOOP("qelvor::Messages", "The database is locked by another program: its search waited until the time-out"), 0},
    {"The server \"(.*)\" cannot be found: (.*)",
     QT_TRANSLATE_NOOP("qelvor::Messages", "The server \"%1\" cannot be found: %2"), 0},
    {"Cannot wait for the database", QT_TRANSLATE_NOOP("qelvor::Messages", "Cannot wait for the database"), 0},
    {"Cannot wait for the server: no event descriptor left",
     QT_TRANSLATE_NOOP("qelvor::Messages", "Cannot wait for the server: no event descriptor left"), 0},
    {"Cannot wait for the server (.+)", QT_TRANSLATE_NOOP("qelvor::Messages", "Cannot wait for the server %1"), 0},
    {"Cannot open the database \"(.*)\": (.*)", QT_TRANSLATE_NOOP("qelvor::Messages", "Cannot open the database \"%1\": %2"),
     2},
    {"The connection string names no provider, driver or data source name",
     QT_TRANSLATE_NOOP("qelvor::Messages", "The connection string names no provider, driver or data source name"), 0},
    {"The connection string names no Data Source",
     QT_TRANSLATE_NOOP("qelvor::Messages", "The connection string names no Data Source"), 0},
    {"Provider cannot be found\\. It may not be properly installed: \"(.*)\"",
     QT_TRANSLATE_NOOP("qelvor::Messages", "Provider cannot be found. It may not be properly installed: \"%1\""), 0},
    // The embedded engine's own texts for a file it cannot use: no server speaks there,
    // so they are the product's words to the user.
    {"database is locked", QT_TRANSLATE_NOOP("qelvor::Messages", "database is locked"), 0},
    {"file is not a database", QT_TRANSLATE_NOOP("qelvor::Messages", "file is not a database"), 0},
    {"unable to open database file", QT_TRANSLATE_NOOP("qelvor::Messages", "unable to open database file"), 0},
};

// The translation of the current locale, loaded again when the locale changed.
const QTranslator* CurrentTranslator()
{
    static std::unique_ptr<QTranslator> translator;
    static QString loadedFor;
    static bool loaded = false;
    const QLocale locale;
    if (!loaded || locale.name() != loadedFor) {
        translator = std::make_unique<QTranslator>();
        // Nothing to load for English: the texts are their own translation.
        if (!translator->load(locale, QStringLiteral("qelvor"), QStringLiteral("_"), QStringLiteral(":/qelvor/i18n")))
            translator.reset();
        loadedFor = locale.name();
        loaded = true;
    }
    return translator.get();
}

// %1 … %9 of `text` replaced by `values` in one pass: a value that holds "%2" stays so.
QString Substitute(const QString& text, const QStringList& values)
{
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) == u'%' && i + 1 < text.size() && text.at(i + 1) >= u'1' && text.at(i + 1) <= u'9') {
            const qsizetype index = text.at(i + 1).unicode() - u'1';
            if (index < values.size()) {
                result += values.at(index);
                ++i;
                continue;
            }
        }
        result += text.at(i);
    }
    return result;
}

QString Translated(const QString& message)
{
    for (const KnownMessage& known : kKnownMessages) {
        const QRegularExpression pattern(QRegularExpression::anchoredPattern(QString::fromUtf8(known.english)));
        const QRegularExpressionMatch match = pattern.match(message);
        if (!match.hasMatch())
            continue;
        QStringList values;
        for (int group = 1; group <= pattern.captureCount(); ++group)
            values.append(group == known.nested ? Translated(match.captured(group)) : match.captured(group));
        QString text;
        if (const QTranslator* translator = CurrentTranslator())
            text = translator->translate(kContext, known.source);
        if (text.isEmpty())
            text = QString::fromUtf8(known.source);
        return Substitute(text, values);
    }
    return message;
}

}  // namespace

std::string TranslatedMessage(const std::string& message)
{
    const QString text = QString::fromStdString(message);
    // A component's failure leads with the component's name ("QELV_Set: …"), which stays.
    static const QRegularExpression named(QStringLiteral("^([A-Za-z_][A-Za-z0-9_]*: )(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    if (const QRegularExpressionMatch match = named.match(text); match.hasMatch())
        return (match.captured(1) + Translated(match.captured(2))).toStdString();
    return Translated(text).toStdString();
}

}  // namespace qelvor
