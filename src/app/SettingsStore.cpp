#include "app/SettingsStore.h"

#include <QSettings>

namespace ovix {

namespace {

// Read buffers of the stored values, in characters including the terminator.
constexpr int kNameBuffer = 300;
constexpr int kPathBuffer = 260;
constexpr int kLanguageBuffer = 10;

QSettings MainKey() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kMainKey); }
QSettings DeviceKey() { return QSettings(QSettings::NativeFormat, QSettings::UserScope, kSettingsOrganisation, kDeviceKey); }

void ReadInto(const QSettings& key, const char* name, int buffer, QString& target)
{
    const QVariant v = key.value(name);
    if (!v.isValid())
        return;  // a missing value leaves the current content
    const QString text = v.toString();
    if (text.toUtf8().size() + 1 > buffer)
        return;  // too long for its buffer: not read
    target = text;
}

} // namespace

bool SettingsStore::MainKeyExists() const
{
    QSettings key = MainKey();
    return !key.childKeys().isEmpty();
}

void SettingsStore::LoadSettings(AppSettings& s)
{
    if (!MainKeyExists()) {
        SaveSettings(s);
        return;
    }
    QSettings key = MainKey();
    ReadInto(key, "Name", kNameBuffer, s.firmwareFile);
    ReadInto(key, "Path", kPathBuffer, s.firmwarePattern);
    ReadInto(key, "Language", kLanguageBuffer, s.language);
}

void SettingsStore::SaveSettings(const AppSettings& s)
{
    QSettings key = MainKey();
    key.setValue("Name", s.firmwareFile);
    key.setValue("Path", s.firmwarePattern);
    key.setValue("Language", s.language);
    key.sync();
}

QString SettingsStore::LoadFolder(const char* value) const
{
    QString folder;
    ReadInto(MainKey(), value, kPathBuffer, folder);
    return folder;
}

void SettingsStore::SaveFolder(const char* value, const QString& folder)
{
    QSettings key = MainKey();
    key.setValue(value, folder);
    key.sync();
}

QString SettingsStore::EncodePath(const std::string& path)
{
    // percent-encode everything but letters, digits and a few safe marks
    return QString::fromLatin1(QByteArray::fromStdString(path).toPercentEncoding("-._~", "/\\"));
}

std::string SettingsStore::DecodePath(const QString& name)
{
    return QByteArray::fromPercentEncoding(name.toLatin1()).toStdString();
}

bool SettingsStore::IsDeviceUnrecorded(const std::string& path) const
{
    QSettings key = DeviceKey();
    return !key.contains(EncodePath(path));
}

void SettingsStore::RecordOpenDevice(const std::string& path)
{
    QSettings key = DeviceKey();
    key.setValue(EncodePath(path), QStringLiteral("0"));
    key.sync();
}

void SettingsStore::ForgetOpenDevice(const std::string& path)
{
    QSettings key = DeviceKey();
    key.remove(EncodePath(path));
    key.sync();
}

void SettingsStore::ResetDeviceRecords()
{
    QSettings key = DeviceKey();
    key.clear();
    key.sync();
}

} // namespace ovix
