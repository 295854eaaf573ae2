#include <gtest/gtest.h>

#include "platform/device_change.h"

#ifdef _WIN32
#include <windows.h>

#include <dbt.h>
#else
#include <poll.h>
#endif

using namespace verdan::platform;

#ifdef _WIN32
namespace {

// The volume header the system sends with a drive letter's arrival or removal.
DEV_BROADCAST_VOLUME volumeOfLetter(char letter) {
    DEV_BROADCAST_VOLUME volume{};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'A');
    return volume;
}

DeviceChange decode(WPARAM wParam, const void* header, UINT message = WM_DEVICECHANGE) {
    return decodeDeviceChange(message, wParam, reinterpret_cast<LPARAM>(header));
}

} // namespace

TEST(DeviceMessage, VolumeArrivalAndCompletedRemoval) {
    const DEV_BROADCAST_VOLUME usbStick = volumeOfLetter('E');
    EXPECT_EQ(decode(DBT_DEVICEARRIVAL, &usbStick), DeviceChange::Arrived);
    EXPECT_EQ(decode(DBT_DEVICEREMOVECOMPLETE, &usbStick), DeviceChange::Removed);
    // A disc put in a drive comes as the arrival of its volume, flagged as media.
    DEV_BROADCAST_VOLUME disc = volumeOfLetter('R');
    disc.dbcv_flags = DBTF_MEDIA;
    EXPECT_EQ(decode(DBT_DEVICEARRIVAL, &disc), DeviceChange::Arrived);
}

TEST(DeviceMessage, AnyKindOfDeviceCounts) {
    // The drives are surveyed again after any device comes or goes, not only a volume.
    DEV_BROADCAST_PORT_W port{};
    port.dbcp_size = sizeof port;
    port.dbcp_devicetype = DBT_DEVTYP_PORT;
    port.dbcp_name[0] = L'C';
    EXPECT_EQ(decode(DBT_DEVICEARRIVAL, &port), DeviceChange::Arrived);
    DEV_BROADCAST_DEVICEINTERFACE_W device{};
    device.dbcc_size = sizeof device;
    device.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    EXPECT_EQ(decode(DBT_DEVICEREMOVECOMPLETE, &device), DeviceChange::Removed);
}

TEST(DeviceMessage, OtherEventsAndMalformedMessagesSayNeither) {
    const DEV_BROADCAST_VOLUME volume = volumeOfLetter('F');
    // Asked before a removal, or pending: the drive is still there.
    EXPECT_EQ(decode(DBT_DEVICEQUERYREMOVE, &volume), DeviceChange::Neither);
    EXPECT_EQ(decode(DBT_DEVICEREMOVEPENDING, &volume), DeviceChange::Neither);
    EXPECT_EQ(decode(DBT_DEVNODES_CHANGED, nullptr), DeviceChange::Neither);
    // The event codes of another message.
    EXPECT_EQ(decode(DBT_DEVICEARRIVAL, &volume, WM_PAINT), DeviceChange::Neither);
    // Without a header, or with one too short to be one.
    EXPECT_EQ(decode(DBT_DEVICEARRIVAL, nullptr), DeviceChange::Neither);
    EXPECT_EQ(decode(DBT_DEVICEREMOVECOMPLETE, nullptr), DeviceChange::Neither);
    DEV_BROADCAST_HDR empty{};
    EXPECT_EQ(decode(DBT_DEVICEARRIVAL, &empty), DeviceChange::Neither);
}

TEST(DeviceMessage, NativeMessageOfTheEventLoop) {
    const DEV_BROADCAST_VOLUME volume = volumeOfLetter('G');
    MSG msg{};
    msg.hwnd = nullptr;
    msg.message = WM_DEVICECHANGE;
    msg.wParam = DBT_DEVICEREMOVECOMPLETE;
    msg.lParam = reinterpret_cast<LPARAM>(&volume);
    EXPECT_EQ(deviceChangeOfNativeMessage(&msg), DeviceChange::Removed);
    msg.wParam = DBT_DEVICEARRIVAL;
    EXPECT_EQ(deviceChangeOfNativeMessage(&msg), DeviceChange::Arrived);
    msg.message = WM_TIMER;
    EXPECT_EQ(deviceChangeOfNativeMessage(&msg), DeviceChange::Neither);
    // Windows tells drives by messages: there is no table to watch.
    EXPECT_EQ(openMountTableWatch(), -1);
}
#else
TEST(MountTableWatch, LinuxWatchesTheMountTableInsteadOfMessages) {
    EXPECT_EQ(decodeDeviceChange(0x0219, 0x8000, 0), DeviceChange::Neither);
    const int fd = openMountTableWatch();
    ASSERT_GE(fd, 0);
    // Draining ends at the table's end rather than waiting for the next change.
    drainMountTableWatch(fd);
    drainMountTableWatch(fd);
    pollfd entry{fd, POLLIN | POLLPRI, 0};
    ASSERT_EQ(::poll(&entry, 1, 0), 1);
    EXPECT_TRUE(entry.revents & POLLIN);
    closeMountTableWatch(fd);
    closeMountTableWatch(-1);
}
#endif
