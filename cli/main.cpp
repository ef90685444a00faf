// zanvero-cli: converts a .cxf channel file into HTML pages, a CSV file or a
// MySQL dump, without the window.
//
//   zanvero-cli --format html|csv|sql --output PATH [--exclude LIST]
//               [--decimal-separator C] [--head-text FILE] INPUT.cxf
//
// Exit status: 0 done, 1 the input could not be loaded or the output not
// written, 2 the command line was wrong.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QStringList>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <unistd.h>
#include <vector>

#include "CxfCSVExporterUnit.h"
#include "CxfExportWriter.h"
#include "CxfFileUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfSQLExporterUnit.h"
#include "DirectoriesUnit.h"

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

namespace {

#ifdef Q_OS_WIN
// Windows hands the program its command line in UTF-16 (QCoreApplication
// reads it from there), and the core takes UTF-8 paths on Windows; the ANSI
// bytes of argv are never needed.
std::string EncodeName(const QString& Path) { return Path.toStdString(); }
constexpr bool KeepRawArguments = false;

// Messages end in LF as on Linux; the exported bytes are never translated.
void PrepareStandardStreams() {
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
}
#else
std::string EncodeName(const QString& Path) {
    const QByteArray Encoded = QFile::encodeName(Path);
    return std::string(Encoded.constData(), static_cast<std::size_t>(Encoded.size()));
}
constexpr bool KeepRawArguments = true;

// A closed pipe on standard output must end as a write error with its
// message, not as a silent death by signal.
void PrepareStandardStreams() { std::signal(SIGPIPE, SIG_IGN); }
#endif

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

constexpr const char* Synopsis =
    "Usage: zanvero-cli --format html|csv|sql --output PATH [--exclude LIST] "
    "[--decimal-separator C] [--head-text FILE] INPUT.cxf\n";

// A wrong command line; its text says what was wrong.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class TFormat { Html, Csv, Sql };

struct TRequest {
    TFormat Format = TFormat::Csv;
    std::string Input;   // local 8-bit path
    std::string Output;  // local 8-bit path
    bool ToStandardOutput = false;  // csv and sql with the output "-"
    TExportOptions Options;
    char DecimalSeparator = '.';
    std::string HeadTextFile;  // empty: the built-in head text
};

// Qt decodes the command line as UTF-8 and replaces every byte that does not
// fit; a file name from an older Latin-1 system would then name a file that
// does not exist. Arguments that do not survive the round trip are kept as
// their raw bytes, and paths are taken from those.
class TRawArguments {
public:
    TRawArguments(int argc, char** argv) {
        if (!KeepRawArguments) return;
        for (int i = 1; i < argc; ++i) {
            const std::string Raw = argv[i];
            Remember(Raw);
            const std::size_t Equals = Raw.find('=');
            if (Raw.rfind("--", 0) == 0 && Equals != std::string::npos) Remember(Raw.substr(Equals + 1));
        }
    }

    std::string LocalPath(const QString& Path) const {
        const auto Found = FRaw.find(Path);
        return Found != FRaw.end() && !Found->second.empty() ? Found->second : EncodeName(Path);
    }

private:
    void Remember(const std::string& Raw) {
        const QString Decoded = QString::fromLocal8Bit(Raw.data(), static_cast<qsizetype>(Raw.size()));
        if (EncodeName(Decoded) == Raw) return;
        const auto [Entry, Added] = FRaw.emplace(Decoded, Raw);
        // Two different names that read the same cannot be told apart.
        if (!Added && Entry->second != Raw) Entry->second.clear();
    }

