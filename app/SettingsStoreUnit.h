// The per-user settings: ten named values under one key of the native store
// (organisation "Morvane", application "Zanvero"), read once when the main
// window is created and written once when it is closed.
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

// The store of this user, in the platform's native format.
std::unique_ptr<QSettings> OpenSettingsStore();

// Reads the values in their order into Settings. A value that is absent
// leaves its field as it is, except for the defaults that depend on the
// working directory (WorkingDirectory, in native form) and the head text,
// which falls back to the built-in default. Settings.HtmlHeaderLines is
// emptied first. A value of the wrong kind throws ESettingsError; the fields
// read before it keep what was read.
void LoadSettings(QSettings& Store, const QString& WorkingDirectory, TStoredSettings& Settings);

// Writes every value, then flushes the store; false when the store reports
// that it could not be written.
bool SaveSettings(QSettings& Store, const TStoredSettings& Settings);

// Directory with the platform's separator at the end; one that already ends
// in it (a root directory) is left as it is.
QString WithTrailingSeparator(const QString& Directory);
