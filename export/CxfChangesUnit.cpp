#include "CxfChangesUnit.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "CxfCSVExporterUnit.h"

const std::array<std::string_view, ChangeFieldCount> ChangeFieldNames = {
    "Channel_Name", "Satellite", "Frequency",    "Polarisation", "Symbolrate", "Video_PID",
    "Audio_PID",    "PCR_PID",   "Teletext_PID", "Unsed_Flag",   "Pay_TV",     "Package"};

TFieldValue ChangeFieldValue(const TCxfFile& Database, const TChannel& Channel, TChangeField Field) {
    const TTransponder& Transponder = *Channel.Transponder;
    auto Number = [](unsigned Value) { return TFieldValue{vkNumber, Value, {}}; };
    auto Name = [](std::string_view Value) { return TFieldValue{vkName, 0, Value}; };
    switch (Field) {
        case cfChannelName: return Name(Channel.Name);
        case cfSatellite: return Name(Transponder.Satellite->Name);
        case cfFrequency: return Number(Transponder.Frequency);
        case cfPolarisation:
            return TFieldValue{vkText, 0, PolarisationNames[Transponder.Polarisation & 3]};
        case cfSymbolrate: return Number(Transponder.Symbolrate);
        case cfVideoPID: return Number(Channel.VideoPID);
        case cfAudioPID: return Number(Channel.AudioPID);
        case cfPCRPID: return Number(Channel.PCRPID);
        case cfTeletextPID: return Number(Channel.TeletextPID);
        case cfUnusedFlag: return TFieldValue{vkFlag, Channel.UF, {}};
        case cfPayTV: return TFieldValue{vkFlag, Channel.PayTV, {}};
        case cfPackage: return Name(Database.Packages().at(Channel.PackageID));
    }
    throw std::invalid_argument("unknown change field");
}

char* WriteCsvFieldText(char* At, const TFieldValue& Value, bool LiteralNames) {
    switch (Value.Kind) {
        case vkNumber: return WriteCsvNumber(At, Value.Number);
        case vkFlag: return WriteCsvFlag(At, Value.Number != 0);
        case vkText: return WriteCsvText(At, Value.Text);
        case vkName: return WriteCsvName(At, Value.Text, LiteralNames);
    }
    return At;
}

namespace {

// A compared channel with its identity as one number, which orders
// identities as TServiceIdentity does.
struct TKeyedChannel {
    std::uint64_t Key;
    const TChannel* Channel;

