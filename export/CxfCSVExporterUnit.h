#pragma once

#include <charconv>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "CxfExportWriter.h"
#include "CxfFileUnit.h"

// Whether a spreadsheet that opens the CSV file would take Text, a cell's
// content, for a formula: it starts with "=" or "@", or with "+" or "-"
// followed by anything but a plain number (ASCII digits, optionally one "."
// or "," and more digits). "-", "+1" and "-1,5" are data; "=1+1", "@SUM(A1)"
// and "-2+3" are formulas.
bool StartsFormula(std::string_view Text);

// The texts of the CSV file's fields as they stand between their quotes, for
// the export and for every other CSV file that shows its values. Each writes
// at At and returns the end; At has room for MaxCsvNumberSize bytes (a
// number), one (a flag), Value's size (a text) or one more (a name).
inline constexpr std::size_t MaxCsvNumberSize = 10;  // an unsigned 32-bit value

inline char* WriteCsvNumber(char* At, unsigned Value) { return std::to_chars(At, At + MaxCsvNumberSize, Value).ptr; }

inline char* WriteCsvFlag(char* At, bool Value) {
    *At++ = Value ? '1' : '0';
    return At;
}

// A double quote inside a field would end it early: it becomes an
// apostrophe, the only change made to a text apart from the formula guard.
inline char* WriteCsvText(char* At, std::string_view Value) {
    for (const char C : Value) *At++ = C == '"' ? '\'' : C;
    return At;
}

// A name comes from the broadcasts, so a spreadsheet must not run it: unless
// Literal, one it would take for a formula gets an apostrophe in front. A
// spreadsheet takes a cell that starts with one for text, never for a
// formula (some show the apostrophe, some hide it).
inline char* WriteCsvName(char* At, std::string_view Value, bool Literal) {
    if (!Literal && StartsFormula(Value)) *At++ = '\'';
    return WriteCsvText(At, Value);
}

// Writes the fields of one line into a buffer that is known to be large
// enough: each field in double quotes, fields separated by ";", the line
// ended by CR LF. A line takes three bytes per field and one for its end
// beside the fields' texts.
class TCsvLineWriter {
public:
    static constexpr std::size_t BytesPerField = 3;

    explicit TCsvLineWriter(char* At) : FAt(At) { *FAt++ = '"'; }

    // A field whose text Write(At) writes, returning its end.
    template <typename TWrite>
    void Field(TWrite&& Write) {
        Next();
        FAt = Write(FAt);
    }
    void Number(unsigned Value) {
        Field([Value](char* At) { return WriteCsvNumber(At, Value); });
    }
    void Flag(bool Value) {
        Field([Value](char* At) { return WriteCsvFlag(At, Value); });
    }
    void Text(std::string_view Value) {
        Field([Value](char* At) { return WriteCsvText(At, Value); });
    }
    void Name(std::string_view Value, bool Literal) {
        Field([Value, Literal](char* At) { return WriteCsvName(At, Value, Literal); });
    }

    // Ends the line and returns where the next one starts.
    char* EndLine() {
        std::memcpy(FAt, "\"\r\n", 3);
        return FAt + 3;
    }

private:
    // Closes the previous field and opens the next one.
    void Next() {
        if (FFirst) {
            FFirst = false;
            return;
        }
        std::memcpy(FAt, "\";\"", 3);
        FAt += 3;
    }

    char* FAt;
    bool FFirst = true;
};

// Whether the CSV export writes a line for the channel: the channel
// exclusions of the options, and a channel needs its satellite's name and
// position.
bool CsvWritesChannel(const TExportOptions& Options, const TChannel& Channel);

// Spreadsheets read a CSV file as UTF-8 only when it starts with this mark,
// which a file in the UTF-8 character set therefore carries.
inline constexpr std::string_view Utf8ByteOrderMark = "\xEF\xBB\xBF";

// One line per kept channel, every field quoted, fields separated by ";".
class TCxfCSVExporter {
public:
    explicit TCxfCSVExporter(TOutputSink& Sink = DefaultFileSink()) : FSink(Sink) {}
    void Export(const TExportOptions& Options);

private:
    TOutputSink& FSink;
    TOutputBuffer FBuffer;
};
