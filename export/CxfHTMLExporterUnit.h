#pragma once

#include <string>
#include <vector>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

// The built-in head text (title, script, style sheet): one entry whose lines
// are joined by CR LF.
extern const std::string DefaultHtmlHeadText;

// The overview page that an HTML export writes beside the satellite pages,
// with a row and three links for each satellite whose pages it left there.
inline const std::string OverviewFileName = "index.html";

// What an HTML export did about the overview.
enum class TOverviewResult {
    NoPages,      // it wrote no satellite page, and so no overview either
    Written,      // it wrote index.html, where there was none or an overview of its own
    ForeignKept,  // it left an index.html that is no overview of its own (a page,
                  // a directory, an unreadable file) as it was
};

// How many bytes of an existing index.html tell whether it is an overview
// of Zanvero's.
inline constexpr std::size_t OverviewProbeSize = 4096;

// Whether an export may put its overview where Found lies: where nothing
// is, or over a file that carries the overview's marker in its first
// OverviewProbeSize bytes.
bool MayReplaceOverview(const TFoundFile& Found);

// The pages' names are appended to ExportDirectory as they are, so the
// directory must end in exactly one separator: this gives Directory with any
// final separators replaced by the platform's own. An empty text stays empty.
std::string WithFinalSeparator(std::string Directory);

// Three linked XHTML pages per named satellite that keeps a channel, and
// the overview that links them.
class TCxfHTMLExporter {
public:
    explicit TCxfHTMLExporter(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    // HeadText: UTF-8 lines written as they are into every page's head.
    TOverviewResult Export(const TExportOptions& Options, const std::vector<std::string>& HeadText);

private:
    void WriteSatellitePage(const TExportOptions& Options, const std::vector<std::string>& HeadText,
                            int SortOrder, int SatIndex);
    TOverviewResult WriteOverview(const TExportOptions& Options, const std::vector<std::string>& HeadText);
    void StartPage(const std::vector<std::string>& HeadText, std::string_view Marker, std::size_t BodySize);

    TOutputSink& FSink;
    // The page being built, kept between pages so that its memory is
    // reused rather than taken afresh for each one.
    std::string FPage;
    // The finished table rows of all listed channels in one text, and where
    // each lies in it by the channel's Number. Kept here rather than in the
    // records, which every other export would carry; one text rather than a
    // string per row, which cost an allocation per channel.
    struct TRowSpan {
        std::size_t Start = 0;
        std::size_t Size = 0;
    };
    std::string FRowText;
    std::vector<TRowSpan> FRowSpans;
};
