#include "logic/profilefile.h"

#include "catalogue/modulesettings.h"
#include "logic/settingvalue.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>

namespace {

const QString formatName = QStringLiteral("tarnowick-profile");
constexpr int knownVersion = 1;
// A profile is a few hundred bytes; anything far larger is no profile and is not read whole.
constexpr qint64 maximumSize = 1 << 20;
// A value longer than this is cut short in a message box.
constexpr int shownValueLength = 40;
// What the module's "module" entry records, in this order.
const char *const identityCommands[] = {"SH", "SL", "VR"};

// The texts users see, in a translation context of their own.
struct ProfileTexts
{
    Q_DECLARE_TR_FUNCTIONS(ProfileFile)
};

ProfileReading failed(const QString &problem)
{
    return {{}, problem};
}

QString notAProfile()
{
    return ProfileTexts::tr("Not a profile file.");
}

// A value as the user can make it out: as typed, or in its JSON form when it is
// no plain text (a number, an empty text, a line break).
QString shownValue(const QJsonValue &value)
{
    QString text = value.toString();
    const bool plain = value.isString() && !text.isEmpty()
        && std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isPrint(); });
    if (!plain)
        text = QString::fromUtf8(QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact)).mid(1).chopped(1);
    if (text.size() > shownValueLength)
        text = text.left(shownValueLength) + QChar(0x2026);
    return text;
}

QString invalidValueText(const QString &command, const QJsonValue &value)
{
    return ProfileTexts::tr("Invalid value for %1: %2.").arg(command, shownValue(value));
}

// Empty when the version is one this program reads.
QString versionProblem(const QJsonValue &version)
{
    const double number = version.toDouble(-1);
    if (number == knownVersion)
        return {};
    if (version.isDouble() && number > knownVersion && std::floor(number) == number)
        return ProfileTexts::tr("Profile version %1 is newer than this program.").arg(QString::number(number, 'f', 0));
    return notAProfile();
}

// The text the form shows: a channel mask without blanks and "0x", as the calculator would leave it.
QString fieldText(const ModuleSetting &setting, const QString &value)
{
    if (setting.kind != FieldKind::TextField || setting.pattern)
        return value;
    QString digits = value.trimmed();
    if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        digits.remove(0, 2);
    return digits;
}

ProfileReading settingsOf(const QJsonObject &entries)
{
    ProfileReading reading;
    // Keys in the object's (sorted) order, so the same file always names the same problem.
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        const ModuleSetting *setting = ModuleSettings::find(it.key());
        if (!setting || !setting->written)
            return failed(ProfileTexts::tr("Unknown setting %1.").arg(it.key()));
        // Checked as the form will hold it, which is what a write run sends.
        const QString text = fieldText(*setting, it.value().toString());
        if (!it.value().isString() || !SettingValue::accepts(*setting, text))
            return failed(invalidValueText(it.key(), it.value()));
        reading.settings.insert(it.key(), text);
    }
    return reading;
}

QByteArray jsonString(const QString &text)
{
    const QByteArray array = QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact);
    return array.mid(1, array.size() - 2);
}

QByteArray jsonObject(const QList<std::pair<QString, QString>> &entries)
{
    QByteArray text = "{";
    for (qsizetype i = 0; i < entries.size(); ++i)
        text +=
            (i ? ",\n        " : "\n        ") + jsonString(entries[i].first) + ": " + jsonString(entries[i].second);
    return text + "\n    }";
}

} // namespace

namespace ProfileFile {

const QString suffix = QStringLiteral("tarnowick-profile");

ProfileReading parse(const QByteArray &bytes)
{
    if (bytes.size() > maximumSize)
        return failed(notAProfile());
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QLatin1String("format")) != formatName)
        return failed(notAProfile());
    const QString versionText = versionProblem(root.value(QLatin1String("version")));
    if (!versionText.isEmpty())
        return failed(versionText);
    const QJsonValue settings = root.value(QLatin1String("settings"));
    if (!settings.isObject())
        return failed(notAProfile());
    // "module" only records where the settings came from; it is never loaded.
    return settingsOf(settings.toObject());
}

ProfileReading read(const QString &path)
{
    // Regular files only: opening a named pipe waits for a writer, and a device may never end.
    const bool regular = QFileInfo(path).isFile();
    QFile file(path);
    const QByteArray bytes = regular && file.open(QIODevice::ReadOnly) ? file.read(maximumSize + 1) : QByteArray();
    if (!regular || file.error() != QFileDevice::NoError)
        return failed(ProfileTexts::tr("Failed to read file."));
    return parse(bytes);
}

QString invalidValue(const SettingValues &settings)
{
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString command = QLatin1String(setting.command);
        if (settings.contains(command) && !SettingValue::accepts(setting, settings.value(command)))
            return invalidValueText(command, settings.value(command));
    }
    return {};
}

QByteArray serialise(const SettingValues &settings, const SettingValues &module)
{
    QList<std::pair<QString, QString>> written;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString command = QLatin1String(setting.command);
        if (setting.written && settings.contains(command))
            written.append({command, settings.value(command)});
    }
    QList<std::pair<QString, QString>> identity;
    for (const char *name : identityCommands) {
        const QString command = QLatin1String(name);
        if (module.contains(command))
            identity.append({command, module.value(command)});
    }
    QByteArray text = "{\n    \"format\": " + jsonString(formatName)
        + ",\n    \"version\": " + QByteArray::number(knownVersion) + ",\n    \"settings\": " + jsonObject(written);
    if (!identity.isEmpty())
        text += ",\n    \"module\": " + jsonObject(identity);
    return text + "\n}\n";
}

QStringList differences(const SettingValues &settings, const SettingValues &module)
{
    QStringList commands;
    for (const ModuleSetting &setting : ModuleSettings::all()) {
        const QString command = QLatin1String(setting.command);
        // A setting the module did not answer for cannot be called the same.
        if (settings.contains(command)
            && (!module.contains(command)
                || !SettingValue::sameValue(setting, settings.value(command), module.value(command))))
            commands.append(command);
    }
    return commands;
}

} // namespace ProfileFile
