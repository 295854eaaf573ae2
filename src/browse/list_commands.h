#pragma once
#include <functional>

#include "catalogue/program_state.h"
#include "util/ui.h"

namespace verdan {

// What the load, save and Undo commands ask of the global-list window.
class ListCommandsView {
public:
    virtual ~ListCommandsView() = default;
    // Panel4 over the global-list window, painted at once.
    virtual void showLoadingPanel(bool shown) = 0;
};

// "Lecture de la liste": reloads the current list file after the user's confirmation. False when
// the user declined.
bool Button_charger_bdClick(ProgramState& program, Ui& ui, ListCommandsView& view);

// "Enregistrer la liste": the previous list file becomes the backup, the table is written, the
// date label is set, then the settings file and the parameter file. False when the user declined.
bool Button_enregistrer_listeClick(ProgramState& program, Ui& ui);
// What the save does once the user agreed, without its question and closing message. False when
// nothing was written: the list is open read-only, or the list file changed on disk since it was
// read and the user reloaded it or cancelled.
bool saveCurrentList(ProgramState& program, Ui& ui);

// Before the table is written over the list file: when the file is no longer what the table was
// read from or written to (another program saved it since), the user reloads it (losing the
// changes made here), writes anyway (`anyway` names that choice; the other version goes to the
// backup) or cancels. A list file that vanished since is asked about too.
enum class DiskCheck { Unchanged, Reloaded, WriteAnyway, Cancelled };
DiskCheck checkListOnDisk(ProgramState& program, Ui& ui, const std::string& anyway);
std::string listChangedQuestion(const std::string& listFile, const std::string& anyway);

// "Undo": exchanges the list file and its backup and loads it.
void Button_undoClick(ProgramState& program, Ui& ui);

enum class QuitSender { Button, Form1Closing, Form2Closing };
enum class QuitOutcome { Stay, ExitNow, CloseMainWindow };

// The one quit procedure of both windows. `foundLines`: lines still in the collection window's
// found list. Throws VerdanError only when the list itself cannot be saved (the program then stays
// open); a parameter or settings file that cannot be written is reported and the quit goes on.
// While a copy runs, quitting asks it to stop and stays.
QuitOutcome Button_exitClick(ProgramState& program, Ui& ui, QuitSender sender, std::size_t foundLines);

// The date label after a save: the system's short date and long time cut to 16 characters.
std::string saveDateLabel(const std::string& nowText);

} // namespace verdan
