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

}  // namespace

void ThrowWrongKind(const char* Name) {
    throw ESettingsError(std::string("Invalid data type for '") + Name + "'");
}

TQSettingsKey::TQSettingsKey(std::unique_ptr<QSettings> Settings) : FSettings(std::move(Settings)) {}

TQSettingsKey::~TQSettingsKey() = default;

bool TQSettingsKey::Has(const char* Name) {
    return FSettings->contains(QLatin1String(Name));
}

QString TQSettingsKey::ReadString(const char* Name) {
    const QVariant Value = FSettings->value(QLatin1String(Name));
    if (Value.typeId() != QMetaType::QString) ThrowWrongKind(Name);
    return Value.toString();
}

int TQSettingsKey::ReadInteger(const char* Name) {
    const QVariant Value = FSettings->value(QLatin1String(Name));
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
        ThrowWrongKind(Name);
    return static_cast<int>(Number);
}

void TQSettingsKey::WriteString(const char* Name, const QString& Value) {
    FSettings->setValue(QLatin1String(Name), Value);
}

void TQSettingsKey::WriteInteger(const char* Name, int Value) {
    FSettings->setValue(QLatin1String(Name), Value);
}

bool TQSettingsKey::Flush() {
    FSettings->sync();
    return FSettings->status() == QSettings::NoError;
}

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

QString WithTrailingSeparator(const QString& Directory) {
    const QString Separator = QDir::separator();
    return Directory.endsWith(Separator) ? Directory : Directory + Separator;
}

void LoadSettings(ISettingsKey& Store, const QString& WorkingDirectory, TStoredSettings& Settings) {
    Settings.HtmlHeaderLines.clear();

    auto ReadBoolean = [&](const char* Name, bool& Flag) {
        if (Store.Has(Name)) Flag = Store.ReadInteger(Name) != 0;
    };
    if (Store.Has("CxfFileName")) Settings.CxfFileName = Store.ReadString("CxfFileName");
    Settings.ExportPath =
        Store.Has("ExportPath") ? Store.ReadString("ExportPath") : WithTrailingSeparator(WorkingDirectory);
    if (Store.Has("ExportType")) {
        // The group has the items 0 to 3; below -1 nothing is selected.
        const int Index = Store.ReadInteger("ExportType");
        Settings.ExportType = Index < -1 ? -1 : (Index > 3 ? 3 : Index);
    }
    ReadBoolean("ExcludeChannelUF", Settings.ExcludeChannelUF);
    ReadBoolean("ExcludeChannelVPID", Settings.ExcludeChannelVPID);
    ReadBoolean("ExcludeTransponderUF", Settings.ExcludeTransponderUF);
    ReadBoolean("ExcludeSatelliteUF", Settings.ExcludeSatelliteUF);
    Settings.OpenDialogInitialDir =
        Store.Has("OpenDialogInitialDir") ? Store.ReadString("OpenDialogInitialDir") : WorkingDirectory;
    Settings.CSVFileSaveDialogInitialDir = Store.Has("CSVFileSaveDialogInitialDir")
                                               ? Store.ReadString("CSVFileSaveDialogInitialDir")
                                               : WorkingDirectory;
    if (Store.Has("HtmlHeaderText"))
        Settings.HtmlHeaderLines = DecodeHeaderLines(Store.ReadString("HtmlHeaderText").toStdString());
    else
        Settings.HtmlHeaderLines = {DefaultHtmlHeadText};
}

bool SaveSettings(ISettingsKey& Store, const TStoredSettings& Settings) {
    Store.WriteString("CxfFileName", Settings.CxfFileName);
    Store.WriteString("ExportPath", Settings.ExportPath);
    Store.WriteInteger("ExportType", Settings.ExportType);
    Store.WriteInteger("ExcludeChannelUF", Settings.ExcludeChannelUF ? 1 : 0);
    Store.WriteInteger("ExcludeChannelVPID", Settings.ExcludeChannelVPID ? 1 : 0);
    Store.WriteInteger("ExcludeTransponderUF", Settings.ExcludeTransponderUF ? 1 : 0);
    Store.WriteInteger("ExcludeSatelliteUF", Settings.ExcludeSatelliteUF ? 1 : 0);
    Store.WriteString("OpenDialogInitialDir", Settings.OpenDialogInitialDir);
    Store.WriteString("CSVFileSaveDialogInitialDir", Settings.CSVFileSaveDialogInitialDir);
    Store.WriteString("HtmlHeaderText", QString::fromStdString(EncodeHeaderLines(Settings.HtmlHeaderLines)));
    return Store.Flush();
}
