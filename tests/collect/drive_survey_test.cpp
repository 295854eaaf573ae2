#include <gtest/gtest.h>

#include "catalogue/drive_lookup.h"
#include "collect/collection_state.h"
#include "collect/drive_survey.h"
#include "collect/folders.h"
#include "support/fake_drives.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "util/format.h"

#include <filesystem>

using namespace verdan;
using verdan::test::FakeDriveProvider;
using verdan::test::FakeUi;
using verdan::test::TempFolder;

class DriveSurvey : public ::testing::Test {
protected:
    TempFolder d, e;
    FakeDriveProvider provider;
    FakeUi ui;
    DriveTable drives;
    CollectionState state{drives};
};

TEST_F(DriveSurvey, RefreshListsUsableDrivesInOrderWithTheirIdentity) {
    provider.add(d.path(), "FILMS", "0A1B2C3D", platform::kDriveRemovable);
    auto& broken = provider.add("F:\\", "", "", platform::kDriveCdRom);
    broken.ok = false;                                             // an empty optical drive
    provider.add(e.path(), "", "00000ABC", platform::kDriveFixed); // no label
    provider.add("Z:\\", "ghost", "12345678", platform::kDriveNoRoot);
    RefreshDrives(state, provider, ui);

    const auto& t = state.drives;
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.cell(1, 0), d.path());
    EXPECT_EQ(t.cell(1, 1), "FILMS");
    EXPECT_EQ(t.cell(1, 2), "USB");
    EXPECT_EQ(t.cell(1, 3), "0A1B2C3D");
    EXPECT_EQ(t.cell(1, 4), FormatTaille(1536LL * 1048576));
    EXPECT_EQ(t.cell(1, 5), FormatTaille(4LL * 1073741824));
    EXPECT_EQ(t.cell(2, 1), "");
    EXPECT_EQ(t.cell(2, 2), "disque");
    EXPECT_EQ(t.cell(2, 3), "00000ABC");
    EXPECT_EQ(t.currentRow(), 0);

    ASSERT_EQ(state.driveLog.size(), 4u);
    EXPECT_EQ(state.driveLog[0], d.path() + " [FILMS] FS:NTFS   NS:0A1B2C3D  DT:USB  " +
                                     FormatTaille(1536LL * 1048576) + " / " + FormatTaille(4LL * 1073741824));
    EXPECT_EQ(state.driveLog[1], "F:\\ not ok");
    EXPECT_EQ(state.driveLog[3], "Z:\\ not ok");
    EXPECT_EQ(ui.busy, (std::vector<bool>{true, false}));
    EXPECT_TRUE(ui.shown.empty()) << "no failure is reported";
}

TEST_F(DriveSurvey, RefreshForgetsTheChosenDriveAndEmptiesTheLists) {
    provider.add(d.path(), "FILMS", "0A1B2C3D");
    std::filesystem::create_directory(test::pathFromUtf8(d.file("films")));
    RefreshDrives(state, provider, ui);
    state.drives.setCurrentRow(1);
    StringGrid_hdClick(state, ui);
    state.found.insert("2024-01-01 10:00   x");
    state.folders.selected = {"films"};
    ASSERT_EQ(state.SelectedDrive, d.path());

    provider.drives.clear();
    provider.add(e.path(), "AUTRE", "11112222");
    RefreshDrives(state, provider, ui);
    EXPECT_EQ(state.SelectedDrive, "");
    EXPECT_TRUE(state.folders.items.empty());
    EXPECT_TRUE(state.folders.selected.empty());
    EXPECT_TRUE(state.found.empty());
    ASSERT_EQ(state.drives.rowCount(), 2);
    EXPECT_EQ(state.drives.cell(1, 1), "AUTRE");
}

TEST_F(DriveSurvey, ActualiserEmptiesTheLogBeforeRefreshing) {
    provider.add(d.path(), "FILMS", "0A1B2C3D");
    RefreshDrives(state, provider, ui);
    RefreshDrives(state, provider, ui);
    EXPECT_EQ(state.driveLog.size(), 2u);
    state.found.insert("x");
    Button_actualiser_hdClick(state, provider, ui);
    EXPECT_EQ(state.driveLog.size(), 1u);
    EXPECT_TRUE(state.found.empty());
    EXPECT_EQ(provider.listCalls, 3);
}

