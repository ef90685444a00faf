#include "CxfSQLExporterUnit.h"

#include <charconv>
#include <string>
#include <string_view>

namespace {

// The head drops and re-creates the four tables. MyISAM is named with ENGINE
// because current servers no longer accept the old TYPE keyword; Polarisation
// holds the letter that the statements write, so it is a char(1), not a
// number; and SET NAMES tells the server that every name is a Windows-1252
// byte (the server's latin1), so umlauts and the euro sign arrive unchanged
// whatever the client's own character set is.
constexpr std::string_view HeadText =
    "# MySql kompatibler SQL-Dump\r\n"
    "# Generiert mit dem \"Zanvero\" (https://www.morvane.example)\r\n"
    "/*!40101 SET NAMES latin1 */;\r\n"
    "\r\n"
    "# Tabellenstruktur f\xFCr Tabelle `channel`\r\n"
    "#\r\n"
    "DROP TABLE IF EXISTS channel;\r\n"
    "CREATE TABLE channel\r\n"
    "(\r\n"
    " ID smallint(5) unsigned NOT NULL default '0',\r\n"
    " Name char(20) NOT NULL default '',\r\n"
    " UF tinyint(4) unsigned NOT NULL default '0',\r\n"
    " AudioPID smallint(5) unsigned NOT NULL default '0',\r\n"
    " VideoPID smallint(5) unsigned NOT NULL default '0',\r\n"
    " PCRPID smallint(5) unsigned NOT NULL default '0',\r\n"
    " TeletextPID smallint(5) unsigned NOT NULL default '0',\r\n"
    " ServiceID smallint(5) unsigned NOT NULL default '0',\r\n"
    " TransponderID smallint(5) unsigned NOT NULL default '0',\r\n"
    " PayTV tinyint(3) unsigned NOT NULL default '0',\r\n"
    " PackageID smallint(5) unsigned NOT NULL default '0',\r\n"
    " PRIMARY KEY (ID)\r\n"
    ") ENGINE=MyISAM;\r\n"
    "\r\n"
    "#\r\n"
    "# Tabellenstruktur f\xFCr Tabelle `package`\r\n"
    "#\r\n"
    "DROP TABLE IF EXISTS package;\r\n"
    "CREATE TABLE package\r\n"
    "(\r\n"
    " ID smallint(5) unsigned NOT NULL default '0',\r\n"
    " Name char(20) NOT NULL default '',\r\n"
    " PRIMARY KEY (ID)\r\n"
    ") ENGINE=MyISAM;\r\n"
    "\r\n"
    "#\r\n"
    "# Tabellenstruktur f\xFCr Tabelle `transponder`\r\n"
    "#\r\n"
    "DROP TABLE IF EXISTS transponder;\r\n"
    "CREATE TABLE transponder\r\n"
    "(\r\n"
    " ID smallint(5) unsigned NOT NULL default '0',\r\n"
    " Frequency mediumint(8) unsigned NOT NULL default '0',\r\n"
    " Symbolrate mediumint(8) unsigned NOT NULL default '0',\r\n"
    " Polarisation char(1) NOT NULL default '',\r\n"
    " SatelliteID smallint(5) unsigned NOT NULL default '0',\r\n"
    " OriginalNetworkID smallint(5) unsigned NOT NULL default '0',\r\n"
    " TransportStreamID smallint(5) unsigned NOT NULL default '0',\r\n"
    " UF tinyint(4) unsigned NOT NULL default '0',\r\n"
    " PRIMARY KEY  (ID)\r\n"
    ") ENGINE=MyISAM;\r\n"
    "\r\n"
    "#\r\n"
    "# Tabellenstruktur f\xFCr Tabelle `satellite`\r\n"
    "#\r\n"
    "DROP TABLE IF EXISTS satellite;\r\n"
    "CREATE TABLE satellite\r\n"
    "(\r\n"
    " ID smallint(5) unsigned NOT NULL default '0',\r\n"
    " OrbitalPosition float NOT NULL default '0',\r\n"
    " Name char(20) NOT NULL default '',\r\n"
    " AC tinyint(4) unsigned NOT NULL default '0',\r\n"
    " UF tinyint(4) unsigned NOT NULL default '0',\r\n"
    " PRIMARY KEY  (ID)\r\n"
    ") ENGINE=MyISAM;\r\n";

// Positions above a full circle are nonsense that the receiver stores
// anyway; such a satellite gets no row.
constexpr unsigned FullCircle = 3600;

// Upper bounds of one statement with every number and name at full width
// (a name doubles at most when every byte needs a backslash).
constexpr std::size_t SatelliteStatementSize = 120;
constexpr std::size_t TransponderStatementSize = 140;
constexpr std::size_t PackageStatementSize = 80;
constexpr std::size_t ChannelStatementSize = 200;

// Appends one statement: "INSERT INTO <table> VALUES ('a', 'b', ...);" and
// its line end.
class TStatementWriter {
public:
    TStatementWriter(std::string& Out, std::string_view Table) : FOut(Out) {
        FOut.append("INSERT INTO ");
        FOut.append(Table);
        FOut.append(" VALUES ('");
    }

    TStatementWriter& Number(unsigned Value) {
        Next();
        AppendDigits(Value);
        return *this;
    }

    TStatementWriter& Flag(bool Value) {
        Next();
        FOut.push_back(Value ? '1' : '0');
        return *this;
    }

