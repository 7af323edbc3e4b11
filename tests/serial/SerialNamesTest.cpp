// COM1..COM8 mapped to devices: what /dev holds, in which order, and what
// the option file's section "Ports" says first.
#include "platform/SerialNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace kep;

namespace {

class TTempDir {
public:
    TTempDir()
    {
        char tmpl[] = "/tmp/kep-serialnames-XXXXXX";
        if (char* d = mkdtemp(tmpl))
            Path_ = d;
    }
    ~TTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(Path_, ec);
    }
    const std::string& Path() const { return Path_; }
    std::string Touch(const std::string& name) const
    {
        std::ofstream(Path_ + "/" + name) << "";
        return Path_ + "/" + name;
    }
    std::string Write(const std::string& name, const std::string& text) const
    {
        std::ofstream(Path_ + "/" + name, std::ios::binary) << text;
        return Path_ + "/" + name;
    }

private:
    std::string Path_;
};

} // namespace

TEST(SerialDetect, FamiliesThenNumericOrder)
{
    TTempDir dev;
    for (const char* name : {"ttyS10", "ttyS2", "ttyUSB1", "ttyACM0", "tty", "ttyUSB10", "other", "ttyUSB2",
                             "ttyS", "ttyUSBx", "ttyS1a", "ttyACM3"})
        dev.Touch(name);
    const std::string d = dev.Path() + "/";
    const std::vector<std::string> expected = {d + "ttyUSB1", d + "ttyUSB2", d + "ttyUSB10", d + "ttyACM0",
                                               d + "ttyACM3", d + "ttyS2",   d + "ttyS10"};
    // No word from the kernel here: this machine's own ports stay out of it.
    const std::string noSys = dev.Path() + "/no-sys";
    EXPECT_EQ(DetectSerialDevices(dev.Path(), noSys), expected);
    // A trailing slash gives the same paths.
    EXPECT_EQ(DetectSerialDevices(d, noSys), expected);

    // A motherboard node without a UART behind it is left out; one with a
    // UART, or without a word from the kernel, stays.
    TTempDir sys;
    std::filesystem::create_directories(sys.Path() + "/ttyS2");
    std::filesystem::create_directories(sys.Path() + "/ttyS10");
    std::filesystem::create_directories(sys.Path() + "/ttyUSB1");
    sys.Write("ttyS2/type", "0\n");
    sys.Write("ttyS10/type", "4\n");
    sys.Write("ttyUSB1/type", "0\n"); // only motherboard ports are judged so
    std::vector<std::string> sansS2 = expected;
    sansS2.erase(std::find(sansS2.begin(), sansS2.end(), d + "ttyS2"));
    EXPECT_EQ(DetectSerialDevices(dev.Path(), sys.Path()), sansS2);
}

TEST(SerialDetect, MissingFolderGivesNothing)
{
    EXPECT_TRUE(DetectSerialDevices("/nonexistent/kep-no-dev").empty());
}

TEST(SerialMap, DetectedDevicesInOrderWithoutMapping)
{
    const std::vector<std::string> detected = {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS0"};
    const auto ports = MapComPorts({}, detected);
    EXPECT_EQ(ports[0], "/dev/ttyUSB0");
    EXPECT_EQ(ports[1], "/dev/ttyACM0");
    EXPECT_EQ(ports[2], "/dev/ttyS0");
    for (std::size_t i = 3; i < 8; ++i)
        EXPECT_TRUE(ports[i].empty()) << i;
}

TEST(SerialMap, MappedFirstAndNotReused)
{
    const std::vector<std::string> detected = {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyS0", "/dev/ttyS1"};
    // COM3 takes ttyUSB1 explicitly: the free names skip it.
    const auto ports = MapComPorts({{3, "/dev/ttyUSB1"}, {5, "/tmp/elsewhere"}}, detected);
    EXPECT_EQ(ports[0], "/dev/ttyUSB0");
    EXPECT_EQ(ports[1], "/dev/ttyS0");
    EXPECT_EQ(ports[2], "/dev/ttyUSB1");
    EXPECT_EQ(ports[3], "/dev/ttyS1");
    EXPECT_EQ(ports[4], "/tmp/elsewhere");
    EXPECT_TRUE(ports[5].empty());
    EXPECT_TRUE(ports[6].empty());
    EXPECT_TRUE(ports[7].empty());
}

TEST(SerialMap, PathsComparedExactly)
{
    // Another spelling of a detected device is another device to the mapping.
    const auto ports = MapComPorts({{1, "/dev//ttyUSB0"}}, {"/dev/ttyUSB0"});
    EXPECT_EQ(ports[0], "/dev//ttyUSB0");
    EXPECT_EQ(ports[1], "/dev/ttyUSB0");
}

TEST(SerialMap, OutOfRangeAndEmptyMappingsIgnored)
{
    const auto ports = MapComPorts({{0, "/dev/zero0"}, {9, "/dev/nine"}, {2, ""}}, {"/dev/ttyS0", "/dev/ttyS1"});
    EXPECT_EQ(ports[0], "/dev/ttyS0");
    EXPECT_EQ(ports[1], "/dev/ttyS1");
    EXPECT_TRUE(ports[2].empty());
}

TEST(SerialPortsSection, KeysAnyCaseOthersIgnored)
{
    TTempDir dir;
    const std::string ini = dir.Write("kep.ini", "[General]\r\nCOM4=/dev/general\r\n"
                                                 "[ports]\r\ncom1=/dev/ttyUSB3\r\nCom2 = /dev/ttyACM1\r\n"
                                                 "COM9=/dev/nine\r\nCOM0=/dev/zero\r\nCOM=/dev/none\r\n"
                                                 "COM12=/dev/twelve\r\nCOM3=\r\nxCOM5=/dev/x\r\nCOM8=/dev/eight\r\n");
    const std::map<int, std::string> expected = {{1, "/dev/ttyUSB3"}, {2, "/dev/ttyACM1"}, {8, "/dev/eight"}};
    EXPECT_EQ(ReadPortsSection(ini), expected);
}

TEST(SerialPortsSection, NoSectionOrNoFile)
{
    TTempDir dir;
    EXPECT_TRUE(ReadPortsSection(dir.Write("kep.ini", "[Other]\nCOM1=/dev/x\n")).empty());
    EXPECT_TRUE(ReadPortsSection(dir.Path() + "/missing.ini").empty());
}

TEST(SerialPortsSection, ComDeviceFollowsTheFile)
{
    TTempDir dir;
    const std::string ini = dir.Write("kep.ini", "[Ports]\nCOM2=/tmp/kep-board\n");
    EXPECT_EQ(ComDevice(2, ini), "/tmp/kep-board");
    EXPECT_TRUE(ComDevice(0, ini).empty());
    EXPECT_TRUE(ComDevice(9, ini).empty());
    // The others come from /dev and never repeat the mapped one.
    const auto detected = DetectSerialDevices();
    const auto ports = MapComPorts(ReadPortsSection(ini), detected);
    for (int port = 1; port <= 8; ++port)
        EXPECT_EQ(ComDevice(port, ini), ports[std::size_t(port - 1)]) << port;
}