TEST_F(DriveSurvey, ClickChoosesTheRowsDriveAndListsItsFolders) {
    provider.add(d.path(), "FILMS", "0A1B2C3D");
    std::filesystem::create_directory(test::pathFromUtf8(d.file("films")));
    RefreshDrives(state, provider, ui);
    state.found.insert("x");
    state.scanLog.push_back("Scan : ancien");
    state.scanStatus = "Listage terminé en 1s";
    state.foundCountCaption = "1";

    state.drives.setCurrentRow(0); // the header row changes nothing
    StringGrid_hdClick(state, ui);
    EXPECT_EQ(state.SelectedDrive, "");
    EXPECT_FALSE(state.driveRowSelect);
    EXPECT_FALSE(state.found.empty());

    state.drives.setCurrentRow(1);
    StringGrid_hdClick(state, ui);
    EXPECT_EQ(state.SelectedDrive, d.path());
    EXPECT_TRUE(state.driveRowSelect);
    EXPECT_TRUE(state.found.empty());
    EXPECT_TRUE(state.scanLog.empty());
    EXPECT_EQ(state.foundCountCaption, "n");
    EXPECT_EQ(state.scanStatus, "---");
    ASSERT_EQ(state.folders.items.size(), 2u);
    EXPECT_EQ(state.folders.items[1].name, "films");
}

TEST_F(DriveSurvey, QueryDiskOfTheHeaderIsTheDvdPseudoDisk) {
    DiskIdentity id = QueryDisk(provider, "drive");
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.label, "DVD");
    EXPECT_EQ(id.fileSystem, "-");
    EXPECT_EQ(id.serial, "-");
    EXPECT_EQ(id.typeText, "-");
    EXPECT_EQ(id.freeBytes, 0);
    EXPECT_EQ(id.totalBytes, 0);
    EXPECT_TRUE(provider.queried.empty());
}

TEST_F(DriveSurvey, QueryDiskAsksForTheRootTheTextNames) {
#ifdef _WIN32
    const std::string given = "d:", root = "D:\\";
#else
    const std::string given = d.path() + "/", root = d.path();
#endif
    auto& usb = provider.add(root, "FILMS", "0A1B2C3D", platform::kDriveRemovable);
    usb.freeBytes = 100;
    DiskIdentity id = QueryDisk(provider, given);
    ASSERT_EQ(provider.queried.size(), 1u);
    EXPECT_EQ(provider.queried[0], root);
    EXPECT_TRUE(id.ok);
    EXPECT_EQ(id.label, "FILMS");
    EXPECT_EQ(id.serial, "0A1B2C3D");
    EXPECT_EQ(id.typeText, "USB");
    EXPECT_EQ(id.freeBytes, 100);

    DiskIdentity none = QueryDisk(provider, e.path());
    EXPECT_FALSE(none.ok);
    EXPECT_EQ(none.typeText, "Racine inexistante");
    EXPECT_EQ(none.freeBytes, -1);
    EXPECT_EQ(none.label, "");
}

TEST_F(DriveSurvey, QueryDiskKeepsTheVolumeNameWhenTheSpaceIsUnreadable) {
    auto& dvd =
        provider.add(platform::nativeDriveRoot(d.path()), "DISQUE", "12345678", platform::kDriveCdRom);
    dvd.ok = false;
    dvd.freeBytes = -1;
    DiskIdentity id = QueryDisk(provider, d.path());
    EXPECT_FALSE(id.ok);
    EXPECT_EQ(id.label, "DISQUE");
    EXPECT_EQ(id.serial, "12345678");
    EXPECT_EQ(id.freeBytes, -1);
}

TEST(DriveTypeTexts, OneTextPerCode) {
    const char* expected[] = {"Inconnu", "Racine inexistante", "USB",    "disque", "Reseau",
                              "DVD",     "RAM Disk",           "Inconnu"};
    for (int code = 0; code <= 7; ++code) EXPECT_STREQ(driveTypeText(code), expected[code]) << code;
    EXPECT_STREQ(driveTypeText(-1), "Inconnu");
}

