#include "ZanveroCli.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "CompareRunUnit.h"
#include "CxfCSVExporterUnit.h"
#include "CxfExportWriter.h"
#include "CxfFileUnit.h"
#include "CxfHTMLExporterUnit.h"
#include "CxfSQLExporterUnit.h"
#include "DirectoriesUnit.h"
#include "ExportRunUnit.h"
#include "FrontendRulesUnit.h"
#include "HeadTextUnit.h"
#include "Utf8Unit.h"

namespace {

constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;
constexpr int StandardOutputDescriptor = 1;

constexpr const char* ProgramName = "zanvero-cli";
constexpr const char* Synopsis =
    "Usage: zanvero-cli --format html|csv|sql --output PATH [--exclude LIST] "
    "[--decimal-separator C] [--head-text FILE] [--charset windows-1252|utf-8] [--literal-names] INPUT.cxf\n"
    "       zanvero-cli --compare OLD.cxf --format csv|html --output PATH [--exclude LIST] "
    "[--decimal-separator C] [--charset windows-1252|utf-8] [--literal-names] NEW.cxf\n";

// A wrong command line; its text says what was wrong.
class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options that take a value. Each may appear more than once on the
// command line; whether that is allowed is decided when the request is built.
struct TValueOption {
    const char* Name;
    const char* ValueName;
    std::string Help;
};

const TValueOption ValueOptions[] = {
    {"format", "html|csv|sql", "Output format: html, csv or sql."},
    {"output", "PATH", "html: the directory for the pages and their overview index.html (created when missing); "
                       "csv, sql: the file, - for standard output."},
    {"exclude", "LIST", "Comma-separated: " + ExclusionNamesText() + ". Default: nothing is excluded."},
    {"decimal-separator", "C", "The decimal separator of the satellite positions in CSV and HTML. Default: the "
                               "locale's."},
    {"head-text", "FILE", "HTML head text, one entry per line of this UTF-8 file. Default: the built-in head text."},
    {"charset", "windows-1252|utf-8", "Character set of the CSV file and the dump, and of the names in the pages: "
                                      "windows-1252 (letters it lacks become their nearest letter or ?) or utf-8 "
                                      "(every name as the receiver stores it). Default: windows-1252."},
    {"compare", "OLD.cxf", "Instead of converting INPUT.cxf, compares it with this older file and writes the change "
                           "report (--format csv or html) to the file --output names, - for standard output: "
                           "added, removed and changed channels."},
};

// The command line split into option values and inputs.
struct TArguments {
    std::map<std::string, std::vector<std::string>> Values;  // by option name, in the order given
    std::vector<std::string> Inputs;
    bool LiteralNames = false;

