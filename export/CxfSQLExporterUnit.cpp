#include "CxfSQLExporterUnit.h"

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// The head drops and re-creates the four tables. MyISAM is named with ENGINE
// because current servers no longer accept the old TYPE keyword; Polarisation
// holds the letter that the statements write, so it is a char(1), not a
// number; and SET NAMES tells the server that every name is a Windows-1252
// byte (the server's latin1), so umlauts and the euro sign arrive unchanged
// whatever the client's own character set is. Names are escaped with a
// backslash, which a server set to NO_BACKSLASH_ESCAPES takes literally: an
// apostrophe in a name would then end the string and run the rest of the
// name as SQL. So the dump turns that one flag off for its own session and
// leaves every other flag of the importer's mode (strict mode included) alone.
constexpr std::string_view HeadText =
    "# MySql kompatibler SQL-Dump\r\n"
    "# Generiert mit dem \"Zanvero\" (https://www.morvane.example)\r\n"
    "/*!40101 SET NAMES latin1 */;\r\n"
    "/*!40101 SET SQL_MODE=REPLACE(@@SQL_MODE, 'NO_BACKSLASH_ESCAPES', '') */;\r\n"
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

// A UTF-8 dump tells the server so for the connection and for the tables
// (utf8mb4 is its name for all of UTF-8, four-byte characters included); the
// head's own umlauts are UTF-8 then, too.
std::string Utf8HeadText() {
    std::string Head(HeadText);
    auto ReplaceAll = [&Head](std::string_view From, std::string_view To) {
        for (std::size_t At = Head.find(From); At != std::string::npos; At = Head.find(From, At + To.size()))
            Head.replace(At, From.size(), To);
    };
    ReplaceAll("SET NAMES latin1", "SET NAMES utf8mb4");
    ReplaceAll(") ENGINE=MyISAM;", ") ENGINE=MyISAM DEFAULT CHARSET=utf8mb4;");
    ReplaceAll("\xFC", "\xC3\xBC");
    return Head;
}

std::string_view HeadTextFor(TCharset Charset) {
    static const std::string Utf8Head = Utf8HeadText();
    return Charset == TCharset::Utf8 ? std::string_view(Utf8Head) : HeadText;
}

// Positions above a full circle are nonsense that the receiver stores
// anyway; such a satellite gets no row.
constexpr unsigned FullCircle = 3600;

// Room for one statement beyond its names: the fixed text, every separator
// and every number at its widest. A name needs at most twice its length,
// when every byte is escaped.
constexpr std::size_t SatelliteStatementRoom = 96;
constexpr std::size_t TransponderStatementRoom = 128;
constexpr std::size_t PackageStatementRoom = 64;
constexpr std::size_t ChannelStatementRoom = 160;
constexpr std::size_t SectionTitlesRoom = 128;

// The dump is written into one buffer, at Data, that is sized beforehand for
// the largest possible text, so that appending is a plain copy without checks.
class TDumpBuffer {
public:
    explicit TDumpBuffer(char* Data) : FData(Data), FEnd(Data) {}

    template <std::size_t N>
    void Literal(const char (&Text)[N]) {
        FEnd = Copy(FEnd, Text);
    }
    void Append(std::string_view Text) {
        std::memcpy(FEnd, Text.data(), Text.size());
        FEnd += Text.size();
    }

    template <std::size_t N>
    static char* Copy(char* To, const char (&Text)[N]) {
        std::memcpy(To, Text, N - 1);
        return To + N - 1;
    }

    std::string_view View() const { return {FData, static_cast<std::size_t>(FEnd - FData)}; }

    // Statements write through a cursor of their own, which the compiler can
    // keep in a register; they hand it back when they end.
    char* Cursor() const { return FEnd; }
    void MoveTo(char* Cursor) { FEnd = Cursor; }

private:
    char* FData;
    char* FEnd;
};

// Appends one statement: "INSERT INTO <table> VALUES ('a', 'b', ...);" and
// its line end.
class TStatementWriter {
public:
    template <std::size_t N>
    TStatementWriter(TDumpBuffer& Out, const char (&Start)[N]) : FOut(Out), P(TDumpBuffer::Copy(Out.Cursor(), Start)) {}

    TStatementWriter& Number(unsigned Value) {
        Next();
        P = std::to_chars(P, P + 10, Value).ptr;
        return *this;
    }

    TStatementWriter& Flag(bool Value) {
        Next();
        *P++ = Value ? '1' : '0';
        return *this;
    }

