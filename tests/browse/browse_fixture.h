#pragma once
#include <string>
#include <vector>

#include "browse/browse_state.h"
#include "browse/list_follower.h"
#include "support/fake_shell.h"
#include "support/program_fixture.h"

namespace verdan::test {

// A program with a global list built in memory, the window's browse state and fake ports.
struct BrowseFixture : ProgramFixture {
    BrowseState browse;
    // What the program object does for the windows: the search result and the mark counter follow
    // every edit of the list.
    BrowseFollower follower{program, browse};
    FakeShell shell;

    GlobalList& list() { return program.globalList.table; }

    struct Media {
        std::string disk = "FILMS";
        std::string serial = "1234ABCD";
        std::string title = "Alien";
        std::string ext = ".avi";
        std::string folder = ":\\films";
        std::string size = "700 Mo";
        std::string mark;
        std::string media = "vidéo";
        std::string date = "2020-01-01 10:00";
    };

    // Appends a row (the blank row of the empty list is replaced by the first one).
    std::size_t add(const Media& m) {
        GlobalList& t = list();
        const std::vector<std::string> cells = {std::to_string(t.rowCount()),
                                                m.disk,
                                                m.media,
                                                m.title,
                                                m.ext,
                                                m.date,
                                                m.folder,
                                                m.size,
                                                "E",
                                                "USB",
                                                m.serial,
                                                "1,00 Go",
                                                "2,00 Go",
                                                m.mark};
        if (t.rowCount() == 2 && t.isEmptyRow(1)) {
            t.setRow(1, cells);
            return 1;
        }
        return t.appendRow(cells);
    }
    std::size_t addTitle(const std::string& title) {
        Media m;
        m.title = title;
        return add(m);
    }
    void reindex() {
        indexer_liste(list(), program.globalList.keys, program.catalogue.params.indexLevel, false,
                      program.globalList.index);
    }
    std::vector<std::string> column(GridTable t, const std::string& header) const {
        std::vector<std::string> out;
        const int c = t.indice_col_liste(header);
        for (std::size_t r = 1; r < t.rowCount(); ++r) out.emplace_back(t.cell(r, c));
        return out;
    }
    std::vector<std::string> titles(GridTable t) const { return column(t, "titre"); }

    // A disk that holds the test's folder "mnt", so that its files really exist: on Linux it is
    // mounted there, on Windows it is that folder's drive and the rows' folders lead to it.
#ifdef _WIN32
    static constexpr bool kWindows = true;
#else
    static constexpr bool kWindows = false;
#endif
    static constexpr char kSep = kWindows ? '\\' : '/';
    std::string mount() const {
        return dir.file("mnt");
    }
    std::string driveCell() const {
        return kWindows ? mount().substr(0, 3) : mount();
    }
    std::string folderCell(const std::string& sub) const {
        return (kWindows ? ":" + mount().substr(2) + "\\" : std::string(":\\")) + sub;
    }
    std::string folder(const std::string& sub) const {
        return mount() + kSep + sub;
    }
    std::string file(const std::string& name) const {
        return folder("films") + kSep + name;
    }
    std::vector<std::string> titles() {
        return titles(list());
    }
};

} // namespace verdan::test