    std::map<QString, std::string> FRaw;
};

std::string Quoted(const QString& Text) { return "\"" + Text.toStdString() + "\""; }

// The last value of an option that may be given once.
QString SingleValue(const QCommandLineParser& Parser, const QString& Name) {
    const QStringList Values = Parser.values(Name);
    if (Values.size() > 1) throw EUsageError("--" + Name.toStdString() + " given more than once");
    return Values.isEmpty() ? QString() : Values.front();
}

TFormat ParseFormat(const QCommandLineParser& Parser) {
    if (!Parser.isSet("format")) throw EUsageError("missing --format (html, csv or sql)");
    const QString Format = SingleValue(Parser, "format");
    if (Format == "html") return TFormat::Html;
    if (Format == "csv") return TFormat::Csv;
    if (Format == "sql") return TFormat::Sql;
    throw EUsageError("unknown format " + Quoted(Format) + " (expected html, csv or sql)");
}

void ParseExclusions(const QStringList& Lists, TExportOptions& Options) {
    for (const QString& List : Lists) {
        for (const QString& Raw : List.split(',')) {
            const QString Item = Raw.trimmed();
            if (Item == "channel-uf") {
                Options.ExcludeChannelUF = true;
            } else if (Item == "channel-vpid") {
                Options.ExcludeChannelVPID = true;
            } else if (Item == "transponder-uf") {
                Options.ExcludeTransponderUF = true;
            } else if (Item == "satellite-uf") {
                Options.ExcludeSatelliteUF = true;
            } else if (Item == "all") {
                Options.ExcludeChannelUF = Options.ExcludeChannelVPID = true;
                Options.ExcludeTransponderUF = Options.ExcludeSatelliteUF = true;
            } else {
                throw EUsageError("unknown --exclude item " + Quoted(Item) +
                                  " (expected channel-uf, channel-vpid, transponder-uf, satellite-uf or all)");
            }
        }
    }
}

// The position texts are Windows-1252, so the separator must be one
// character that has a single byte there: printable ASCII or Latin-1.
char ParseSeparator(const QString& Text) {
    if (Text.size() != 1) throw EUsageError("--decimal-separator takes exactly one character, not " + Quoted(Text));
    const char16_t Code = Text.front().unicode();
    if ((Code >= 0x20 && Code < 0x7F) || (Code >= 0xA0 && Code <= 0xFF)) return static_cast<char>(Code);
    throw EUsageError("--decimal-separator " + Quoted(Text) + " is not a printable Windows-1252 character");
}

TRequest ParseCommandLine(const QCommandLineParser& Parser, const TRawArguments& Raw) {
    TRequest Request;
    Request.Format = ParseFormat(Parser);

    if (!Parser.isSet("output")) throw EUsageError("missing --output");
    const QString Output = SingleValue(Parser, "output");
    if (Output.isEmpty()) throw EUsageError("--output needs a path");
    Request.Output = Raw.LocalPath(Output);
    Request.ToStandardOutput = Output == "-" && Request.Format != TFormat::Html;

    ParseExclusions(Parser.values("exclude"), Request.Options);

    Request.DecimalSeparator = Parser.isSet("decimal-separator")
                                   ? ParseSeparator(SingleValue(Parser, "decimal-separator"))
                                   : LocaleDecimalSeparator();

    if (Parser.isSet("head-text")) {
        const QString HeadText = SingleValue(Parser, "head-text");
        if (HeadText.isEmpty()) throw EUsageError("--head-text needs a file name");
        Request.HeadTextFile = Raw.LocalPath(HeadText);
    }

    const QStringList Inputs = Parser.positionalArguments();
    if (Inputs.isEmpty()) throw EUsageError("missing INPUT.cxf");
    if (Inputs.size() > 1) throw EUsageError("exactly one INPUT.cxf expected, got " + std::to_string(Inputs.size()));
    if (Inputs.front().isEmpty()) throw EUsageError("INPUT.cxf is an empty name");
    Request.Input = Raw.LocalPath(Inputs.front());
    return Request;
}

// One entry per line of a UTF-8 file, line ends removed. A byte-order mark
// that an editor put in front would end up as stray text inside the page
// head, so it is dropped.
std::vector<std::string> ReadHeadText(const std::string& FileName) {
    // As UTF-8 text the name reaches Windows' wide API; Linux gets its bytes.
    std::ifstream In(std::filesystem::path(std::u8string(FileName.begin(), FileName.end())), std::ios::binary);
    if (!In) throw ECxfError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
    std::string Bytes{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    if (In.bad()) throw ECxfError("Cannot read file \"" + FileName + "\"");
    if (Bytes.rfind("\xEF\xBB\xBF", 0) == 0) Bytes.erase(0, 3);

    QStringDecoder Decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    [[maybe_unused]] const QString Decoded = Decoder.decode(QByteArrayView(Bytes.data(), static_cast<qsizetype>(Bytes.size())));
    if (Decoder.hasError()) throw ECxfError("Head text file \"" + FileName + "\" is not UTF-8");

    std::vector<std::string> Lines;
    std::size_t Start = 0;
    while (Start < Bytes.size()) {
        std::size_t End = Bytes.find('\n', Start);
        if (End == std::string::npos) End = Bytes.size();
        std::size_t Cut = End;
        if (Cut > Start && Bytes[Cut - 1] == '\r') --Cut;
        Lines.push_back(Bytes.substr(Start, Cut - Start));
        Start = End + 1;
    }
    return Lines;
}

// The exporter takes the directory as a plain prefix of its page names.
std::string DirectoryPrefix(std::string Directory) {
    while (Directory.size() > 1 && Directory.back() == '/') Directory.pop_back();
    if (Directory.back() != '/') Directory.push_back('/');
    return Directory;
}

void MakeDirectory(const std::string& Directory) {
    std::string Reason;
    if (!ForceDirectories(Directory, &Reason))
        throw ECxfError("Unable to create directory \"" + Directory + "\". " + Reason);
}

void Convert(TRequest& Request) {
    std::vector<std::string> HeadText = {DefaultHtmlHeadText};
    if (Request.Format == TFormat::Html && !Request.HeadTextFile.empty())
        HeadText = ReadHeadText(Request.HeadTextFile);

    std::unique_ptr<TCxfFile> Database;
    Request.Options.CxfFile = &Database;
    Database = std::make_unique<TCxfFile>(Request.Input, Request.DecimalSeparator);

    TDescriptorSink StandardOutput(STDOUT_FILENO);
    TOutputSink& Sink = Request.ToStandardOutput ? static_cast<TOutputSink&>(StandardOutput) : DefaultFileSink();
    switch (Request.Format) {
        case TFormat::Html:
            MakeDirectory(Request.Output);
            Request.Options.ExportDirectory = DirectoryPrefix(Request.Output);
            TCxfHTMLExporter(Sink).Export(Request.Options, HeadText);
            break;
        case TFormat::Csv:
            Request.Options.FileName = Request.Output;
            TCxfCSVExporter(Sink).Export(Request.Options);
            break;
        case TFormat::Sql:
            Request.Options.FileName = Request.Output;
            TCxfSQLExporter(Sink).Export(Request.Options);
            break;
    }
}

void PrintError(const std::string& Message) {
    const std::string Line = "zanvero-cli: " + Message + "\n";
    std::fwrite(Line.data(), 1, Line.size(), stderr);
}

int Run(const QStringList& Arguments, const TRawArguments& Raw) {
    QCommandLineParser Parser;
    Parser.setApplicationDescription(
        "Converts the channel settings file (.cxf) of a satellite receiver into HTML pages, a CSV file or a MySQL "
        "dump.");
    const QCommandLineOption Help = Parser.addHelpOption();
    const QCommandLineOption Version = Parser.addVersionOption();
    Parser.addOptions({
        {"format", "Output format: html, csv or sql.", "html|csv|sql"},
        {"output", "html: the directory for the pages (created when missing); csv, sql: the file, - for standard "
                   "output.", "PATH"},
        {"exclude", "Comma-separated: channel-uf, channel-vpid, transponder-uf, satellite-uf, or all. Default: "
                    "nothing is excluded.", "LIST"},
        {"decimal-separator", "The decimal separator of the satellite positions in CSV and HTML. Default: the "
                              "locale's.", "C"},
        {"head-text", "HTML head text, one entry per line of this UTF-8 file. Default: the built-in head text.",
         "FILE"},
    });
    Parser.addPositionalArgument("INPUT.cxf", "The receiver's channel settings file.");

    if (!Parser.parse(Arguments)) throw EUsageError(Parser.errorText().toStdString());
    if (Parser.isSet(Help)) {
        // The help names the program as users call it, not by the path it
        // was started with.
        QString HelpText = Parser.helpText();
        const QString Started = "Usage: " + Arguments.value(0);
        if (HelpText.startsWith(Started))
            HelpText.replace(0, Started.size(), "Usage: " + QCoreApplication::applicationName());
        const std::string Text = HelpText.toStdString();
        std::fwrite(Text.data(), 1, Text.size(), stdout);
        return 0;
    }
    if (Parser.isSet(Version)) {
        const std::string Text = "zanvero-cli " + QCoreApplication::applicationVersion().toStdString() + "\n";
        std::fwrite(Text.data(), 1, Text.size(), stdout);
        return 0;
    }

    TRequest Request = ParseCommandLine(Parser, Raw);
    Convert(Request);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    PrepareStandardStreams();
    try {
        const TRawArguments Raw(argc, argv);
        QCoreApplication Application(argc, argv);
        QCoreApplication::setApplicationName("zanvero-cli");
        QCoreApplication::setApplicationVersion(ZANVERO_VERSION);
        return Run(QCoreApplication::arguments(), Raw);
    } catch (const EUsageError& Error) {
        PrintError(Error.what());
        std::fputs(Synopsis, stderr);
        return ExitUsage;
    } catch (const std::exception& Error) {
        PrintError(Error.what());
        return ExitFailure;
    } catch (...) {
        PrintError("unexpected error");
        return ExitFailure;
    }
}
