// Where exporters put their finished output. Every exporter assembles a whole
// file in memory and hands it to a sink in one piece.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "CxfFileUnit.h"

// The file could not be created (or could not take the place of the old one).
class EFCreateError : public ECxfError {
public:
    using ECxfError::ECxfError;
};

// Writing the file's bytes failed.
class EWriteError : public ECxfError {
public:
    using ECxfError::ECxfError;
};

// Room for one output at a time, uninitialised, kept between outputs: an
// exporter that makes several reuses memory the allocator would otherwise
// map, and the system fault in page by page, afresh each time.
class TOutputBuffer {
public:
    char* Room(std::size_t Size) {
        if (Size > FSize) {
            FData.reset();  // never two at once
            FData.reset(new char[Size]);
            FSize = Size;
        }
        return FData.get();
    }

private:
    std::unique_ptr<char[]> FData;
    std::size_t FSize = 0;
};

// What lies under a file name before an export writes there.
struct TFoundFile {
    enum TKind {
        Nothing,  // no entry of that name
        File,     // a file that could be read
        Other,    // a directory, a device, a broken link, a file that cannot be read
    };
    TKind Kind = Nothing;
    std::string Start;  // a File's first bytes, as many as were asked for
};

class TOutputSink {
public:
    virtual ~TOutputSink() = default;
    // Stores the complete content of one output file.
    virtual void Write(const std::string& FileName, std::string_view Bytes) = 0;
    // What lies under FileName now; of a file, its first Limit bytes (all of
    // a shorter one). Only looks: nothing is opened for writing or changed.
    virtual TFoundFile Find(const std::string& FileName, std::size_t Limit) const = 0;
};

// Replaces the target in one step: the bytes go into a temporary file beside
// it, which is then renamed over the target. A failure leaves the old file
// as it was and removes the temporary file. A symbolic link is followed to
// the file it names; a device or pipe is written to directly.
class TFileReplacingSink final : public TOutputSink {
public:
    void Write(const std::string& FileName, std::string_view Bytes) override;
    // A link is followed; a device or pipe is Other and is never opened.
    TFoundFile Find(const std::string& FileName, std::size_t Limit) const override;
};

// Writes the bytes to an open file descriptor (standard output, say) and
// ignores the file name; a failed write gives "Stream write error".
class TDescriptorSink final : public TOutputSink {
public:
    explicit TDescriptorSink(int Descriptor) : FDescriptor(Descriptor) {}
    void Write(const std::string& FileName, std::string_view Bytes) override;
    // Names lead nowhere here: Nothing.
    TFoundFile Find(const std::string& FileName, std::size_t Limit) const override;

private:
    int FDescriptor;
};

// Keeps every file an exporter hands over, in the order they came, for a
// caller that has no file system to write to (the browser page) or wants to
// look at the bytes (the tests).
class TMemorySink final : public TOutputSink {
public:
    void Write(const std::string& FileName, std::string_view Bytes) override;
    // The last file handed over under that name, or Nothing.
    TFoundFile Find(const std::string& FileName, std::size_t Limit) const override;
    std::vector<std::string> Names() const;

    std::vector<std::pair<std::string, std::string>> Files;  // name, content
};

// The sink the exporters use unless they are given another one.
TOutputSink& DefaultFileSink();