    // A backslash starts an escape in the server's string syntax, so it must
    // be doubled before any apostrophe gets its own backslash; otherwise a
    // name ending in a backslash would swallow its closing quote.
    TStatementWriter& Text(std::string_view Value) {
        Next();
        char* To = P;
        for (const char C : Value) {
            if (C == '\\' || C == '\'') *To++ = '\\';
            *To++ = C;
        }
        P = To;
        return *this;
    }

    // Tenths of a degree as degrees, always with "." (the server reads
    // nothing else as a decimal point) and without a trailing ".0".
    TStatementWriter& Degrees(unsigned Tenths) {
        Next();
        P = std::to_chars(P, P + 10, Tenths / 10).ptr;
        if (Tenths % 10 != 0) {
            *P++ = '.';
            *P++ = static_cast<char>('0' + Tenths % 10);
        }
        return *this;
    }

    TStatementWriter& Letter(char Value) {
        Next();
        *P++ = Value;
        return *this;
    }

    void End() { FOut.MoveTo(TDumpBuffer::Copy(P, "');\r\n")); }

private:
    void Next() {
        if (FFirst)
            FFirst = false;
        else
            P = TDumpBuffer::Copy(P, "', '");
    }

    TDumpBuffer& FOut;
    char* P;
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

char PolarisationLetter(std::uint8_t Code) {
    return Code < PolarisationNames.size() ? PolarisationNames[Code][0] : '?';
}

std::size_t Capacity(const TCxfFile& Database) {
    std::size_t Room = HeadTextFor(Database.Charset()).size() + SectionTitlesRoom;
    for (const auto& Satellite : Database.Satellites()) Room += SatelliteStatementRoom + 2 * Satellite->Name.size();
    Room += Database.Transponders().size() * TransponderStatementRoom;
    for (const auto& Package : Database.Packages()) Room += PackageStatementRoom + 2 * Package.size();
    for (const auto& Channel : Database.Channels()) Room += ChannelStatementRoom + 2 * Channel->Name.size();
    return Room;
}

}  // namespace

void TCxfSQLExporter::Export(const TExportOptions& Options) {
    if (Options.CxfFile == nullptr || *Options.CxfFile == nullptr)
        throw ECxfError("No channel database to export");
    TCxfFile& Database = **Options.CxfFile;

    // Order 8 compares nothing but the pay-TV flag: free channels come first.
    Database.SortChannels(BY_ORIGINAL_CHANNEL_ID);

    TDumpBuffer Out(FBuffer.Room(Capacity(Database)));
    Out.Append(HeadTextFor(Database.Charset()));
    Out.Literal("\r\n# Satellitendaten\r\n");
    for (const auto& Satellite : Database.Satellites()) {
        if (!SatelliteIsWritten(*Satellite, Options)) continue;
        TStatementWriter(Out, "INSERT INTO satellite VALUES ('")
            .Number(Satellite->Number)
            .Degrees(Satellite->Position)
            .Text(Satellite->Name)
            .Flag(Satellite->AC)
            .Flag(Satellite->UF)
            .End();
    }

    Out.Literal("\r\n# Transponderdaten\r\n");
    for (const auto& Transponder : Database.Transponders()) {
        if (!TransponderIsWritten(*Transponder, Options)) continue;
        TStatementWriter(Out, "INSERT INTO transponder VALUES ('")
            .Number(Transponder->Number)
            .Number(Transponder->Frequency)
            .Number(Transponder->Symbolrate)
            .Letter(PolarisationLetter(Transponder->Polarisation))
            .Number(Transponder->SatelliteIndex + 1u)
            .Number(Transponder->OriginalNetworkID)
            .Number(Transponder->TransportStreamID)
            .Flag(Transponder->UF)
            .End();
    }

    Out.Literal("\r\n# Anbieterdaten\r\n");
    const auto& Packages = Database.Packages();
    for (std::size_t Index = 0; Index < Packages.size(); ++Index)
        TStatementWriter(Out, "INSERT INTO package VALUES ('")
            .Number(static_cast<unsigned>(Index))
            .Text(Packages[Index])
            .End();

    Out.Literal("\r\n# Kanaldaten\r\n");
    for (const auto& Channel : Database.Channels()) {
        if (!ChannelIsWritten(*Channel, Options)) continue;
        TStatementWriter(Out, "INSERT INTO channel VALUES ('")
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

    FSink.Write(Options.FileName, Out.View());
}