    // A backslash starts an escape in the server's string syntax, so it must
    // be doubled before any apostrophe gets its own backslash; otherwise a
    // name ending in a backslash would swallow its closing quote.
    TStatementWriter& Text(std::string_view Value) {
        Next();
        for (const char C : Value) {
            if (C == '\\' || C == '\'') FOut.push_back('\\');
            FOut.push_back(C);
        }
        return *this;
    }

    // Tenths of a degree as degrees, always with "." (the server reads
    // nothing else as a decimal point) and without a trailing ".0".
    TStatementWriter& Degrees(unsigned Tenths) {
        Next();
        AppendDigits(Tenths / 10);
        if (Tenths % 10 != 0) {
            FOut.push_back('.');
            FOut.push_back(static_cast<char>('0' + Tenths % 10));
        }
        return *this;
    }

    TStatementWriter& Literal(std::string_view Value) {
        Next();
        FOut.append(Value);
        return *this;
    }

    void End() { FOut.append("');\r\n"); }

private:
    void Next() {
        if (FFirst)
            FFirst = false;
        else
            FOut.append("', '");
    }

    void AppendDigits(unsigned Value) {
        char Digits[12];
        const auto End = std::to_chars(Digits, Digits + sizeof Digits, Value).ptr;
        FOut.append(Digits, End);
    }

    std::string& FOut;
    bool FFirst = true;
};

bool SatelliteIsWritten(const TSatellite& Satellite, const TExportOptions& Options) {
    if (Options.ExcludeSatelliteUF && Satellite.UF) return false;  // S1
    return Satellite.Position <= FullCircle;                       // S2
}

// Rows that depend on a left-out transponder or satellite are left out too,
// so that no row names a transponder or satellite that the dump lacks. The
// one exception is a satellite beyond a full circle: its dependants stay.
bool TransponderIsWritten(const TTransponder& Transponder, const TExportOptions& Options) {
    if (Options.ExcludeTransponderUF && Transponder.UF) return false;    // T1
    if (Transponder.Satellite == nullptr) return false;                 // T2
    return !(Options.ExcludeSatelliteUF && Transponder.Satellite->UF);  // T3
}

bool ChannelIsWritten(const TChannel& Channel, const TExportOptions& Options) {
    if (Options.ExcludeChannelVPID && Channel.VideoPID == 0) return false;  // C1
    if (Options.ExcludeChannelUF && Channel.UF) return false;               // C2
    const TTransponder* Transponder = Channel.Transponder;
    if (Transponder == nullptr || Transponder->Satellite == nullptr) return false;  // C5
    if (Options.ExcludeSatelliteUF && Transponder->Satellite->UF) return false;     // C3
    return !(Options.ExcludeTransponderUF && Transponder->UF);                      // C4
}

const char* PolarisationLetter(std::uint8_t Code) {
    return Code < PolarisationNames.size() ? PolarisationNames[Code] : "";
}

}  // namespace

void TCxfSQLExporter::Export(const TExportOptions& Options) {
    if (Options.CxfFile == nullptr || *Options.CxfFile == nullptr)
        throw ECxfError("No channel database to export");
    TCxfFile& Database = **Options.CxfFile;

    // Order 8 compares nothing but the pay-TV flag: free channels come first.
    Database.SortChannels(BY_ORIGINAL_CHANNEL_ID);

    std::string Out;
    Out.reserve(HeadText.size() + 128 + Database.Satellites().size() * SatelliteStatementSize +
                Database.Transponders().size() * TransponderStatementSize +
                Database.Packages().size() * PackageStatementSize +
                Database.Channels().size() * ChannelStatementSize);

    Out.append(HeadText);
    Out.append("\r\n# Satellitendaten\r\n");
    for (const auto& Satellite : Database.Satellites()) {
        if (!SatelliteIsWritten(*Satellite, Options)) continue;
        TStatementWriter(Out, "satellite")
            .Number(Satellite->Number)
            .Degrees(Satellite->Position)
            .Text(Satellite->Name)
            .Flag(Satellite->AC)
            .Flag(Satellite->UF)
            .End();
    }

    Out.append("\r\n# Transponderdaten\r\n");
    for (const auto& Transponder : Database.Transponders()) {
        if (!TransponderIsWritten(*Transponder, Options)) continue;
        TStatementWriter(Out, "transponder")
            .Number(Transponder->Number)
            .Number(Transponder->Frequency)
            .Number(Transponder->Symbolrate)
            .Literal(PolarisationLetter(Transponder->Polarisation))
            .Number(Transponder->SatelliteIndex + 1u)
            .Number(Transponder->OriginalNetworkID)
            .Number(Transponder->TransportStreamID)
            .Flag(Transponder->UF)
            .End();
    }

    Out.append("\r\n# Anbieterdaten\r\n");
    const auto& Packages = Database.Packages();
    for (std::size_t Index = 0; Index < Packages.size(); ++Index)
        TStatementWriter(Out, "package").Number(static_cast<unsigned>(Index)).Text(Packages[Index]).End();

    Out.append("\r\n# Kanaldaten\r\n");
    for (const auto& Channel : Database.Channels()) {
        if (!ChannelIsWritten(*Channel, Options)) continue;
        TStatementWriter(Out, "channel")
            .Number(Channel->Number)
            .Text(Channel->Name)
            .Flag(Channel->UF)
            .Number(Channel->AudioPID)
            .Number(Channel->VideoPID)
            .Number(Channel->PCRPID)
            .Number(Channel->TeletextPID)
            .Number(Channel->ServiceID)
            .Number(Channel->TransponderIndex + 1u)
            .Flag(Channel->PayTV)
            .Number(Channel->PackageID)
            .End();
    }

    FSink.Write(Options.FileName, Out);
}