TEST_F(DriveSurvey, ALabelACatalogueCannotSpellIsKeptAsTheCatalogueReadsItBack) {
    provider.add(platform::nativeDriveRoot(d.path()), "ФИЛЬМЫ été", "0A1B2C3D", platform::kDriveRemovable);
    RefreshDrives(state, provider, ui);
    ASSERT_EQ(state.drives.rowCount(), 2);
    EXPECT_EQ(state.drives.cell(1, 1), "?????? été");
    EXPECT_EQ(QueryDisk(provider, d.path()).label, "?????? été");
    EXPECT_EQ(FindDriveByDisk(driveRowsOf(state.drives), "?????? été", "0A1B2C3D"),
              driveRoot(state.drives.cell(1, 0)));
}

// What the notification of a device or mount change does.
class DeviceChange : public DriveSurvey {
protected:
    TempFolder f;

    void SetUp() override {
        provider.add(d.path(), "FILMS", "0A1B2C3D");
        provider.add(e.path(), "MUSIQUE", "11112222");
        std::filesystem::create_directory(test::pathFromUtf8(e.file("albums")));
        RefreshDrives(state, provider, ui);
        state.drives.setCurrentRow(2);
        StringGrid_hdClick(state, ui);
        CheckListBox_repClick(state, ui, 1, true);
        state.found.insert("2024-01-01 10:00   1 oct    >    " + e.file("albums/a.mp3"));
    }
    void expectChoiceKept(int row) {
        EXPECT_EQ(state.SelectedDrive, e.path());
        EXPECT_EQ(state.drives.currentRow(), row);
        EXPECT_EQ(state.drives.cell(row, 0), e.path());
        EXPECT_EQ(state.folders.selected, (std::vector<std::string>{"albums"}));
        ASSERT_EQ(state.folders.items.size(), 2u);
        EXPECT_TRUE(state.folders.items[1].checked);
        EXPECT_EQ(state.found.size(), 1u);
    }
};

TEST_F(DeviceChange, AMountThatChangesNoDriveChangesNothing) {
    provider.drives[0].freeBytes -= 4096; // space moves all the time: no drive came or went
    const auto log = state.driveLog;
    followDeviceChange(state, provider, ui);
    EXPECT_EQ(provider.listCalls, 2);
    expectChoiceKept(2);
    EXPECT_EQ(state.driveLog, log);
    EXPECT_EQ(state.drives.rowCount(), 3);
}

TEST_F(DeviceChange, ANewDriveRebuildsTheTableAndKeepsTheChoice) {
    platform::DriveInfo usb;
    usb.root = f.path();
    usb.label = "CLÉ";
    usb.serial = "ABCD0001";
    usb.typeCode = platform::kDriveRemovable;
    usb.freeBytes = usb.totalBytes = 1024;
    usb.ok = true;
    provider.drives.insert(provider.drives.begin(), usb);
    followDeviceChange(state, provider, ui);
    ASSERT_EQ(state.drives.rowCount(), 4);
    EXPECT_EQ(state.drives.cell(1, 1), "CLÉ");
    expectChoiceKept(3);

    provider.drives.erase(provider.drives.begin() + 1); // another drive than the chosen one goes
    followDeviceChange(state, provider, ui);
    ASSERT_EQ(state.drives.rowCount(), 3);
    expectChoiceKept(2);
}

TEST_F(DeviceChange, TheChosenDriveGoneOrAnotherDiskInItsPlaceRefreshesEverything) {
    provider.drives[1].serial = "99998888"; // another disk mounted where the chosen one was
    followDeviceChange(state, provider, ui);
    EXPECT_EQ(state.SelectedDrive, "");
    EXPECT_EQ(state.drives.currentRow(), 0);
    EXPECT_TRUE(state.folders.items.empty());
    EXPECT_TRUE(state.folders.selected.empty());
    EXPECT_TRUE(state.found.empty());
    ASSERT_EQ(state.drives.rowCount(), 3);
    EXPECT_EQ(state.drives.cell(2, 3), "99998888");
}

TEST_F(DeviceChange, WithoutAChosenDriveTheFoundListStays) {
    // As after a DVD list import, which leaves the header row current.
    RefreshDrives(state, provider, ui);
    state.found.insert("---- DVD|x");
    provider.drives.pop_back();
    followDeviceChange(state, provider, ui);
    EXPECT_EQ(state.drives.rowCount(), 2);
    EXPECT_EQ(state.drives.currentRow(), 0);
    EXPECT_EQ(state.found.size(), 1u);
}