    bool IsSet(const std::string& Name) const { return Values.count(Name) != 0; }
    std::vector<std::string> ValuesOf(const std::string& Name) const {
        const auto Found = Values.find(Name);
        return Found == Values.end() ? std::vector<std::string>() : Found->second;
    }
};

enum class TFormat { Html, Csv, Sql };

struct TRequest {
    TFormat Format = TFormat::Csv;
    std::string Input;   // the platform's file name bytes
    std::string Output;  // the platform's file name bytes
    bool ToStandardOutput = false;  // csv and sql with the output "-"
    TExportOptions Options;
    char DecimalSeparator = '.';
    std::string HeadTextFile;  // empty: the built-in head text
    TCharset Charset = TCharset::Windows1252;
    std::string CompareWith;  // the older file of a change report; empty: a conversion
};

void Print(std::FILE* Stream, const std::string& Text) { std::fwrite(Text.data(), 1, Text.size(), Stream); }

// Usage line first, then what the program does, the options and the input.
class THelpFormatter final : public CLI::Formatter {
public:
    THelpFormatter() { label("Positionals", "Arguments"); }
    std::string make_help(const CLI::App* App, std::string Name, CLI::AppFormatMode Mode) const override {
        return make_usage(App, Name) + make_description(App) + make_groups(App, Mode) + make_positionals(App);
    }
    std::string make_usage(const CLI::App*, std::string Name) const override {
        return "Usage: " + Name + " [options] INPUT.cxf\n";
    }
    std::string make_option_opts(const CLI::Option* Option) const override {
        return Option->get_positional() ? std::string() : CLI::Formatter::make_option_opts(Option);
    }
};

// "--name=" gives the option an empty value, as "--name ''" does; left to
// itself the parser would take the next argument as the value instead, and
// "--output= a.cxf b.cxf" would overwrite a.cxf.
std::vector<std::string> WithEmptyValuesSplit(const std::vector<std::string>& Arguments) {
    std::vector<std::string> Split;
    bool Options = true;
    for (const std::string& Argument : Arguments) {
        if (Argument == "--") Options = false;
        if (Options && Argument.size() > 3 && Argument.rfind("--", 0) == 0 && Argument.find('=') == Argument.size() - 1) {
            Split.push_back(Argument.substr(0, Argument.size() - 1));
            Split.emplace_back();
        } else {
            Split.push_back(Argument);
        }
    }
    return Split;
}

// The name of an unknown option as the user typed it, without its dashes
// and value.
std::string OptionName(const std::string& Argument) {
    if (Argument.rfind("--", 0) == 0) return Argument.substr(2, Argument.find('=') - 2);
    return Argument.substr(1, 1);
}

// Splits the command line; nothing when it asked for the help or the
// version, which are then printed.
std::optional<TArguments> SplitCommandLine(const std::vector<std::string>& Arguments) {
    CLI::App App(
        "Converts the channel settings file (.cxf) of a satellite receiver into HTML pages, a CSV file or a MySQL "
        "dump. With --compare, reports what changed against an older one.",
        ProgramName);
    App.formatter(std::make_shared<THelpFormatter>());
    App.set_help_flag("-h,--help", "Shows this help.");
    App.set_version_flag("-v,--version", std::string(ProgramName) + " " + ZANVERO_VERSION, "Shows the version.");
    // Unknown options are collected and reported in the words used below.
    App.allow_extras();
    for (const TValueOption& Option : ValueOptions)
        App.add_option(std::string("--") + Option.Name, Option.Help)
            ->type_name(std::string("<") + Option.ValueName + ">")
            ->expected(1)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    TArguments Split;
    App.add_flag("--literal-names", Split.LiteralNames,
                 "CSV, also a change report's: write every name exactly as stored. By default a name that a spreadsheet would run as a formula "
                 "(such as =1+1, @SUM(A1) or -2+3, but not -5 or -) gets an apostrophe in front, since names come "
                 "from the broadcasts. For a program that reads the file, not a spreadsheet.");
    App.add_option("INPUT.cxf", Split.Inputs, "The receiver's channel settings file.");

    std::vector<std::string> Reversed = WithEmptyValuesSplit(Arguments);
    std::reverse(Reversed.begin(), Reversed.end());
    try {
        App.parse(Reversed);
    } catch (const CLI::CallForHelp&) {
        Print(stdout, App.help());
        return std::nullopt;
    } catch (const CLI::CallForVersion& Version) {
        Print(stdout, std::string(Version.what()) + "\n");
        return std::nullopt;
    } catch (const CLI::ArgumentMismatch& Error) {
        // The command line ended where an option's value should have been.
        for (const TValueOption& Option : ValueOptions) {
            const std::string Name = std::string("--") + Option.Name;
            if (std::string_view(Error.what()).starts_with(Name + ": "))
                throw EUsageError("Missing value after '" + Name + "'.");
        }
        throw EUsageError(Error.what());
    } catch (const CLI::ParseError& Error) {
        throw EUsageError(Error.what());
    }
    for (const std::string& Extra : App.remaining())
        if (Extra != "--") throw EUsageError("Unknown option '" + OptionName(Extra) + "'.");

    for (const TValueOption& Option : ValueOptions) {
        const CLI::Option* Parsed = App.get_option(std::string("--") + Option.Name);
        if (Parsed->count() > 0) Split.Values[Option.Name] = Parsed->results();
    }
    return Split;
}

std::string Quoted(const std::string& Text) { return "\"" + Text + "\""; }

// The value of an option that may be given once.
std::string SingleValue(const TArguments& Arguments, const std::string& Name) {
    const std::vector<std::string> Values = Arguments.ValuesOf(Name);
    if (Values.size() > 1) throw EUsageError("--" + Name + " given more than once");
    return Values.empty() ? std::string() : Values.front();
}

TFormat ParseFormat(const TArguments& Arguments) {
    if (!Arguments.IsSet("format")) throw EUsageError("missing --format (html, csv or sql)");
    const std::string Format = SingleValue(Arguments, "format");
    if (Arguments.IsSet("compare")) {
        if (!ReportFormatNamed(Format))
            throw EUsageError("the change report has no format " + Quoted(Format) + " (expected csv or html)");
        return Format == "csv" ? TFormat::Csv : TFormat::Html;
    }
    if (Format == "html") return TFormat::Html;
    if (Format == "csv") return TFormat::Csv;
    if (Format == "sql") return TFormat::Sql;
    throw EUsageError("unknown format " + Quoted(Format) + " (expected html, csv or sql)");
}

void ParseExclusions(const std::vector<std::string>& Lists, TExportOptions& Options) {
    unsigned Bits = 0;
    for (const std::string& List : Lists) {
        std::size_t Start = 0;
        while (true) {
            const std::size_t Comma = List.find(',', Start);
            const std::string Item = TrimText(List.substr(Start, Comma - Start));
            const unsigned ItemBits = ExclusionBits(Item);
            if (ItemBits == 0)
                throw EUsageError("unknown --exclude item " + Quoted(Item) + " (expected " + ExclusionNamesText() + ")");
            Bits |= ItemBits;
            if (Comma == std::string::npos) break;
            Start = Comma + 1;
        }
    }
    SetExclusions(Options, Bits);
}

// The position texts are Windows-1252, so the separator must be one
// character that has a single byte there.
char ParseSeparator(const std::string& Text) {
    const std::optional<std::u32string> Codes = DecodeUtf8(Text);
    if (Codes && Codes->size() != 1)
        throw EUsageError("--decimal-separator takes exactly one character, not " + Quoted(Text));
    if (const std::optional<char> Byte = DecimalSeparatorByte(Text)) return *Byte;
    throw EUsageError("--decimal-separator " + Quoted(Text) + " is not a printable Windows-1252 character");
}

TCharset ParseCharset(const std::string& Name) {
    if (Name == "windows-1252") return TCharset::Windows1252;
    if (Name == "utf-8") return TCharset::Utf8;
    throw EUsageError("unknown charset " + Quoted(Name) + " (expected windows-1252 or utf-8)");
}

TRequest ParseCommandLine(const TArguments& Arguments) {
    TRequest Request;
    Request.Format = ParseFormat(Arguments);
    if (Arguments.IsSet("compare")) {
        Request.CompareWith = SingleValue(Arguments, "compare");
        if (Request.CompareWith.empty()) throw EUsageError("--compare needs the older .cxf file");
        // The report has a head of its own.
        if (Arguments.IsSet("head-text")) throw EUsageError("--head-text does not apply to --compare");
    }

    if (!Arguments.IsSet("output")) throw EUsageError("missing --output");
    Request.Output = SingleValue(Arguments, "output");
    if (Request.Output.empty()) throw EUsageError("--output needs a path");
    // The pages of a conversion need a directory; a report is one file.
    Request.ToStandardOutput = Request.Output == "-" && (Request.Format != TFormat::Html || !Request.CompareWith.empty());

    ParseExclusions(Arguments.ValuesOf("exclude"), Request.Options);
    Request.Options.CsvLiteralNames = Arguments.LiteralNames;

    // The SQL dump writes "." whatever the locale; reading the locale costs
    // a good part of a short run, so it is read only where it shows.
    if (Arguments.IsSet("decimal-separator"))
        Request.DecimalSeparator = ParseSeparator(SingleValue(Arguments, "decimal-separator"));
    else if (Request.Format != TFormat::Sql)
        Request.DecimalSeparator = LocaleDecimalSeparator();

    if (Arguments.IsSet("head-text")) {
        Request.HeadTextFile = SingleValue(Arguments, "head-text");
        if (Request.HeadTextFile.empty()) throw EUsageError("--head-text needs a file name");
    }

    if (Arguments.IsSet("charset")) Request.Charset = ParseCharset(SingleValue(Arguments, "charset"));

    const std::vector<std::string>& Inputs = Arguments.Inputs;
    if (Inputs.empty()) throw EUsageError("missing INPUT.cxf");
    if (Inputs.size() > 1) throw EUsageError("exactly one INPUT.cxf expected, got " + std::to_string(Inputs.size()));
    if (Inputs.front().empty()) throw EUsageError("INPUT.cxf is an empty name");
    Request.Input = Inputs.front();
    return Request;
}

// One entry per line of a UTF-8 file (HeadTextFileLines).
std::vector<std::string> ReadHeadText(const std::string& FileName) {
    // As UTF-8 text the name reaches Windows' wide API; Linux gets its bytes.
    // Linux opens a directory like a file and fails only when it is read;
    // Windows refuses to open it, for want of access.
    if (DirectoryExists(FileName))
        throw ECxfError("Cannot open file \"" + FileName + "\". " + std::strerror(EISDIR));
    std::ifstream In(std::filesystem::path(std::u8string(FileName.begin(), FileName.end())), std::ios::binary);
    if (!In) throw ECxfError("Cannot open file \"" + FileName + "\". " + std::strerror(errno));
    std::string Bytes{std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
    if (In.bad()) throw ECxfError("Cannot read file \"" + FileName + "\"");
    if (!DecodeUtf8(Bytes)) throw ECxfError("Head text file \"" + FileName + "\" is not UTF-8");
    return HeadTextFileLines(Bytes);
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
    try {
        Database = std::make_unique<TCxfFile>(Request.Input, Request.DecimalSeparator, Request.Charset);
    } catch (const ECxfError& Error) {
        // The loader's texts are the window's, which names no file.
        throw ECxfError(Request.Input + ": " + Error.what());
    }

    TDescriptorSink StandardOutput(StandardOutputDescriptor);
    TOutputSink& Sink = Request.ToStandardOutput ? static_cast<TOutputSink&>(StandardOutput) : DefaultFileSink();
    switch (Request.Format) {
        case TFormat::Html:
            MakeDirectory(Request.Output);
            Request.Options.ExportDirectory = WithFinalSeparator(Request.Output);
            if (TCxfHTMLExporter(Sink).Export(Request.Options, HeadText) == TOverviewResult::ForeignKept)
                Print(stderr, std::string(ProgramName) + ": warning: " + ForeignOverviewKeptText + "\n");
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

// The change report of the older file against the input.
void Compare(const TRequest& Request) {
    TCompareRequest Compare;
    Compare.Old = {Request.CompareWith, Request.CompareWith};
    Compare.New = {Request.Input, Request.Input};
    Compare.Format = Request.Format == TFormat::Csv ? TReportFormat::Csv : TReportFormat::Html;
    Compare.ReportFileName = Request.Output;
    Compare.DecimalSeparator = Request.DecimalSeparator;
    Compare.Charset = Request.Charset;
    Compare.Options = Request.Options;
    TDescriptorSink StandardOutput(StandardOutputDescriptor);
    RunCompare(Compare, Request.ToStandardOutput ? static_cast<TOutputSink&>(StandardOutput) : DefaultFileSink());
}

void PrintError(const std::string& Message) { Print(stderr, std::string(ProgramName) + ": " + Message + "\n"); }

}  // namespace

int RunCli(const std::vector<std::string>& Arguments) {
    try {
        const std::optional<TArguments> Split = SplitCommandLine(Arguments);
        if (!Split) return 0;
        TRequest Request = ParseCommandLine(*Split);
        if (Request.CompareWith.empty())
            Convert(Request);
        else
            Compare(Request);
        return 0;
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
