#include "host/ConnectionChoice.h"

#include "data/recordset/ConnectionString.h"

namespace qelvor::host {

namespace {

const QString kSourceKey = QStringLiteral("connect/dataSource");
const QString kStringKey = QStringLiteral("connect/connectionString");
const QString kUserKey = QStringLiteral("connect/user");
const QString kEncryptKey = QStringLiteral("connect/encrypt");
const QString kCaFileKey = QStringLiteral("connect/caFile");

QString Setting(const QString& key, const QString& value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && !value.contains(QLatin1Char('{'))
                    && !value.contains(QLatin1Char('}')) && value.trimmed() == value;
    if (plain)
        return key + QLatin1Char('=') + value;
    QString braced = value;
    braced.replace(QLatin1Char('}'), QStringLiteral("}}"));
    return key + QStringLiteral("={") + braced + QLatin1Char('}');
}

bool IsPasswordKey(const std::string& key)
{
    QString lower = QString::fromStdString(key).trimmed().toLower();
    return lower == QLatin1String("pwd") || lower == QLatin1String("password");
}

void Append(QString& text, const QString& part)
{
    if (!text.isEmpty() && !text.endsWith(QLatin1Char(';')))
        text += QLatin1Char(';');
    text += part;
}

}  // namespace

QString BuildConnectionString(const ConnectionChoice& choice)
{
    QString text = choice.dataSource.isEmpty() ? choice.connectionString.trimmed()
                                               : Setting(QStringLiteral("DSN"), choice.dataSource);
    if (text.isEmpty())
        return {};
    // Later settings win, so the fields override what a typed string holds.
    if (!choice.user.isEmpty())
        Append(text, Setting(QStringLiteral("UID"), choice.user));
    if (!choice.password.isEmpty())
        Append(text, Setting(QStringLiteral("PWD"), choice.password));
    if (!choice.encrypt.isEmpty())
        Append(text, Setting(QStringLiteral("Encrypt"), choice.encrypt));
    if (!choice.caFile.isEmpty())
        Append(text, Setting(QStringLiteral("CA File"), choice.caFile));
    return text;
}

QString WithoutPassword(const QString& connectionString)
{
    try {
        const recordset::ConnectionString parsed(connectionString.toStdString());
        QString text;
        for (const auto& [key, value] : parsed.Pairs())
            if (!IsPasswordKey(key))
                Append(text, Setting(QString::fromStdString(key), QString::fromStdString(value)));
        return text;
    } catch (const std::exception&) {
        // Not a string we can read: remembering none of it is the safe side.
        return {};
    }
}

void RememberChoice(QSettings& settings, const ConnectionChoice& choice)
{
    settings.setValue(kSourceKey, choice.dataSource);
    settings.setValue(kStringKey, WithoutPassword(choice.connectionString));
    settings.setValue(kUserKey, choice.user);
    settings.setValue(kEncryptKey, choice.encrypt);
    settings.setValue(kCaFileKey, choice.caFile);
    settings.sync();
}

ConnectionChoice RememberedChoice(QSettings& settings)
{
    ConnectionChoice choice;
    choice.dataSource = settings.value(kSourceKey).toString();
    choice.connectionString = settings.value(kStringKey).toString();
    choice.user = settings.value(kUserKey).toString();
    choice.encrypt = settings.value(kEncryptKey).toString();
    choice.caFile = settings.value(kCaFileKey).toString();
    return choice;
}

}  // namespace qelvor::host
