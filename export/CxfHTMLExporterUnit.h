#pragma once

#include <string>
#include <vector>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

// The built-in head text (title, script, style sheet): one entry whose lines
// are joined by CR LF.
extern const std::string DefaultHtmlHeadText;

// The pages' names are appended to ExportDirectory as they are, so the
// directory must end in exactly one separator: this gives Directory with any
// final separators replaced by the platform's own. An empty text stays empty.
std::string WithFinalSeparator(std::string Directory);

// Three linked XHTML pages per named satellite that keeps a channel.
class TCxfHTMLExporter {
public:
    explicit TCxfHTMLExporter(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    // HeadText: UTF-8 lines written as they are into every page's head.
    void Export(const TExportOptions& Options, const std::vector<std::string>& HeadText);

private:
    void WriteSatellitePage(const TExportOptions& Options, const std::vector<std::string>& HeadText,
                            int SortOrder, int SatIndex);

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
