#pragma once
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalogue/global_list.h"
#include "collect/disk_identity.h"

// The rows of one disk under the folders a scan walks, gathered so that a refresh of the disk need
// not read the whole list after the scan: a slice at a time while the scan runs, or all at once.
namespace verdan {

// The catalogue's form (":\films\2020") of a folder the scan names by its path.
std::string catalogueFolderOf(const std::string& folder, std::string_view driveRoot);

// Folders in the catalogue's form, and whether a folder is one of them or lies below one; letter
// case aside on Windows, which names a folder whatever the case it is written in.
class FolderSet {
public:
    void add(std::string_view folder);
    bool covers(std::string_view folder) const;
    bool empty() const { return m_keys.empty(); }

private:
    std::unordered_set<std::string> m_keys;
};

// A file of the catalogue is told by its path, "folder\titre+ext", as a 64-bit hash: two of a
// disk's hundred thousand paths share one with a chance of about one in 10^9. `buffer` is the
// caller's, reused.
std::uint64_t pathHash(std::string& buffer, std::string_view folder, std::string_view titre,
                       std::string_view ext);

class DiskRows {
public:
    // The rows of `disk` (name and serial, exactly) in `table`, under the `folders` (paths) of the
    // scanned drive `driveRoot`. `table` outlives this object.
    DiskRows(const GlobalList& table, const DiskIdentity& disk, const std::string& driveRoot,
             const std::vector<std::string>& folders);

    // User-interface thread: reads up to `count` more rows, or fewer when `budget` is spent. A
    // table changed since the gathering began is gathered again from its first row.
    void step(std::size_t count, std::chrono::microseconds budget = std::chrono::microseconds::max());
    // Gathers what is left at once, on every core.
    void finish();
    // Every row read, and none of the cells it read changed since.
    bool current() const;

    struct Row {
        std::uint64_t hash = 0;
        std::size_t row = 0;
        std::uint32_t folder = 0;    // in folders()
        std::string_view size, date; // the row's cells, valid while current()
    };
    const GlobalList& table() const { return m_table; }
    const std::vector<Row>& rows() const { return m_rows; }
    const std::vector<std::string>& folders() const { return m_folders; }
    // The disk's first row in the table, under the walked folders or not; SIZE_MAX when none.
    std::size_t firstRow() const { return m_firstRow; }

private:
    // The rows' stamp and every column's: a row whose memory moves changes one of them.
    using Stamps = std::array<std::uint64_t, kListColumns + 1>;
    Stamps stampsNow() const;
    void restartIfChanged();
    // Whether `row` is the disk's, reading as few of its bytes as can tell.
    bool mayBeOfDisk(std::string_view row) const;
    // The hash and folder of one of the disk's rows; false for another disk's.
    struct Found {
        std::size_t row = 0;
        std::uint64_t hash = 0;
        std::string_view folder, size, date;
    };
    bool read(std::size_t row, std::string& buffer, Found& found) const;
    // Takes a row of the disk in, when it lies under a walked folder.
    void take(const Found& found);

    const GlobalList& m_table;
    DiskIdentity m_disk;
    FolderSet m_walked;
    int m_name, m_serial, m_folder, m_titre, m_ext, m_size, m_date;
    Stamps m_stamps;
    std::size_t m_next = 1;
    std::vector<Row> m_rows;
    std::vector<std::string> m_folders;
    std::unordered_map<std::string, std::uint32_t> m_folderIds;
    std::vector<bool> m_folderWalked; // by folder id
    std::size_t m_firstRow = SIZE_MAX;
    std::string m_buffer;
};

} // namespace verdan
