// What the loader refuses on Linux, each with its own message and at once:
// files that are no .cxf file, files too short to be one, and names that
// stand for no regular file (a read from them would wait or never end).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <future>
#include <string>

#include "CxfTestUtil.h"
#include "TestNames.h"

namespace {

using namespace testsupport;

const std::string NoMagicText = "Die Datei ist keine .cxf-Datei: sie beginnt nicht mit „CXF2“.";

// Makes the input in the test's directory and returns its name.
using TMakeInput = std::function<std::string(const TempDir&)>;

struct TRefusedCase {
    const char* Label;
    TMakeInput Make;
    std::string Message;
};

void PrintTo(const TRefusedCase& Case, std::ostream* Out) { *Out << Case.Label; }

TMakeInput FileWith(std::string Bytes) {
    return [Bytes](const TempDir& Dir) {
        WriteFileBytes(Dir / "input.cxf", Bytes);
        return (Dir / "input.cxf").string();
    };
}

TMakeInput ImageWithMagic(std::string Magic) {
    CxfImageBuilder Image;
    Image.Magic(Magic);
    return FileWith(std::string(Image.Bytes().begin(), Image.Bytes().end()));
}

TMakeInput Existing(std::string Path) {
    return [Path](const TempDir&) { return Path; };
}

std::string Fifo(const TempDir& Dir) {
    const std::string Path = (Dir / "fifo.cxf").string();
    EXPECT_EQ(::mkfifo(Path.c_str(), 0600), 0) << std::strerror(errno);
    return Path;
}

// The name that a socket was bound to stays after the socket is closed.
std::string Socket(const TempDir& Dir) {
    const std::string Path = (Dir / "socket.cxf").string();
    sockaddr_un Address{};
    Address.sun_family = AF_UNIX;
    EXPECT_LT(Path.size(), sizeof Address.sun_path);
    Path.copy(Address.sun_path, sizeof Address.sun_path - 1);
    const int Fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    EXPECT_EQ(::bind(Fd, reinterpret_cast<const sockaddr*>(&Address), sizeof Address), 0) << std::strerror(errno);
    ::close(Fd);
    return Path;
}

class RefusedInput : public testing::TestWithParam<TRefusedCase> {};

TEST_P(RefusedInput, IsRefusedAtOnceWithItsMessage) {
    const TempDir Dir;
    const std::string Path = GetParam().Make(Dir);
    auto Load = std::async(std::launch::async, [&Path] { return LoadError(Path); });
    if (Load.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
        // A FIFO's open waits for a writer: give it one, so that the test ends.
        const int Writer = ::open(Path.c_str(), O_WRONLY | O_NONBLOCK);
        if (Writer >= 0) ::close(Writer);
        ADD_FAILURE() << "the load waited on " << Path;
    }
    EXPECT_EQ(Load.get(), GetParam().Message);
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, RefusedInput,
    testing::Values(
        TRefusedCase{"OtherVersion", ImageWithMagic("CXF1"), NoMagicText},
        TRefusedCase{"LowerCaseMagic", ImageWithMagic("cxf2"), NoMagicText},
        TRefusedCase{"MagicCutShort", ImageWithMagic(std::string("CXF\0", 4)), NoMagicText},
        TRefusedCase{"ZerosLongerThanAnImage", FileWith(std::string(2 * CxfFileSize, '\0')), NoMagicText},
        TRefusedCase{"ShortWithoutMagic", FileWith(std::string(CxfFileSize - 1, '\0')), "Read beyond end of file"},
        TRefusedCase{"Fifo", Fifo, "Die Datei ist keine .cxf-Datei: sie ist eine Pipe."},
        TRefusedCase{"Socket", Socket, "Die Datei ist keine .cxf-Datei: sie ist ein Socket."},
        TRefusedCase{"Device", Existing("/dev/zero"), "Die Datei ist keine .cxf-Datei: sie ist ein Gerät."},
        TRefusedCase{"Directory", [](const TempDir& Dir) { return Dir.Path().string(); }, "File access denied"}),
    LabelName());

}  // namespace
