// Loads dumps into a real MariaDB server, a throwaway one started for this
// process on a Unix socket, and reads every row back.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <pwd.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "CxfImageBuilder.h"
#include "CxfSQLExporterUnit.h"
#include "DemoCxf.h"
#include "TestProcess.h"

namespace {

namespace fs = std::filesystem;
using testsupport::ChannelSpec;
using testsupport::CxfImageBuilder;
using testsupport::FindProgram;
using testsupport::ReadFileBytes;
using testsupport::RunProgram;
using testsupport::SpawnProgram;
using testsupport::TempDir;
using testsupport::TProcessFiles;

std::string Tail(const fs::path& File) {
    std::error_code Ignored;
    if (!fs::exists(File, Ignored)) return "(no " + File.filename().string() + ")";
    const std::string Text = ReadFileBytes(File);
    return Text.size() > 3000 ? Text.substr(Text.size() - 3000) : Text;
}

// One server with its own data directory, removed when the server goes.
class TMariaDbServer {
public:
    TMariaDbServer() {
        const fs::path Data = FDir / "data";
        const passwd* User = getpwuid(geteuid());
        const std::string UserName = User != nullptr ? User->pw_name : "root";
        // Servers that share /tmp collide on the names of their temporary
        // tables while they install their system tables.
        const fs::path Tmp = FDir / "tmp";
        fs::create_directory(Tmp);
        const std::string TmpDir = "--tmpdir=" + Tmp.string();
        const int Installed = RunProgram({FindProgram("mariadb-install-db"), "--no-defaults", "--datadir=" + Data.string(),
                                   "--auth-root-authentication-method=normal", "--skip-test-db",
                                   "--user=" + UserName, TmpDir},
                                  {{}, FDir / "install.log", FDir / "install.log", FDir.Path()});
        if (Installed != 0) {
            FFailure = "mariadb-install-db failed (" + std::to_string(Installed) + "):\n" + Tail(FDir / "install.log");
            return;
        }
        FPid = SpawnProgram({FindProgram("mariadbd"), "--no-defaults", "--datadir=" + Data.string(),
                      "--socket=" + Socket(), "--skip-networking", "--user=" + UserName, TmpDir,
                      "--pid-file=" + (FDir / "server.pid").string()},
                     {{}, FDir / "server.log", FDir / "server.log", FDir.Path()});
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        while (std::chrono::steady_clock::now() < Deadline) {
            int Status = 0;
            if (waitpid(FPid, &Status, WNOHANG) == FPid) {
                FPid = -1;
                FFailure = "mariadbd ended while starting:\n" + Tail(FDir / "server.log");
                return;
            }
            if (Client({"-e", "CREATE DATABASE IF NOT EXISTS zanvero"}, {{}, {}, FDir / "ping.err", {}}) == 0) return;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        FFailure = "mariadbd did not answer within 90 s:\n" + Tail(FDir / "server.log");
    }

    ~TMariaDbServer() {
        if (FPid <= 0) return;
        kill(FPid, SIGTERM);
        const auto Deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        int Status = 0;
        while (waitpid(FPid, &Status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > Deadline) {
                kill(FPid, SIGKILL);
                waitpid(FPid, &Status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }

    const std::string& Failure() const { return FFailure; }
    std::string Socket() const { return (FDir / "mysqld.sock").string(); }
    const fs::path& Dir() const { return FDir.Path(); }

    // The plain client, as a user would run it, with the given arguments.
    int Client(std::vector<std::string> Args, const TProcessFiles& Files) const {
        Args.insert(Args.begin(), {FindProgram("mariadb"), "--no-defaults", "--socket=" + Socket(), "-u", "root"});
        return RunProgram(Args, Files);
    }

    // Rows of a query as tab-separated lines, with the names' bytes in the
    // character set (Windows-1252 is the server's latin1), unescaped.
    std::vector<std::string> Query(const std::string& Sql, TCharset Charset = TCharset::Windows1252) const {
        const fs::path Out = FDir / "query.out", Err = FDir / "query.err";
        const std::string ClientCharset = Charset == TCharset::Utf8 ? "utf8mb4" : "latin1";
        const int Code = Client({"--default-character-set=" + ClientCharset, "--batch", "--raw", "--skip-column-names",
                                 "-e", Sql, "zanvero"},
                                {{}, Out, Err, {}});
        EXPECT_EQ(Code, 0) << Sql << "\n" << Tail(Err);
        std::vector<std::string> Rows;
        std::istringstream Lines(ReadFileBytes(Out));
        for (std::string Line; std::getline(Lines, Line);) Rows.push_back(Line);
        return Rows;
    }

private:
    TempDir FDir;
    pid_t FPid = -1;
    std::string FFailure;
};

// --- images ------------------------------------------------------------------

// Names that break naive quoting, umlauts and the euro sign, every
// polarisation, UF flags on all three levels, positions at and beyond 3600,
// transponders without a satellite and pay-TV packages.
CxfImageBuilder AwkwardImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Astra 19.2E", 192 | 0x2000})
        .Satellite(1, {"Hot'Bird\\", 130 | 0x1000})
        .Satellite(2, {"\xC3\x84rger \xE2\x82\xAC", 3600})
        .Satellite(3, {"Beyond", 3601})
        .Satellite(4, {"Say \"Hi\"", 282 | 0x3000})
        .Satellite(5, {"it's", 4095})
        .Transponder(0, {11494 | 1 << 14, 22000, 0, 0, 1, 1101})
        .Transponder(1, {12603, 27500, 1, 1, 318, 5400})
        .Transponder(2, {10714 | 2 << 14, 1000, 2, 0, 65535, 65535})
        .Transponder(3, {16383 | 3 << 14, 65535, 3, 0, 0, 0})
        .Transponder(4, {11000, 1000, 99, 0, 0, 0})
        .Transponder(5, {11100, 1000, 4, 1, 7, 8})
        .Transponder(6, {11200, 1000, 5, 0, 7, 8});
    const std::vector<ChannelSpec> Channels = {
        {"Das Erste", 0, 101, 102, 101, 104, 28106},
        {"O'Neil's", 0, 0, 8191, 8191, 8191, 65535},
        {"End\\", 0, 0x2000 | 5, 1, 2, 3, 4},
        {"\\! touch pwned", 0, 0x1000, 1, 2, 3, 4},
        {"<$Sky's \"Best\">", 0, 0, 0, 0, 0, 0},
        {"Sky \xE2\x82\xAC", 0, 255, 256, 255, 0, 10},
        {"\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F", 0, 300, 301, 0, 0, 1},
        {"<\xC3\x96""ffentlich>", 1, 1, 2, 3, 4, 5},
        {"Kanal ''", 1, 0, 2, 3, 4, 5},
        {"Far", 3, 7, 8, 9, 10, 11},
        {"Lost", 4, 7, 8, 9, 10, 11},
        {"Quote\\'", 2, 7, 8, 9, 10, 11},
        {"UF sat", 5, 7, 8, 9, 10, 11},
        {"3601 sat", 6, 7, 8, 9, 10, 11},
        {"\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC\xE2\x82\xAC", 2, 1, 0, 0, 0, 0},
    };
    for (std::size_t i = 0; i < Channels.size(); ++i) Image.Channel(static_cast<int>(i), Channels[i]);
    return Image;
}

// Every slot of every table in use.
CxfImageBuilder FullImage() {
    CxfImageBuilder Image;
    for (int i = 0; i < SatelliteCount; ++i)
        Image.Satellite(i, {"Sat '" + std::to_string(i) + "' \\ \xC3\xBC", static_cast<std::uint16_t>(i * 36 + i % 4 * 0x1000)});
    for (int i = 0; i < TransponderCount; ++i)
        Image.Transponder(i, {static_cast<std::uint16_t>(10000 + i * 6 + (i % 4 << 14)),
                              static_cast<std::uint16_t>(i * 61), static_cast<std::uint8_t>(i % SatelliteCount),
                              static_cast<std::uint8_t>(i % 3 == 0), static_cast<std::uint16_t>(i),
                              static_cast<std::uint16_t>(65535 - i)});
    for (int i = 0; i < ChannelCount; ++i) {
        std::string Name = i % 50 == 0 ? "<$Pay " + std::to_string(i) + ">" : "Ch \xE2\x82\xAC'" + std::to_string(i);
        Image.Channel(i, {Name, static_cast<std::uint16_t>(i % TransponderCount),
                          static_cast<std::uint16_t>(i * 3 % 0x4000), static_cast<std::uint16_t>(i % 8192),
                          static_cast<std::uint16_t>((i * 5) % 8192), static_cast<std::uint16_t>(i % 17),
                          static_cast<std::uint16_t>(i * 26)});
    }
    return Image;
}

// Names in alphabets that Windows-1252 lacks, characters beyond 16 bits,
// quoting in UTF-8, and a name of 10 two-byte letters that fills its field.
CxfImageBuilder Utf8Image() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Hot Bird 13°E", 130})
        .Satellite(1, {"Türksat 42E", 420})
        .Transponder(0, {11034 | 1 << 14, 27500, 0, 0, 318, 5100})
        .Transponder(1, {12000, 27500, 1, 0, 1, 2});
    int Slot = 0;
    for (const char* Name : {"<Мир>", "Россия 24", "АБВГДЕЖЗИК", "<$Ελληνικά>", "ΕΡΤ World", "الجزيرة", "Radio 📻 🎵"}) {
        Image.Channel(Slot, {Name, 0, static_cast<std::uint16_t>(100 + Slot), 2, 3, 4, 5});
        ++Slot;
    }
    Image.Channel(Slot, {"ČT1 'Č'\\", 1, 1, 2, 3, 4, 5}).Channel(Slot + 1, {"<мир>", 1, 0, 0, 0, 0, 0});
    return Image;
}

// The demo line-up, whose Hot Bird carries Greek, Cyrillic and Arabic names.
CxfImageBuilder DemoImage() {
    CxfImageBuilder Image;
    const auto Bytes = BuildDemoImage();
    Image.PutBytes(0, std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    return Image;
}

// Names built to end a statement early when the importing server reads a
// backslash as an ordinary character: a package marker that would drop a
// table of the user's (its package statement is the first one to hold an
// apostrophe), comments of every kind, and backslashes before and after
// apostrophes.
CxfImageBuilder HostileImage() {
    CxfImageBuilder Image;
    Image.Satellite(0, {"Sat \"1\" -- #; /*", 192}).Satellite(1, {"It's \\ 2", 130}).Transponder(0, {11494, 22000, 0, 0, 1, 1101});
    int Slot = 0;
    for (const char* Name : {"<');DROP TABLE p;#>", "Rock'n'Roll TV", "a\\'; DROP TABLE p;--", "x\\",
                             "#1 \"Hits\" -- live", "<$Pay'; -- #>", "\\\\''\\", "Gr\xC3\xBC\xC3\x9F'e; #"})
        Image.Channel(Slot++, {Name, 0, 100, 101, 102, 103, 104});
    return Image;
}

// --- expected rows, taken from the database records ----------------------

std::string Join(std::initializer_list<std::string> Fields) {
    std::string Line;
    bool First = true;
    for (const auto& Field : Fields) {
        if (!First) Line += '\t';
        Line += Field;
        First = false;
    }
    return Line;
}

std::string N(unsigned Value) { return std::to_string(Value); }

// Rows whose ID is in Ids; every record of the table when Ids holds no value.
std::vector<std::string> SatelliteRows(const TCxfFile& Db, const std::optional<std::vector<int>>& Ids) {
    std::vector<std::string> Rows;
    for (const auto& S : Db.Satellites())
        if (!Ids || std::find(Ids->begin(), Ids->end(), S->Number) != Ids->end())
            Rows.push_back(Join({N(S->Number), N(S->Position), S->Name, N(S->AC), N(S->UF)}));
    return Rows;
}

std::vector<std::string> TransponderRows(const TCxfFile& Db, const std::optional<std::vector<int>>& Ids) {
    std::vector<std::string> Rows;
    for (const auto& T : Db.Transponders())
        if (!Ids || std::find(Ids->begin(), Ids->end(), T->Number) != Ids->end())
            Rows.push_back(Join({N(T->Number), N(T->Frequency), N(T->Symbolrate), PolarisationNames.at(T->Polarisation),
                                 N(T->SatelliteIndex + 1u), N(T->OriginalNetworkID), N(T->TransportStreamID),
                                 N(T->UF)}));
    return Rows;
}

std::vector<std::string> ChannelRows(const TCxfFile& Db, const std::optional<std::vector<int>>& Ids) {
    std::vector<const TChannel*> ById;
    for (const auto& C : Db.Channels())
        if (!Ids || std::find(Ids->begin(), Ids->end(), C->Number) != Ids->end()) ById.push_back(C);
    std::sort(ById.begin(), ById.end(), [](auto* A, auto* B) { return A->Number < B->Number; });
    std::vector<std::string> Rows;
    for (const TChannel* C : ById)
        Rows.push_back(Join({N(C->Number), C->Name, N(C->UF), N(C->AudioPID), N(C->VideoPID), N(C->PCRPID),
                             N(C->TeletextPID), N(C->ServiceID), N(C->TransponderIndex + 1u), N(C->PayTV),
                             N(C->PackageID)}));
    return Rows;
}

std::vector<std::string> PackageRows(const TCxfFile& Db) {
    std::vector<std::string> Rows;
    for (std::size_t i = 0; i < Db.Packages().size(); ++i)
        Rows.push_back(Join({N(static_cast<unsigned>(i)), Db.Packages()[i]}));
    return Rows;
}

struct TServerCase {
    const char* Label;
    CxfImageBuilder (*Image)();
    bool ExcludeAll;
    // Rows expected by ID; no value means every record of the table.
    std::optional<std::vector<int>> Satellites, Transponders, Channels;
    TCharset Charset = TCharset::Windows1252;
    // The server's global sql_mode while the dump loads; none: its default.
    const char* SqlMode = nullptr;
};

void PrintTo(const TServerCase& Case, std::ostream* Out) { *Out << Case.Label; }

class SqlMariaDb : public testing::TestWithParam<TServerCase> {
protected:
    static void SetUpTestSuite() { Server = new TMariaDbServer; }
    static void TearDownTestSuite() {
        delete Server;
        Server = nullptr;
    }
    // A server that cannot start fails the test: the check must not vanish.
    void SetUp() override {
        ASSERT_NE(Server, nullptr) << "the MariaDB server could not be set up";
        ASSERT_EQ(Server->Failure(), "") << "the MariaDB server did not start";
    }

    static TMariaDbServer* Server;
};

TMariaDbServer* SqlMariaDb::Server = nullptr;

TEST_P(SqlMariaDb, DumpLoadsTwiceInStrictModeAndKeepsEveryValue) {
    const TServerCase& Case = GetParam();
    const CxfImageBuilder Image = Case.Image();
    auto Database = testsupport::LoadImage(Image, ',', Case.Charset);
    TExportOptions Options;
    Options.CxfFile = &Database;
    Options.FileName = (Server->Dir() / "dump.sql").string();
    Options.ExcludeChannelUF = Options.ExcludeChannelVPID = Case.ExcludeAll;
    Options.ExcludeTransponderUF = Options.ExcludeSatelliteUF = Case.ExcludeAll;
    TCxfSQLExporter().Export(Options);

    // The mode is the server's, as an administrator sets it; a table of the
    // user's stands beside the dump's and must outlive every load.
    struct TModeRestorer {
        ~TModeRestorer() { Server->Query("SET GLOBAL sql_mode = DEFAULT"); }
    } RestoreMode;
    if (Case.SqlMode != nullptr) Server->Query(std::string("SET GLOBAL sql_mode = '") + Case.SqlMode + "'");
    const auto Mode = Server->Query("SELECT @@GLOBAL.sql_mode");
    ASSERT_THAT(Mode, testing::ElementsAre(testing::HasSubstr(Case.SqlMode ? "NO_BACKSLASH_ESCAPES" : "STRICT_TRANS_TABLES")));
    Server->Query("CREATE OR REPLACE TABLE p (Kept int); INSERT INTO p VALUES (7)");

    // The second load goes over the first, through a client set to UTF-8 as
    // many installations configure it: the dump must say what its bytes are.
    const std::vector<std::vector<std::string>> Loads = {{"zanvero"},
                                                         {"--default-character-set=utf8mb4", "zanvero"}};
    for (const auto& Arguments : Loads) {
        SCOPED_TRACE("client arguments: " + testing::PrintToString(Arguments));
        const fs::path Err = Server->Dir() / "load.err";
        const int Code = Server->Client(Arguments, {Options.FileName, Server->Dir() / "load.out", Err, Server->Dir()});
        EXPECT_FALSE(fs::exists(Server->Dir() / "pwned")) << "a name ran a client command";
        EXPECT_EQ(Server->Query("SELECT Kept FROM p"), std::vector<std::string>{"7"}) << "a name ran as SQL";
        ASSERT_EQ(Code, 0) << Tail(Err);
        EXPECT_EQ(ReadFileBytes(Err), "");

        EXPECT_EQ(Server->Query("SELECT ID, ROUND(OrbitalPosition * 10), Name, AC, UF FROM satellite ORDER BY ID",
                                Case.Charset),
                  SatelliteRows(*Database, Case.Satellites));
        EXPECT_EQ(Server->Query("SELECT ID, Frequency, Symbolrate, Polarisation, SatelliteID, OriginalNetworkID, "
                                "TransportStreamID, UF FROM transponder ORDER BY ID"),
                  TransponderRows(*Database, Case.Transponders));
        EXPECT_EQ(Server->Query("SELECT ID, Name FROM package ORDER BY ID", Case.Charset), PackageRows(*Database));
        EXPECT_EQ(Server->Query("SELECT ID, Name, UF, AudioPID, VideoPID, PCRPID, TeletextPID, ServiceID, "
                                "TransponderID, PayTV, PackageID FROM channel ORDER BY ID",
                                Case.Charset),
                  ChannelRows(*Database, Case.Channels));
    }
}

// IDs 1 to Count without the given ones.
std::vector<int> AllBut(int Count, std::initializer_list<int> Left) {
    std::vector<int> Ids;
    for (int Id = 1; Id <= Count; ++Id)
        if (std::find(Left.begin(), Left.end(), Id) == Left.end()) Ids.push_back(Id);
    return Ids;
}

// Awkward image: satellites 4 and 6 lie beyond 3600, transponder 5 names no
// satellite; satellite 2 and 5 carry UF, transponders 2 and 6 too; channels
// 2, 3, 4, 5, 9 have VPID 0 or UF; channel 11 is on transponder 5.
INSTANTIATE_TEST_SUITE_P(
    Images, SqlMariaDb,
    testing::Values(
        TServerCase{"AwkwardNamesNothingExcluded", AwkwardImage, false, AllBut(99, {4, 6}), AllBut(7, {5}),
                    AllBut(15, {11})},
        TServerCase{"AwkwardNamesEverythingExcluded", AwkwardImage, true, AllBut(99, {2, 4, 5, 6}),
                    std::vector<int>{1, 3, 4, 7}, std::vector<int>{1, 6, 7, 10, 12, 14, 15}},
        TServerCase{"EveryTableFull", FullImage, false, std::nullopt, std::nullopt, std::nullopt},
        TServerCase{"EmptyDump", testsupport::NothingToExportImage, false, std::vector<int>{}, std::vector<int>{},
                    std::vector<int>{}},
        TServerCase{"Utf8Names", Utf8Image, false, std::nullopt, std::vector<int>{1, 2}, std::nullopt, TCharset::Utf8},
        TServerCase{"Utf8Demo", DemoImage, false, std::nullopt, AllBut(25, {}), std::nullopt, TCharset::Utf8},
        TServerCase{"HostileNamesNoBackslashEscapes", HostileImage, false, std::nullopt, std::vector<int>{1}, std::nullopt,
                    TCharset::Windows1252, "NO_BACKSLASH_ESCAPES"},
        TServerCase{"HostileNamesAnsiNoBackslashEscapes", HostileImage, false, std::nullopt, std::vector<int>{1},
                    std::nullopt, TCharset::Windows1252, "ANSI,NO_BACKSLASH_ESCAPES"},
        TServerCase{"HostileNamesDefaultMode", HostileImage, false, std::nullopt, std::vector<int>{1}, std::nullopt},
        TServerCase{"HostileUtf8NoBackslashEscapes", HostileImage, false, std::nullopt, std::vector<int>{1}, std::nullopt,
                    TCharset::Utf8, "NO_BACKSLASH_ESCAPES"},
        TServerCase{"HostileUtf8AnsiNoBackslashEscapes", HostileImage, false, std::nullopt, std::vector<int>{1},
                    std::nullopt, TCharset::Utf8, "ANSI,NO_BACKSLASH_ESCAPES"},
        TServerCase{"HostileUtf8DefaultMode", HostileImage, false, std::nullopt, std::vector<int>{1}, std::nullopt,
                    TCharset::Utf8}),
    [](const testing::TestParamInfo<TServerCase>& Info) { return std::string(Info.param.Label); });

}  // namespace
