#include <gtest/gtest.h>

#include "collect/new_row.h"
#include "collect/scan.h"
#include "support/temp_folder.h"
#include "util/file_helpers.h"
#include "util/format.h"

#include <filesystem>

using namespace verdan;
using verdan::test::TempFolder;
namespace fs = std::filesystem;

namespace {
const std::array<MediaCategory, 2> kDefaults = CatalogueParams().media;
#ifdef _WIN32
const std::string kRoot = "E:\\";
#else
const std::string kRoot = "/media/anna/FILMS";
#endif
} // namespace

TEST(NewRow, FoundLinesSplitAtTheirFirstArrow) {
    const std::string longPath = joinPath(kRoot, std::string(300, 'a') + ".avi");
    const std::string line = makeFoundLine("2020-05-01 10:30", 5, longPath, ",");
    const FoundLineParts parts = splitFoundLine(line);
    EXPECT_EQ(parts.date, "2020-05-01 10:30");
    EXPECT_EQ(parts.path, longPath) << "a long path keeps the end of its name";
    const FoundLineParts bare = splitFoundLine("  sans flèche  ");
    EXPECT_EQ(bare.date, "");
    EXPECT_EQ(bare.path, "sans flèche");
}

TEST(NewRow, FoldersTakeTheCatalogueFormOnEverySystem) {
    EXPECT_EQ(catalogueFolder(joinPath(joinPath(joinPath(kRoot, "films"), "2020"), "a.avi"), kRoot),
              ":\\films\\2020");
    EXPECT_EQ(catalogueFolder(joinPath(kRoot, "a.avi"), kRoot), ":\\");
#ifdef _WIN32
    EXPECT_EQ(catalogueFolder("D:\\films\\a.avi", "E:\\"), ":\\films") << "another letter";
    EXPECT_EQ(driveCell("E:\\"), "E");
#else
    EXPECT_EQ(catalogueFolder("/films/a b/c.avi", "/"), ":\\films\\a b");
    EXPECT_EQ(catalogueFolder("/media/anna/FILMS2/a.avi", "/media/anna/FILMS"), ":\\media\\anna\\FILMS2")
        << "a neighbour's name is no prefix of its folders";
    EXPECT_EQ(driveCell("/media/anna/FILMS"), "/media/anna/FILMS");
    EXPECT_EQ(fileNameOf("/films/Star Wars: IV.avi", FoundKind::File), "Star Wars: IV.avi");
#endif
    EXPECT_EQ(driveCell("drive"), "d");
}

TEST(NewRow, MediaKindIsTheCategoryThatAcceptsTheFileTheFirstOneFirst) {
    EXPECT_EQ(mediaKind(".avi", kDefaults), "vidéo");
    EXPECT_EQ(mediaKind(".MKV", kDefaults), "vidéo");
    // The scan takes "Été à Paris.mp4" as a video: "mp4a" of the music holds "mp4" but is not it.
    EXPECT_EQ(mediaKind(".mp4", kDefaults), "vidéo");
    EXPECT_EQ(mediaKind(".mp4a", kDefaults), "musique");
    EXPECT_EQ(mediaKind(".mp3", kDefaults), "musique");
    EXPECT_EQ(mediaKind(".mp", kDefaults), ".mp") << "a part of an item is no item";
    EXPECT_EQ(mediaKind("", kDefaults), "");
    EXPECT_EQ(mediaKind(".", kDefaults), ".");
    auto media = kDefaults;
    media[0].extensionFilter = "avi";
    EXPECT_EQ(mediaKind(".ts", media), ".t");
    EXPECT_EQ(mediaKind(".Docs", media), ".Doc");
    media[1].extensionFilter = "AVI, ogg";
    EXPECT_EQ(mediaKind(".avi", media), "vidéo") << "both list it: the first category wins, as in the scan";
}

TEST(NewRow, DvdEntriesTakeTheirKeyAndFolderFromTheirText) {
    const std::string kDvdLine = "2025-03-05  >   -DVD      12 - :\\Les Temps modernes";
    const DiskIdentity dvd{"DVD", "-", "-", "-", 0, 0, true};
    NewRowValues v = newRowValues(kDvdLine, dvd, "drive", 3, kDefaults);
    EXPECT_EQ(v.kind, FoundKind::Dvd);
    EXPECT_EQ(v.key, "Les Temps modernesDVD-") << "neither date nor number, at every level";

    v = newRowValues("2025-03-05  >   -DVD  1234 - :\\Doc: Vol\\2.avi", dvd, "drive", 1, kDefaults);
    EXPECT_EQ(v.titre, "2");
    EXPECT_EQ(v.media, "vidéo");
    EXPECT_EQ(v.key, "Doc: Vol\\2.aviDVD-");

    v = newRowValues("2025-03-05  >   -DVD    12 - :\\Best DVD|Live|2", dvd, "drive", 1, kDefaults);
    EXPECT_EQ(v.kind, FoundKind::DvdPipe);
    EXPECT_EQ(v.key, "Best DVD|Live|2");
    EXPECT_EQ(v.folder, "2025-03-05  >   -DVD    12 - :\\Best DVD2");
}

TEST(NewRow, ScannedFilesAreFilesWhateverTheirNameHolds) {
    TempFolder drive;
    const std::string path = drive.write("Film-DVDRip.avi", "12345");
    const DiskIdentity disk{"FILMS", "NTFS", "0A1B2C3D", "USB", 0, 0, true};
    const std::string line = makeFoundLine("2020-05-01 10:30", 5, path, ",");
    const std::string idx1 = "Film-DVDRip.aviFILMS0A1B2C3D", size = FormatTaille(5);
    EXPECT_EQ(newRowValues(line, disk, drive.path(), 0, kDefaults).key, idx1);
    EXPECT_EQ(newRowValues(line, disk, drive.path(), 1, kDefaults).key, idx1 + size);
    EXPECT_EQ(newRowValues(line, disk, drive.path(), 2, kDefaults).key, idx1 + size + "2020-05-01 10:30");
    const NewRowValues v = newRowValues(line, disk, drive.path(), 3, kDefaults);
    EXPECT_EQ(v.key, idx1 + size + "2020-05-01 10:30:\\");
    EXPECT_EQ(v.kind, FoundKind::File);
    EXPECT_EQ(v.size, size);
    fs::remove(test::pathFromUtf8(path));
    EXPECT_EQ(newRowValues(line, disk, drive.path(), 1, kDefaults).key, idx1 + "N/A") << "vanished";
}
