// What changed between two .cxf files, an older and a newer one: which
// channels were added or removed, and which fields of a channel kept in both
// changed. The rule behind both change reports.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "CxfFileUnit.h"

// The fields compared within a pair of channels, in the order of their
// entries.
enum TChangeField : int {
    cfChannelName,
    cfSatellite,
    cfFrequency,
    cfPolarisation,
    cfSymbolrate,
    cfVideoPID,
    cfAudioPID,
    cfPCRPID,
    cfTeletextPID,
    cfUnusedFlag,
    cfPayTV,
    cfPackage,
};
inline constexpr int ChangeFieldCount = 12;

// Each field's name, that of its column in the CSV file.
extern const std::array<std::string_view, ChangeFieldCount> ChangeFieldNames;

// A channel's value of one field as the database holds it, and how the CSV
// export writes it: a number, a flag, a text ("\"" becomes "'") or a name (a
// text with the formula guard).
enum TValueKind { vkNumber, vkFlag, vkText, vkName };

struct TFieldValue {
    TValueKind Kind = vkNumber;
    unsigned Number = 0;  // of a number or flag
    std::string_view Text;  // of a text or name, inside the database

    friend bool operator==(const TFieldValue&, const TFieldValue&) = default;
};

// The value of Field of a channel of Database that the CSV export writes.
TFieldValue ChangeFieldValue(const TCxfFile& Database, const TChannel& Channel, TChangeField Field);

// The field's text as the CSV export writes it between its quotes, at At;
// returns the end. At has room for MaxFieldTextSize bytes.
char* WriteCsvFieldText(char* At, const TFieldValue& Value, bool LiteralNames);
inline constexpr std::size_t MaxFieldTextSize = TNameText::Capacity + 1;

// A service's identity in the broadcast: its satellite's position, its
// transponder's original network and transport stream IDs and its own
// service ID.
struct TServiceIdentity {
    std::uint16_t Position = 0;
    std::uint16_t OriginalNetworkID = 0;
    std::uint16_t TransportStreamID = 0;
    std::uint16_t ServiceID = 0;
};

enum class TChangeKind { Added, Removed, Changed, Unchanged };

// A channel of one file alone, or a channel of each with the same identity.
struct TChannelMatch {
    TServiceIdentity Identity;
    const TChannel* Old = nullptr;  // none: the channel was added
    const TChannel* New = nullptr;  // none: the channel was removed
    std::uint16_t ChangedFields = 0;  // bit 1 << TChangeField for each field that differs

    bool Changed(TChangeField Field) const { return (ChangedFields >> Field & 1) != 0; }
    TChangeKind Kind() const {
        if (Old == nullptr) return TChangeKind::Added;
        if (New == nullptr) return TChangeKind::Removed;
        return ChangedFields != 0 ? TChangeKind::Changed : TChangeKind::Unchanged;
    }
};

// The channels of two databases (loaded with the same character set and
// decimal separator) matched by identity. The channels compared are those
// the CSV export writes under the options' two channel exclusions. Within one
// identity the older file's channels pair with the newer file's in file
// order, first with first; the rest are removed or added. A pair's fields
// are compared as the CSV export writes them (CsvLiteralNames included), so
// two values that it writes alike are no change. Both databases must outlive
// the result.
class TChannelChanges {
public:
    TChannelChanges(const TCxfFile& Old, const TCxfFile& New, const TExportOptions& Options);

    const TCxfFile& Old() const { return FOld; }
    const TCxfFile& New() const { return FNew; }
    const TExportOptions& Options() const { return FOptions; }
    // Every channel of either file once, in the order of the report: by
    // identity (position, network, stream and service ID, as numbers), then
    // by place in the pairing. Unchanged pairs included.
    const std::vector<TChannelMatch>& Matches() const { return FMatches; }

    // The channel that describes the match: the newer file's, the older
    // file's for a removed channel.
    const TChannel& ShownChannel(const TChannelMatch& Match) const { return Match.New ? *Match.New : *Match.Old; }

private:
    const TCxfFile& FOld;
    const TCxfFile& FNew;
    TExportOptions FOptions;
    std::vector<TChannelMatch> FMatches;
};
