#include "SettingsStoreUnit.h"

#include <QDir>
#include <QMetaType>
#include <QSettings>
#include <QVariant>
#include <limits>

#include "CxfHTMLExporterUnit.h"

namespace {

constexpr char Quote = '"';
constexpr char Delimiter = ',';

// Codes 1 to 32 separate items outside quotes. Code 0 is treated the same
// way: taken as the end of the text it would leave an unquoted NUL that the
// reader can never step over.
bool IsBlank(char C) {
    return static_cast<unsigned char>(C) <= 32;
}

bool NeedsQuotes(const std::string& Line) {
    for (const char C : Line)
        if (IsBlank(C) || C == Quote || C == Delimiter) return true;
    return false;
}

std::string Quoted(const std::string& Line) {
    std::string Result(1, Quote);
    for (const char C : Line) {
        if (C == Quote) Result += Quote;
        Result += C;
    }
    Result += Quote;
    return Result;
}

[[noreturn]] void FailKind(const char* Name) {
    throw ESettingsError(std::string("Invalid data type for '") + Name + "'");
}

QString ReadString(QSettings& Store, const char* Name) {
    const QVariant Value = Store.value(QLatin1String(Name));
    if (Value.typeId() != QMetaType::QString) FailKind(Name);
    return Value.toString();
}

int ReadInteger(QSettings& Store, const char* Name) {
    const QVariant Value = Store.value(QLatin1String(Name));
    bool Ok = false;
    qlonglong Number = 0;
    switch (Value.typeId()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
            Number = Value.toLongLong(&Ok);
            break;
        case QMetaType::QString:
            // Stores without kinds of their own hand every value back as text.
            Number = Value.toString().toInt(&Ok);
            break;
        default:
            break;
    }
    if (!Ok || Number < std::numeric_limits<int>::min() || Number > std::numeric_limits<int>::max())
        FailKind(Name);
    return static_cast<int>(Number);
}

bool ReadBoolean(QSettings& Store, const char* Name) {
    return ReadInteger(Store, Name) != 0;
}

bool Has(QSettings& Store, const char* Name) {
    return Store.contains(QLatin1String(Name));
}

}  // namespace

std::string EncodeHeaderLines(const std::vector<std::string>& Lines) {
    if (Lines.size() == 1 && Lines.front().empty()) return std::string(2, Quote);
    std::string Result;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (i > 0) Result += Delimiter;
        Result += NeedsQuotes(Lines[i]) ? Quoted(Lines[i]) : Lines[i];
    }
    return Result;
}

std::vector<std::string> DecodeHeaderLines(const std::string& Text) {
    std::vector<std::string> Lines;
    const std::size_t End = Text.size();
    std::size_t P = 0;
    auto SkipBlanks = [&] {
        while (P < End && IsBlank(Text[P])) ++P;
    };

    SkipBlanks();
    while (P < End) {
        std::string Item;
        if (Text[P] == Quote) {
            // Up to the first quote that is not doubled; an opening quote that
            // is never closed takes the rest of the text.
            ++P;
            while (P < End) {
                if (Text[P] == Quote) {
                    if (P + 1 < End && Text[P + 1] == Quote) {
                        Item += Quote;
                        P += 2;
                        continue;
                    }
                    ++P;
                    break;
                }
                Item += Text[P++];
            }
        } else {
            const std::size_t Start = P;
            while (P < End && !IsBlank(Text[P]) && Text[P] != Delimiter) ++P;
            Item = Text.substr(Start, P - Start);
        }
        Lines.push_back(std::move(Item));
        SkipBlanks();
        if (P < End && Text[P] == Delimiter) {
            if (P + 1 == End) Lines.emplace_back();
            ++P;
            SkipBlanks();
        }
    }
    return Lines;
}

std::unique_ptr<QSettings> OpenSettingsStore() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QLatin1String(SettingsOrganization), QLatin1String(SettingsApplication));
}

QString WithTrailingSeparator(const QString& Directory) {
    const QString Separator = QDir::separator();
    return Directory.endsWith(Separator) ? Directory : Directory + Separator;
}

void LoadSettings(QSettings& Store, const QString& WorkingDirectory, TStoredSettings& Settings) {
    Settings.HtmlHeaderLines.clear();

    if (Has(Store, "CxfFileName")) Settings.CxfFileName = ReadString(Store, "CxfFileName");
    Settings.ExportPath =
        Has(Store, "ExportPath") ? ReadString(Store, "ExportPath") : WithTrailingSeparator(WorkingDirectory);
    if (Has(Store, "ExportType")) {
        // The group has the items 0 to 3; below -1 nothing is selected.
        const int Index = ReadInteger(Store, "ExportType");
        Settings.ExportType = Index < -1 ? -1 : (Index > 3 ? 3 : Index);
    }
    if (Has(Store, "ExcludeChannelUF")) Settings.ExcludeChannelUF = ReadBoolean(Store, "ExcludeChannelUF");
    if (Has(Store, "ExcludeChannelVPID")) Settings.ExcludeChannelVPID = ReadBoolean(Store, "ExcludeChannelVPID");
    if (Has(Store, "ExcludeTransponderUF"))
        Settings.ExcludeTransponderUF = ReadBoolean(Store, "ExcludeTransponderUF");
    if (Has(Store, "ExcludeSatelliteUF")) Settings.ExcludeSatelliteUF = ReadBoolean(Store, "ExcludeSatelliteUF");
    Settings.OpenDialogInitialDir =
        Has(Store, "OpenDialogInitialDir") ? ReadString(Store, "OpenDialogInitialDir") : WorkingDirectory;
    Settings.CSVFileSaveDialogInitialDir = Has(Store, "CSVFileSaveDialogInitialDir")
                                               ? ReadString(Store, "CSVFileSaveDialogInitialDir")
                                               : WorkingDirectory;
    if (Has(Store, "HtmlHeaderText"))
        Settings.HtmlHeaderLines = DecodeHeaderLines(ReadString(Store, "HtmlHeaderText").toStdString());
    else
        Settings.HtmlHeaderLines = {DefaultHtmlHeadText};
}

bool SaveSettings(QSettings& Store, const TStoredSettings& Settings) {
    Store.setValue(QStringLiteral("CxfFileName"), Settings.CxfFileName);
    Store.setValue(QStringLiteral("ExportPath"), Settings.ExportPath);
    Store.setValue(QStringLiteral("ExportType"), Settings.ExportType);
    Store.setValue(QStringLiteral("ExcludeChannelUF"), Settings.ExcludeChannelUF ? 1 : 0);
    Store.setValue(QStringLiteral("ExcludeChannelVPID"), Settings.ExcludeChannelVPID ? 1 : 0);
    Store.setValue(QStringLiteral("ExcludeTransponderUF"), Settings.ExcludeTransponderUF ? 1 : 0);
    Store.setValue(QStringLiteral("ExcludeSatelliteUF"), Settings.ExcludeSatelliteUF ? 1 : 0);
    Store.setValue(QStringLiteral("OpenDialogInitialDir"), Settings.OpenDialogInitialDir);
    Store.setValue(QStringLiteral("CSVFileSaveDialogInitialDir"), Settings.CSVFileSaveDialogInitialDir);
    Store.setValue(QStringLiteral("HtmlHeaderText"), QString::fromStdString(EncodeHeaderLines(Settings.HtmlHeaderLines)));
    Store.sync();
    return Store.status() == QSettings::NoError;
}
