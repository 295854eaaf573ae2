#pragma once
#include <string>

#include "catalogue/program_state.h"
#include "support/fake_ui.h"
#include "support/temp_folder.h"
#include "util/cp1252.h"
#include "util/file_helpers.h"

namespace verdan::test {

// A program folder with its "listes" folder, and the state a fresh start would have.
struct ProgramFixture {
    TempFolder dir;
    FakeUi ui;
    ProgramState program;

    ProgramFixture() {
        program.programFolder = dir.path();
        platform::createFolders(listFolder());
    }
    std::string listFolder() const { return joinPath(dir.path(), "listes"); }
    std::string listFile(const std::string& name = "liste_globale_médias") const {
        return joinPath(listFolder(), name + ".txt");
    }
    // A list file in Windows-1252 with the standard header and the given data lines (UTF-8 here).
    std::string writeList(const std::vector<std::string>& lines,
                          const std::string& name = "liste_globale_médias") const {
        std::string text = "n\tnom-disque\tmédia\ttitre\text\tdate\trépertoire\ttaille\tdrive\ttype-disque"
                           "\tNS-disque\tlibre\ttotal\t x\r\n";
        for (const auto& l : lines) text += l + "\r\n";
        const std::string path = listFile(name);
        std::ofstream(verdan::test::pathFromUtf8(path), std::ios::binary) << cp1252::encode(text);
        return path;
    }
    // A data line in the file's form: the cells joined by tabs.
    static std::string row(const std::string& n, const std::string& disk, const std::string& title,
                           const std::string& size = "700 Mo", const std::string& serial = "1234ABCD") {
        return n + "\t" + disk + "\tvidéo\t" + title + "\t.avi\t2020-01-01 10:00\t:\\films\t" + size +
               "\tE\tUSB\t" + serial + "\t1,00 Go\t2,00 Go\t";
    }
};

} // namespace verdan::test
