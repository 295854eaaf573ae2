#include "browse/favourites_copy.h"

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "browse/marks.h"
#include "browse/opening.h"
#include "browse/retrieval_plan.h"
#include "catalogue/contained_paths.h"
#include "catalogue/file_copy.h"
#include "platform/files.h"
#include "util/cp1252.h"
#include "util/dialogs.h"
#include "util/error.h"
#include "util/file_helpers.h"
#include "util/format.h"
#include "util/text.h"

namespace verdan {
namespace {

void writeMissingSources(Ui& ui, const std::string& path, const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    if (platform::writeFileAtomically(path, cp1252::encode(text)) != platform::WriteResult::Ok) {
        showError(ui, msg::cannotCreate(path));
        return;
    }
    ui.showInfo(
        "  ==== certains fichier(s) source sont inexistant(s) ===== \n\n       liste enregistrée dans : " +
        path);
}

void hideCopyPanel(BrowseState& browse, CopyView& view) {
    browse.copyPanel.visible = false;
    view.copyProgressChanged();
}

// The multiple copy's side of the run: the rows it walks and unmarks, and the disks that come and
// go meanwhile, whose files join the retrieval plan.
class MarkedRowSteps : public BatchSteps {
public:
    MarkedRowSteps(ProgramState& program, BrowseState& browse, Ui& ui, GridTable& table,
                   const DriveRows& drives, const std::function<DriveRows()>& recheckDrives)
        : m_program(program), m_browse(browse), m_ui(ui), m_table(table), m_recheckDrives(recheckDrives),
          m_present(drives), m_mark(table.indice_col_liste(kMark)),
          m_serial(table.indice_col_liste("NS-disque")), m_disk(table.indice_col_liste("nom-disque")) {}

    // The rows of disks on the shelf go into the plan before anything is copied, so that the plan
    // holds them whatever becomes of the copy.
    void planAbsentDisks(const std::vector<BatchFile>& files) {
        bool changed = false;
        for (const BatchFile& f : files)
            if (FindDriveBySerial(m_present, serial(f)).empty())
                changed = m_browse.plan.add(plannedFile(f)) || changed;
        if (changed) saveRetrievalPlan(m_browse.plan, m_ui);
    }

    void starting(const BatchFile& f) override { m_table.selectRow(f.origin); }

    BatchSource locate(const BatchFile& f) override {
        const std::string drive = FindDriveBySerial(m_present, serial(f));
        if (!drive.empty() && !staysOnItsDisk(f.catalogueFolder))
            return {BatchSource::Kind::Refused,
                    refusedRowLine(m_table.cell(f.origin, m_disk), f.catalogueFolder, f.name)};
        if (drive.empty()) return {BatchSource::Kind::Missing, onTheShelf(f)};
        std::string source = fileOnDisk(drive, f.catalogueFolder, f.name);
        if (platform::isFile(source)) return {BatchSource::Kind::File, std::move(source)};
        // A disk unplugged since the click is found gone here, and joins the plan.
        if (!diskStillThere(serial(f), false)) return {BatchSource::Kind::Missing, onTheShelf(f)};
        return {BatchSource::Kind::Missing, std::move(source)};
    }

    // Unplugged during its copy: planned with the rest of its disk; otherwise the file itself
    // cannot be read, which ends the copy as any input error does.
    std::optional<std::string> lostDuringCopy(const BatchFile& f) override {
        if (diskStillThere(serial(f), true)) return std::nullopt;
        return onTheShelf(f);
    }

    void done(const BatchFile& f) override { m_table.setCell(f.origin, m_mark, ""); }

    // However the pass ends, an error included, the counter says what is marked and the plan
    // holds the disks that went.
    void finished() override {
        CountMarks(m_program, m_browse);
        if (m_planChanged) saveRetrievalPlan(m_browse.plan, m_ui);
        m_planChanged = false;
    }

private:
    std::string_view serial(const BatchFile& f) const { return m_table.cell(f.origin, m_serial); }
    // The plan takes a row's cells from the list itself, which a result row refers to.
    PlannedFile plannedFile(const BatchFile& f) const {
        return plannedFileOfRow(m_program.globalList.table,
                                m_browse.filterShown ? m_browse.filter.listRow(f.origin) : f.origin);
    }
    // An absent disk's file is planned, and listed by the disk's name before the catalogue's
    // folder form (":\\films"), which reads as the disk to plug in ("FILMS:\\films\\a.avi") and
    // names no file here.
    std::string onTheShelf(const BatchFile& f) {
        m_planChanged = m_browse.plan.add(plannedFile(f)) || m_planChanged;
        return std::string(m_table.cell(f.origin, m_disk)) + f.catalogueFolder + "\\" + f.name;
    }
    // The drives as they were at the click, asked again when a disk stops answering. A disk found
    // there with files missing is asked about at most once a second, not once per file.
    bool diskStillThere(std::string_view serial, bool now) {
        const auto seen = m_answered.find(serial);
        if (!now && seen != m_answered.end() && m_browse.tick() - seen->second <= 1000) return true;
        if (m_recheckDrives) m_present = m_recheckDrives();
        const bool there = !FindDriveBySerial(m_present, serial).empty();
        if (there) m_answered[std::string(serial)] = m_browse.tick();
        return there;
    }