    TServiceIdentity Identity() const {
        return {static_cast<std::uint16_t>(Key >> 48), static_cast<std::uint16_t>(Key >> 32),
                static_cast<std::uint16_t>(Key >> 16), static_cast<std::uint16_t>(Key)};
    }
};

// A satellite's position holds 12 bits (0-4095), so a key has 60.
constexpr int KeyBits = 60;
constexpr int DigitBits = 10;
constexpr int DigitCount = KeyBits / DigitBits;
static_assert(KeyBits % DigitBits == 0);

// Sorts by key, keeping the order of equal keys: a radix sort of DigitBits
// per pass, from the lowest digit up, with the counts of all digits taken in
// one pass and a digit that all keys share skipping its own. On a full
// channel table a quarter of what a comparison sort costs.
void SortByKey(std::vector<TKeyedChannel>& Channels) {
    constexpr std::size_t Buckets = std::size_t{1} << DigitBits;
    auto Digit = [](std::uint64_t Key, int Pass) {
        return static_cast<std::size_t>(Key >> (Pass * DigitBits) & (Buckets - 1));
    };
    std::vector<std::array<std::size_t, Buckets>> Starts(DigitCount);
    for (const TKeyedChannel& Channel : Channels)
        for (int Pass = 0; Pass < DigitCount; ++Pass) ++Starts[Pass][Digit(Channel.Key, Pass)];
    std::vector<TKeyedChannel> Sorted(Channels.size());
    for (int Pass = 0; Pass < DigitCount; ++Pass) {
        auto& Start = Starts[Pass];
        if (Channels.empty() || Start[Digit(Channels.front().Key, Pass)] == Channels.size()) continue;
        std::size_t Sum = 0;
        for (std::size_t& Count : Start) Sum += std::exchange(Count, Sum);
        for (const TKeyedChannel& Channel : Channels) Sorted[Start[Digit(Channel.Key, Pass)]++] = Channel;
        Channels.swap(Sorted);
    }
}

// The channels that the CSV export writes, by identity and then in file
// order (a channel's Number is its place in the file's table).
std::vector<TKeyedChannel> ComparedChannels(const TCxfFile& Database, const TExportOptions& Options) {
    std::vector<const TChannel*> InFileOrder(Database.Channels().begin(), Database.Channels().end());
    auto ByNumber = [](const TChannel* A, const TChannel* B) { return A->Number < B->Number; };
    // Loading leaves them so; a sort for the pages may not have.
    if (!std::is_sorted(InFileOrder.begin(), InFileOrder.end(), ByNumber))
        std::sort(InFileOrder.begin(), InFileOrder.end(), ByNumber);

    std::vector<TKeyedChannel> Result;
    Result.reserve(InFileOrder.size());
    for (const TChannel* Channel : InFileOrder) {
        if (!CsvWritesChannel(Options, *Channel)) continue;
        const TTransponder& Transponder = *Channel->Transponder;
        const std::uint64_t Key = std::uint64_t{Transponder.Satellite->Position} << 48 |
                                  std::uint64_t{Transponder.OriginalNetworkID} << 32 |
                                  std::uint64_t{Transponder.TransportStreamID} << 16 | Channel->ServiceID;
        Result.push_back({Key, Channel});
    }
    SortByKey(Result);
    return Result;
}

// The fields whose CSV texts differ. A text is a function of the value, so
// equal values need no text; unequal ones may still be written alike (a
// double quote and an apostrophe, say).
std::uint16_t ChangedFields(const TCxfFile& OldDatabase, const TChannel& Old, const TCxfFile& NewDatabase,
                            const TChannel& New, bool LiteralNames) {
    std::uint16_t Changed = 0;
    auto Compare = [&](TChangeField Field) {
        const TFieldValue OldValue = ChangeFieldValue(OldDatabase, Old, Field);
        const TFieldValue NewValue = ChangeFieldValue(NewDatabase, New, Field);
        if (OldValue == NewValue) return;
        char OldText[MaxFieldTextSize];
        char NewText[MaxFieldTextSize];
        const std::string_view OldWritten(OldText, WriteCsvFieldText(OldText, OldValue, LiteralNames) - OldText);
        const std::string_view NewWritten(NewText, WriteCsvFieldText(NewText, NewValue, LiteralNames) - NewText);
        if (OldWritten != NewWritten) Changed |= static_cast<std::uint16_t>(1u << Field);
    };
    // Each field a constant, so that its value is read directly.
    [&Compare]<int... Field>(std::integer_sequence<int, Field...>) {
        (Compare(static_cast<TChangeField>(Field)), ...);
    }(std::make_integer_sequence<int, ChangeFieldCount>());
    return Changed;
}

}  // namespace

TChannelChanges::TChannelChanges(const TCxfFile& Old, const TCxfFile& New, const TExportOptions& Options)
    : FOld(Old), FNew(New), FOptions(Options) {
    if (Old.Charset() != New.Charset()) throw std::invalid_argument("comparing databases of two character sets");
    FOptions.CxfFile = nullptr;
    const std::vector<TKeyedChannel> OldChannels = ComparedChannels(Old, Options);
    const std::vector<TKeyedChannel> NewChannels = ComparedChannels(New, Options);
    FMatches.reserve(OldChannels.size() + NewChannels.size());

    auto OldAt = OldChannels.begin();
    auto NewAt = NewChannels.begin();
    while (OldAt != OldChannels.end() || NewAt != NewChannels.end()) {
        if (NewAt == NewChannels.end() || (OldAt != OldChannels.end() && OldAt->Key < NewAt->Key)) {
            FMatches.push_back({OldAt->Identity(), OldAt->Channel, nullptr, 0});
            ++OldAt;
        } else if (OldAt == OldChannels.end() || NewAt->Key < OldAt->Key) {
            FMatches.push_back({NewAt->Identity(), nullptr, NewAt->Channel, 0});
            ++NewAt;
        } else {
            // The same identity in both: the next channel of each pairs up.
            FMatches.push_back({NewAt->Identity(), OldAt->Channel, NewAt->Channel,
                                ChangedFields(Old, *OldAt->Channel, New, *NewAt->Channel, Options.CsvLiteralNames)});
            ++OldAt;
            ++NewAt;
        }
    }
}
