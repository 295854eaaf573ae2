#pragma once
#include <string>

#include "catalogue/program_state.h"
#include "util/ui.h"

// Who may write the current catalogue: the lock beside its list file, and the read-only state of
// a program that found it held by another.
namespace verdan {

// The lock of the current list file, once per list file: the lock held for another one goes. A
// lock left by a program that has ended here is taken over; one that another program holds is
// said, and the user opens the list read-only or takes it over.
void followListLock(ProgramState& program, Ui& ui);

// Before anything writes the list or its parameter file. False, after saying so and by whom, when
// this program may not: the list is open read-only, or another program has taken it over since.
bool mayWriteCatalogue(ProgramState& program, Ui& ui);

// At quit, or when the list is to be written elsewhere: the lock file goes (unless another
// program has taken it over). The next write settles the lock of the list file then current.
void releaseListLock(ProgramState& program);

// What the windows show after their title: empty unless the list is open read-only.
std::string accessCaption(const ProgramState& program);

// The list file as it is now is what the table holds: after it was read into the table or the
// table written into it.
void rememberListFile(ProgramState& program);

// enregistrer_parametre_liste, then the level shown follows a level taken from the file.
bool saveCatalogueParams(ProgramState& program, Ui& ui, bool announce);

// The question asked when another program holds the list.
std::string lockedListQuestion(const std::string& listFile, const LockHolder& holder);

} // namespace verdan
