#pragma once
// The per-user settings: the language and the firmware file and folder under "DspMcu", and
// under "USB" one value per processor path that a console holds open. On Windows these are
// the registry keys Software\QX-MRK907_LS907-V1.00_GB2312.exe\DspMcu and ...\USB; elsewhere
// QSettings keeps them in per-user files of the same names.

#include "link/UsbTransport.h"

#include <QString>

namespace ovix {

inline constexpr char kSettingsOrganisation[] = "QX-MRK907_LS907-V1.00_GB2312.exe";
inline constexpr char kMainKey[] = "DspMcu";
inline constexpr char kDeviceKey[] = "USB";

// Values under the main key for the folders the graph's file dialogs last used.
inline constexpr char kFilterFolderValue[] = "FilterPath";
inline constexpr char kImageFolderValue[] = "ImagePath";

struct AppSettings {
    QString firmwareFile;     // "Name": the firmware file last chosen
    QString firmwarePattern;  // "Path": start folder + "/DataFile/*.bin"
    QString language;         // "Language": "Chinese" or "English"
};

class SettingsStore final : public IDeviceRecords {
public:
    // Reads the main key into s; a key that does not exist yet is created from s (the
    // defaults). A value longer than its read buffer is not read.
    void LoadSettings(AppSettings& s);
    // Writes the three values.
    void SaveSettings(const AppSettings& s);
    bool MainKeyExists() const;
    // The folder last used by a file dialog (kFilterFolderValue, kImageFolderValue), empty
    // when none was kept; kept at once.
    QString LoadFolder(const char* value) const;
    void SaveFolder(const char* value, const QString& folder);

    // Device paths contain '/' and '\', which QSettings takes for group separators; they
    // are stored under reversibly encoded names.
    static QString EncodePath(const std::string& path);
    static std::string DecodePath(const QString& name);

    // IDeviceRecords
    bool IsDeviceUnrecorded(const std::string& path) const override;
    void RecordOpenDevice(const std::string& path) override;
    void ForgetOpenDevice(const std::string& path) override;
    void ResetDeviceRecords() override;
};

} // namespace ovix
