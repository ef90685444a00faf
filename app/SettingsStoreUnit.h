// The per-user settings: ten named values under one key of the native store
// (organisation "Morvane", application "Zanvero"), read once when the main
// window is created and written once when it is closed. The native store is
// the registry on Windows and a settings file elsewhere; each lives in a
// file of its own (SettingsStorePosix.cpp, SettingsStoreWindows.cpp).
#pragma once

#include <QString>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QSettings;

inline constexpr const char* SettingsOrganization = "Morvane";
inline constexpr const char* SettingsApplication = "Zanvero";

// A stored value that is not of the kind its name calls for. The message
// names the value.
class ESettingsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline const QString SettingsNotSavedText = QStringLiteral("Die Einstellungen konnten nicht gespeichert werden.");

// What the store holds, in the order the values are read and written.
struct TStoredSettings {
    QString CxfFileName;
    QString ExportPath;
    int ExportType = 0;
    bool ExcludeChannelUF = true;
    bool ExcludeChannelVPID = true;
    bool ExcludeTransponderUF = true;
    bool ExcludeSatelliteUF = true;
    QString OpenDialogInitialDir;
    QString CSVFileSaveDialogInitialDir;
    std::vector<std::string> HtmlHeaderLines;  // UTF-8
};

// The list of head text lines as one string: comma separated, a line quoted
// (inner quotes doubled) when it holds a control character, a blank, a quote
// or a comma.
std::string EncodeHeaderLines(const std::vector<std::string>& Lines);
// The reverse; every list survives EncodeHeaderLines and DecodeHeaderLines.
std::vector<std::string> DecodeHeaderLines(const std::string& Text);

// One key of a settings store, opened (created when missing) for reading and
// writing. Its values are strings or 32-bit integers; a boolean is stored
// as the integer 1 or 0.
class ISettingsKey {
public:
    virtual ~ISettingsKey() = default;
    virtual bool Has(const char* Name) = 0;
    // A value of another kind throws ESettingsError (ThrowWrongKind).
    virtual QString ReadString(const char* Name) = 0;
    virtual int ReadInteger(const char* Name) = 0;
    virtual void WriteString(const char* Name, const QString& Value) = 0;
    virtual void WriteInteger(const char* Name, int Value) = 0;
    // Makes every write durable; false when any of them failed.
    virtual bool Flush() = 0;
};

[[noreturn]] void ThrowWrongKind(const char* Name);

// A key kept by QSettings: the native store where there is no registry, and
// an INI file wherever one is wanted. Such files keep no kinds, so a number
// written as text reads as an integer.
class TQSettingsKey final : public ISettingsKey {
public:
    explicit TQSettingsKey(std::unique_ptr<QSettings> Settings);
    ~TQSettingsKey() override;
    bool Has(const char* Name) override;
    QString ReadString(const char* Name) override;
    int ReadInteger(const char* Name) override;
    void WriteString(const char* Name, const QString& Value) override;
    void WriteInteger(const char* Name, int Value) override;
    bool Flush() override;

private:
    std::unique_ptr<QSettings> FSettings;
};

// The settings key of this user in the platform's native store.
std::unique_ptr<ISettingsKey> OpenSettingsStore();

// Reads the values in their order into Settings. A value that is absent
// leaves its field as it is, except for the defaults that depend on the
// working directory (WorkingDirectory, in native form) and the head text,
// which falls back to the built-in default. Settings.HtmlHeaderLines is
// emptied first. A value of the wrong kind throws ESettingsError; the fields
// read before it keep what was read.
void LoadSettings(ISettingsKey& Store, const QString& WorkingDirectory, TStoredSettings& Settings);

// Writes every value, then flushes the store; false when the store reports
// that it could not be written.
bool SaveSettings(ISettingsKey& Store, const TStoredSettings& Settings);

// Directory with the platform's separator at the end; one that already ends
// in it (a root directory) is left as it is.
QString WithTrailingSeparator(const QString& Directory);
