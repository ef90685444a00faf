#include "DemoCxf.h"

#include <map>
#include <string>

#include "CxfImageBuilder.h"

namespace {

enum Kind { TV, Radio, Hidden, HiddenRadio };

struct DemoChannel {
    const char* Name;  // UTF-8, as the receiver stores it; "<...>" opens a package
    Kind What = TV;
};

struct DemoTransponder {
    std::uint16_t Frequency;
    char Polarisation;  // H, V, L, R
    std::uint16_t Symbolrate;
    std::uint16_t OriginalNetworkID;
    std::uint16_t TransportStreamID;
    bool UF;
    std::vector<DemoChannel> Channels;
};

struct DemoSatellite {
    const char* Name;
    std::uint16_t Position;  // tenths of a degree east; 3600 minus west
    bool UF;
    std::vector<DemoTransponder> Transponders;
};

// Slot 4 is left empty; slot 5 carries a transponder but no name, so it gets
// no HTML pages while its channels still reach the CSV file and the dump.
const std::vector<DemoSatellite>& LineUp() {
    static const std::vector<DemoSatellite> Satellites = {
        {"Astra 19.2E", 192, false, {
            {11836, 'H', 27500, 1, 1101, false, {
                {"<ARD>"}, {"Das Erste"}, {"BR Fernsehen Süd"}, {"hr-fernsehen"}, {"arte"},
                {"SWR BW"}, {"WDR Köln"}, {"tagesschau24"}, {"ONE"}, {"ARD-alpha"},
                {"Bayern 1", Radio}, {"Bayern 2", Radio}, {"BR-KLASSIK", Radio}, {"hr1", Radio},
                {"hr2", Radio}, {"hr3", Radio}, {"SWR1 BW", Radio}, {"SWR2", Radio}, {"SWR3", Radio},
                {"WDR 2", Radio}, {"WDR 3", Radio}, {"1LIVE", Radio}}},
            {12421, 'H', 27500, 1, 1051, false, {
                {"MDR Sachsen"}, {"MDR S-Anhalt"}, {"MDR Thüringen"}, {"NDR FS NDS"},
                {"NDR FS HH"}, {"NDR FS MV"}, {"NDR FS SH"}, {"rbb Berlin"}, {"rbb Brandenburg"},
                {"SR Fernsehen"}, {"Radio Bremen TV"}, {"phoenix"}, {"MDR Kultur", Radio},
                {"NDR 2", Radio}, {"NDR Kultur", Radio}, {"N-JOY", Radio}, {"radioeins", Radio},
                {"Fritz", Radio}, {"SR 1", Radio}, {"Bremen Eins", Radio}}},
            {11953, 'H', 27500, 1, 1079, false, {
                {"<ZDFvision>"}, {"ZDF"}, {"3sat"}, {"KiKA"}, {"ZDFneo"}, {"ZDFinfo"},
                {"ZDF HD", Hidden}, {"3sat HD", Hidden}}},
            {10891, 'H', 22000, 1, 1061, false, {
                {"<Deutschlandradio>"}, {"Deutschlandfunk", Radio}, {"DLF Kultur", Radio},
                {"Dlf Nova", Radio}, {"DRadio DokDeb", HiddenRadio}}},
            {12187, 'H', 27500, 1, 1089, false, {
                {"<RTL World>"}, {"RTL Television"}, {"VOX"}, {"RTLZWEI"}, {"SUPER RTL"},
                {"n-tv"}, {"RTLup"}, {"NITRO"}, {"RTL Austria"}, {"VOX Austria"}}},
            {12544, 'H', 22000, 133, 10, false, {
                {"<ProSiebenSat.1>"}, {"SAT.1"}, {"ProSieben"}, {"kabel eins"}, {"sixx"},
                {"SAT.1 Gold"}, {"ProSieben MAXX"}, {"kabel eins Doku"}, {"SAT.1 Österreich"},
                {"PULS 4"}, {"ATV"}}},
            {12460, 'H', 27500, 1, 1073, false, {
                {"<Privat>"}, {"WELT"}, {"N24 Doku"}, {"Tele 5"}, {"DMAX"}, {"TLC"},
                {"Bibel TV"}, {"QVC"}, {"HSE"}, {"Shop24 – Angebote"}, {"Preis€Wert TV"},
                {"sonnenklar.TV"}, {"Deluxe Music"}, {"Hamburg 1"}, {"München.tv"}}},
            {11973, 'V', 27500, 1, 1023, false, {
                {"<ORF>"}, {"ORF1"}, {"ORF2"}, {"ORF III"}, {"ORF SPORT +"}, {"ServusTV"},
                {"Ö1", Radio}, {"Ö3", Radio}, {"FM4", Radio}, {"Radio Wien", Radio}}},
            {12031, 'H', 27500, 1, 1027, false, {
                {"<$Sky Deutschland>"}, {"Sky One"}, {"Sky Atlantic"}, {"Sky Cinema Premieren"},
                {"Sky Cinema Action"}, {"Sky Cinema Family"}, {"Sky Krimi"}, {"Sky Nature"},
                {"Sky Documentaries"}, {"Sky Sport News"}, {"Sky Sport Bundesliga"},
                {"Sky Sport F1"}, {"Sky Sport Tennis"}, {"Sky Sport Golf"}, {"Sky Comedy"},
                {"Sky Crime"}, {"Sky Replay"}, {"Sky Showcase"}, {"Sky Sport Austria", Hidden}}},
            {12070, 'H', 27500, 1, 1031, false, {
                {"<$HD+>"}, {"RTL HD"}, {"VOX HD"}, {"SAT.1 HD"}, {"ProSieben HD"},
                {"kabel eins HD"}, {"RTLZWEI HD"}, {"sixx HD"}, {"Disney Channel"},
                {"Eurosport 1"}, {"SPORT1"}, {"Comedy Central"}, {"Nickelodeon"}}},
            {12662, 'H', 22000, 1, 1117, true, {
                {"<Service>"}, {"Testkanal 1", Hidden}, {"Testkanal 2", Hidden},
                {"Datendienst", HiddenRadio}, {"EPG-Dienst", HiddenRadio}}},
        }},
        {"Hot Bird 13E", 130, false, {
            {10992, 'V', 27500, 318, 200, false, {
                {"<RAI>"}, {"Rai 1"}, {"Rai 2"}, {"Rai 3"}, {"Rai News 24"}, {"Rai Storia"},
                {"Rai Scuola"}, {"Rai Radio 1", Radio}, {"Rai Radio 2", Radio}, {"Rai Radio 3", Radio}}},
            {11054, 'H', 27500, 318, 5400, false, {
                {"<Free Europe>"}, {"TV5Monde Europe"}, {"France 24 English"}, {"France 24 Français"},
                {"Euronews English"}, {"Euronews Deutsch"}, {"BBC World News"}, {"CNN International"},
                {"DW English"}, {"DW Deutsch"}, {"TVP Polonia"}, {"TVP Info"}, {"TVP3 Łódź"}, {"TRT World"},
                {"Al Jazeera English"}, {"NHK World-Japan"}, {"CGTN"}, {"Arirang TV"},
                {"i24NEWS"}, {"RSI La 1", Hidden}, {"Vatican Media"}}},
            {11179, 'H', 27500, 318, 7400, false, {
                {"<$Polsat Box>"}, {"Polsat"}, {"Polsat News"}, {"Polsat Sport"}, {"Polsat Film"},
                {"Polsat Café"}, {"Polsat Play"}, {"Super Polsat"}, {"TV4"}, {"TV6"}}},
            {11296, 'H', 27500, 318, 11700, false, {
                {"<$Sky Italia>"}, {"Sky TG24"}, {"Sky Uno"}, {"Sky Cinema Uno"}, {"Sky Sport Uno"},
                {"Sky Sport Calcio"}, {"Sky Arte"}, {"Sky Serie"}, {"Sky Investigation"}}},
            {11488, 'H', 27500, 318, 13200, false, {
                {"<Radio>"}, {"Radio Maria", Radio}, {"Radio Vaticana", Radio}, {"RFI Monde", Radio},
                {"BBC World Service", Radio}, {"Radio Polonia", Radio}, {"Polskie Radio 1", Radio},
                {"RMC", Radio}, {"Radio Swiss Pop", Radio}, {"Radio Swiss Jazz", Radio}}},
            // Greek, Cyrillic and Arabic names, and one with a character
            // beyond 16 bits, as receivers let users type them.
            {11034, 'V', 27500, 318, 5100, false, {
                {"<World Languages>"}, {"ΕΡΤ World"}, {"ΣΚΑΪ"}, {"Россия 24"}, {"Беларусь 24"},
                {"ТВ Центр"}, {"الجزيرة"}, {"العربية"}, {"Radio 📻 Hits", Radio}}},
        }},
        {"Astra 23.5E", 235, false, {
            {12070, 'H', 27500, 3, 3211, false, {
                {"<$Skylink>"}, {"ČT1"}, {"ČT2"}, {"ČT24"}, {"ČT sport"}, {"ČT :D"}, {"ČT art"},
                {"Nova"}, {"Nova Cinema"}, {"Prima"}, {"Prima COOL"}, {"Markíza"}, {"Doma"},
                {"JOJ"}, {"JOJ Plus"}, {"Dajto"}, {"TA3"}}},
            {11739, 'V', 27500, 3, 3223, false, {
                {"<$Canal Digitaal>"}, {"NPO 1"}, {"NPO 2"}, {"NPO 3"}, {"RTL 4"}, {"RTL 5"},
                {"SBS6"}, {"Veronica"}, {"Net5"}, {"RTL 7"}, {"RTL 8"}, {"Ziggo Sport"}}},
            {12525, 'V', 27500, 3, 3235, false, {
                {"<Freie Sender>"}, {"Eurosport 2"}, {"Spiegel TV Wissen"}, {"Auto Motor Sport"},
                {"Kinowelt TV"}, {"Jukebox", Radio}, {"Český rozhlas", Radio}, {"Rádio Slovensko", Radio}}},
        }},
        {"Thor 0.8W", 3592, false, {
            {11216, 'V', 24500, 70, 16, false, {
                {"<$Canal Digital>"}, {"NRK1"}, {"NRK2"}, {"NRK3"}, {"TV 2 Norge"}, {"TV 2 Zebra"},
                {"TV3"}, {"TV Norge"}, {"SVT1"}, {"SVT2"}, {"SVT Barn"}, {"Kunskapskanalen"},
                {"TV4 Sverige"}, {"DR1"}, {"DR2"}, {"TV 2 Danmark"}, {"Yle TV1"}, {"Yle TV2"}}},
            {10872, 'V', 24500, 70, 22, false, {
                {"<Radio Nord>"}, {"NRK P1", Radio}, {"NRK P2", Radio}, {"NRK P3", Radio},
                {"SR P1", Radio}, {"SR P2", Radio}, {"SR P3", Radio}, {"DR P1", Radio},
                {"Yle Radio Suomi", Radio}}},
            {12015, 'H', 30000, 70, 34, false, {
                {"<Allente>"}, {"Discovery Channel"}, {"Animal Planet"}, {"National Geographic"},
                {"History"}, {"Cartoon Network"}, {"Boomerang"}, {"MTV"}, {"VH1"}}},
        }},
        {"", 0, false, {}},  // an empty slot
        {"", 3300, true, {   // a slot without a name but in use (30° W)
            {11675, 'H', 30000, 1, 300, false, {
                {"<Hispasat>"}, {"TVE Internacional"}, {"RTP Internacional"}, {"Canal 24 Horas"}}},
        }},
        {"Eutelsat 7E", 70, true, {
            {11492, 'V', 30000, 1, 600, false, {
                {"<Türksat>"}, {"TRT 1"}, {"TRT Haber"}, {"TRT Spor"}, {"Show TV"}, {"Star TV"},
                {"Kanal D"}, {"ATV Türkiye"}, {"TRT Radyo 1", Radio}}},
        }},
    };
    return Satellites;
}

// What the later scan changed about a channel of the line-up, by its name.
struct TScanChange {
    const char* Name = nullptr;  // the new name; none: the name stays
    bool Gone = false;
    int AudioShift = 0;
    bool Visible = false;  // the hidden channel is shown
};

const std::map<std::string, TScanChange>& ScanChanges() {
    static const std::map<std::string, TScanChange> Changes = {
        {"Das Erste", {.Name = "Das Erste HD"}},
        {"ONE", {.Gone = true}},
        {"ZDFneo", {.AudioShift = 4}},
        {"Sky Replay", {.Gone = true}},
        {"Sky Sport Austria", {.Visible = true}},
        {"Polsat Café", {.Name = "Polsat Café HD"}},
        {"TVP3 Łódź", {.Gone = true}},
        {"<Türksat>", {.Name = "<Türksat TV>"}},
        {"ServusTV", {.Name = "ServusTV Österreich"}},
    };
    return Changes;
}

// Channels the later scan found, each in the unused record after its
// transponder (named by its frequency), with service IDs of their own.
struct TScanAddition {
    std::uint16_t Frequency;
    DemoChannel Channel;
    std::uint16_t ServiceID;
};

const std::vector<TScanAddition>& ScanAdditions() {
    static const std::vector<TScanAddition> Additions = {
        {11836, {"ARD Plus"}, 29001},
        {10992, {"Rai 4"}, 29002},
        {12187, {"RTL Passion"}, 29003},
    };
    return Additions;
}

// The transponders that moved, by their old frequency.
const std::map<std::uint16_t, std::uint16_t>& ScanRetunes() {
    static const std::map<std::uint16_t, std::uint16_t> Retunes = {{10872, 10876}};
    return Retunes;
}

std::uint16_t PolarisationCode(char Letter) {
    switch (Letter) {
        case 'V': return 1;
        case 'L': return 2;
        case 'R': return 3;
        default: return 0;
    }
}

}  // namespace

