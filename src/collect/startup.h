#pragma once
#include "catalogue/settings.h"
#include "collect/collection_state.h"
#include "util/ui.h"

namespace verdan {

// What the opening sequence asks of the windows: screens, bounds and waiting panels.
class StartupView {
public:
    virtual ~StartupView() = default;
    virtual ScreenInfo screenInfo() = 0;
    // The windows' bounds before the settings file moves them.
    virtual void currentBounds(WindowGeometry& form1, WindowGeometry& form2) = 0;
    // The settings, parameters and texts are read: the widgets take them (no save is triggered).
    virtual void applyState() = 0;
    // Advanced mode: Panel_attendre over the collection window, painted at once.
    virtual void showLoadingPanel(bool shown) = 0;
    // Basic mode or empty list: the global-list window shown with its Panel4.
    virtual void showGlobalListLoading(bool shown) = 0;
    // What BitBtn_form2_bis does: the global-list window in the collection window's place.
    virtual void showGlobalListWindow() = 0;
    virtual void focusGlobalListButton() = 0;
};

// Said at the first start of an installation whose folder cannot be written.
std::string programFolderElsewhereText(const std::string& installed, const std::string& programFolder);

// Asked at start-up when the list file is missing but its backup is there.
std::string restoreQuestion(const std::string& listFile, const std::string& backup, std::int64_t mediaCount);

// The question of the advanced mode before loading.
std::string loadQuestion(std::int64_t mediaCount, const std::string& media1, const std::string& media2,
                         const std::string& listFileName);

// The loading steps: the list file in replace mode, the key set, the counts and the disk list.
void loadCurrentList(ProgramState& program, Ui& ui, bool keepKeys);

// First activation of the collection window. Throws VerdanError when the list file exists but
// cannot be read: FirstActivation then stays set and the next activation tries again.
void openingSequence(ProgramState& program, CollectionState& form1, Ui& ui, StartupView& view);

// Every activation, after the opening sequence: the title, and every mark cleared.
std::string activate(ProgramState& program);

} // namespace verdan