    ProgramState& m_program;
    BrowseState& m_browse;
    Ui& m_ui;
    GridTable& m_table;
    const std::function<DriveRows()>& m_recheckDrives;
    DriveRows m_present;
    std::map<std::string, std::uint32_t, std::less<>> m_answered;
    bool m_planChanged = false;
    int m_mark, m_serial, m_disk;
};

// Nothing marked: the highlighted rows are marked when the user wants them copied. True when
// that marked some.
bool markSelectionForCopy(ProgramState& program, BrowseState& browse, Ui& ui, GridTable& table,
                          const RowSet& selection) {
    if (ui.ask(DialogType::Confirmation,
               "  Aucun fichier de coché pour la copie           \n\n   Cocher et copier les fichiers "
               "sélectionnés ?   ",
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return false;
    toggleMarks(table, selection);
    CountMarks(program, browse);
    // Nothing highlighted marks nothing: asking again would go round in circles.
    return countMarkedRows(table) > 0;
}

// The questions before a multiple copy; nothing when the user declines.
std::optional<ExistingChoice> confirmMultipleCopy(BrowseState& browse, Ui& ui, const BatchTotals& totals) {
    CopyProgressPanel& panel = browse.copyPanel;
    panel.total = "Total  " + FormatTaille(totals.bytes);
    if (ui.ask(DialogType::Confirmation,
               "Copier les " + toText(totals.count) + " fichiers cochés vers les favoris ? \n\n" +
                   "   représentant au " + panel.total + "\n\n" + "   et sans les doublons  " +
                   FormatTaille(totals.bytes - totals.existingBytes),
               {DialogButton::Yes, DialogButton::No}) != DialogButton::Yes)
        return std::nullopt;
    const ExistingChoice choice = askAboutExisting(ui, totals);
    if (choice == ExistingChoice::Cancel) {
        ui.setBusy(false);
        return std::nullopt;
    }
    return choice;
}

} // namespace

void copyOneToFavourites(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                         const std::string& source) {
    if (program.copyRunning) return;
    const std::string folder = program.globalList.favouritesCaption;
    if (!platform::isFolder(folder)) {
        ui.showInfo(" Répertoire favoris inexistant <" + folder + "> ...    ");
        return;
    }
    removeStaleTemporaries(folder);
    program.StopRequested = false;
    CopyProgressPanel& panel = browse.copyPanel;
    panel.fileName = browse.contextPanel.fileName;
    panel.folder = browse.contextPanel.folder;
    panel.total = browse.contextPanel.sizeText;
    panel.counter.clear();
    browse.contextPanel.visible = false;
    panel.batchBarVisible = false;
    panel.remaining = "--:--";
    panel.visible = true;
    browse.batchStartTick = browse.tick();
    CopyScope scope(program, browse, ui, view, false);
    // The planned total is the real size, known once the copy has read it.
    std::int64_t size = 0;
    CopyFileWithProgress(program, browse, ui, view, source, folder, fileNameOfPath(source), size, 0, size);
}

void BitBtn_copie_un_par_unClick(ProgramState& program, BrowseState& browse, Ui& ui, Shell& shell,
                                 CopyView& view, const DriveRows& drives, std::size_t current) {
    BusyScope busy(ui);
    const std::string path = lancer_explorateur_ou_copie_StringGrid(program, browse, ui, shell, drives,
                                                                    current, RowAction::CopyToFavourites);
    browse.contextPanel.visible = false;
    if (!path.empty()) copyOneToFavourites(program, browse, ui, view, path);
}

void Button_copie_multipleClick(ProgramState& program, BrowseState& browse, Ui& ui, CopyView& view,
                                const DriveRows& drives, const RowSet& selection,
                                const std::function<DriveRows()>& recheckDrives) {
    if (program.copyRunning) return;
    const std::string folder = program.globalList.favouritesCaption;
    if (!platform::isFolder(folder)) {
        ui.showInfo(" Répertoire <" + folder + "> inexistant ");
        return;
    }
    GridTable table = visibleTable(program, browse);
    const std::vector<BatchFile> files = markedFiles(table);
    if (files.empty()) {
        if (markSelectionForCopy(program, browse, ui, table, selection))
            Button_copie_multipleClick(program, browse, ui, view, drives, selection, recheckDrives);
        hideCopyPanel(browse, view);
        return;
    }
    // The pass ends on the last marked row, as if it had walked the table row by row.
    table.selectRow(files.back().origin);
    const BatchTotals totals = batchTotals(files, folder);
    const std::optional<ExistingChoice> choice = confirmMultipleCopy(browse, ui, totals);
    if (!choice) {
        hideCopyPanel(browse, view);
        return;
    }

    MarkedRowSteps steps(program, browse, ui, table, drives, recheckDrives);
    followFavouritesFolder(browse.plan, folder, ui);
    removeStaleTemporaries(folder);
    steps.planAbsentDisks(files);
    const BatchTotals left = afterChoice(totals, *choice);
    BatchCopy batch(program, browse, ui, view, folder, left.count, left.bytes);
    BatchOptions options;
    options.overwrite = *choice == ExistingChoice::Overwrite;
    options.stoppedIsDone = true;
    options.showMissing = true;
    const BatchOutcome outcome = batch.run(files, options, steps);
    if (!browse.missingSources.empty())
        writeMissingSources(ui, pathInFolder(folder, kMissingSourcesFile), browse.missingSources);
    reportBatch(ui, outcome, {"qui restent cochés", "ne sont pas copiées et restent cochées"});
    batch.end();
}

void BitBtn3Click(ProgramState& program) {
    program.StopRequested = true;
}

} // namespace verdan