namespace {

std::vector<std::uint8_t> BuildImage(bool Scanned) {
    using namespace testsupport;
    CxfImageBuilder B;
    int TransponderIndex = 0;
    int ChannelIndex = 0;
    std::uint16_t Pid = 101;
    std::uint16_t ServiceID = 28001;
    const auto& Satellites = LineUp();
    auto PutChannel = [&B](int Index, int Transponder, const DemoChannel& Ch, std::uint16_t Pid,
                           std::uint16_t ServiceID, const TScanChange& Change) {
        const bool IsRadio = Ch.What == Radio || Ch.What == HiddenRadio;
        const bool IsHidden = (Ch.What == Hidden || Ch.What == HiddenRadio) && !Change.Visible;
        const std::uint16_t Video = IsRadio ? 0 : Pid;
        B.Channel(Index, {.Name = Change.Name ? Change.Name : Ch.Name,
                          .TransponderWord = static_cast<std::uint16_t>(Transponder),
                          .VideoWord = static_cast<std::uint16_t>(Video | (IsHidden ? 0x2000 : 0)),
                          .AudioPID = static_cast<std::uint16_t>(Pid + 1 + Change.AudioShift),
                          .PCRPID = IsRadio ? static_cast<std::uint16_t>(Pid + 1) : Pid,
                          .TeletextPID = IsRadio ? std::uint16_t{0} : static_cast<std::uint16_t>(Pid + 3),
                          .ServiceID = ServiceID});
    };
    for (std::size_t s = 0; s < Satellites.size(); ++s) {
        const DemoSatellite& Sat = Satellites[s];
        const auto SatIndex = static_cast<std::uint8_t>(s);
        B.Satellite(SatIndex, {.Name = Sat.Name,
                               .PositionWord = static_cast<std::uint16_t>(Sat.Position | (Sat.UF ? 0x1000 : 0))});
        for (const DemoTransponder& Tp : Sat.Transponders) {
            std::uint16_t Frequency = Tp.Frequency;
            if (const auto Retune = ScanRetunes().find(Frequency); Scanned && Retune != ScanRetunes().end())
                Frequency = Retune->second;
            B.Transponder(TransponderIndex, {.FirstWord = static_cast<std::uint16_t>(
                                                 Frequency | PolarisationCode(Tp.Polarisation) << 14),
                                             .Symbolrate = Tp.Symbolrate,
                                             .SatelliteIndex = SatIndex,
                                             .Flags = static_cast<std::uint8_t>(Tp.UF ? 1 : 0),
                                             .OriginalNetworkID = Tp.OriginalNetworkID,
                                             .TransportStreamID = Tp.TransportStreamID});
            for (const DemoChannel& Ch : Tp.Channels) {
                const auto Found = ScanChanges().find(Ch.Name);
                const TScanChange Change = Scanned && Found != ScanChanges().end() ? Found->second : TScanChange();
                if (!Change.Gone) PutChannel(ChannelIndex, TransponderIndex, Ch, Pid, ServiceID, Change);
                ++ChannelIndex;
                ++ServiceID;
                Pid = static_cast<std::uint16_t>(Pid + 10);
            }
            // An unused record between transponders, as receivers leave them;
            // the later scan puts what it found there.
            for (const TScanAddition& Addition : ScanAdditions())
                if (Scanned && Addition.Frequency == Tp.Frequency)
                    PutChannel(ChannelIndex, TransponderIndex, Addition.Channel, Pid, Addition.ServiceID, {});
            ++TransponderIndex;
            ++ChannelIndex;
        }
    }
    return B.Bytes();
}

}  // namespace

std::vector<std::uint8_t> BuildDemoImage() { return BuildImage(false); }

std::vector<std::uint8_t> BuildChangedDemoImage() { return BuildImage(true); }
