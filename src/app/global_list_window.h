#pragma once
#include <QMainWindow>

#include <functional>

#include "browse/browse_state.h"
#include "browse/favourites_copy.h"
#include "browse/keyboard.h"
#include "browse/list_commands.h"
#include "browse/retrieval_plan.h"
#include "catalogue/program_state.h"
#include "program/program.h"
#include "util/ui.h"

class QBoxLayout;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QKeyEvent;
class QLineEdit;
class QListWidget;
class QModelIndex;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTimer;
class QTableView;
class QToolButton;
class QTreeWidget;

// The global-list window; created hidden, shown from the collection window.
class GlobalListModel;

class TForm2 : public QMainWindow,
               private verdan::ListCommandsView,
               private verdan::CopyView,
               private verdan::ProgramView {
    Q_OBJECT
public:
    // `quit`: the quit procedure.
    TForm2(verdan::Program& app, std::function<verdan::QuitOutcome(verdan::QuitSender)> quit,
           QWidget* parent = nullptr);
    ~TForm2() override;
    verdan::BrowseState& browseState() { return m_browse; }

    void refreshView();
    // Panel4 placed by the size of the window that asks (the collection window at start-up).
    void showPanel4(bool shown, int overWidth, int overHeight);

    void Button_charger_bdClick();
    // "Choisir => ": the catalogue choice, which the coordinator runs for both windows.
    void BitBtn_choix_lstClick();
    // Runs a change of catalogue made from either window, then takes its panel away.
    void changeCatalogue(const std::function<void()>& command);
    void Button_enregistrer_listeClick();
    void Button_undoClick();
    void Button_exitClick();
    void Button_debutClick();
    void Button_finClick();
    void BitBtn1Click();
    void ApplyModeAvance(bool on);
    void CheckBox_mode_avancerClick();
    void ComboBox1Change();
    // Applies a font size (8, 10, 12, 15): rows 2 x size - 2 pixels high.
    void applyFontSize(int size);

    // Search, sort, opening, deletion, marks and favourites (global_list_window_browse.cpp).
    void Button_rechercherClick();
    void Button_init_filtreClick();
    void Edit1Enter();
    // The search box's text after a pause in the typing.
    void Edit1Typed();
    void sortOnHeader(verdan::Grid grid, int column);
    void StringGrid1DblClick(verdan::Grid grid, const QModelIndex& cell);
    void StringGrid1Click(const QModelIndex& cell);
    // A right click at `pos` of the table's viewport.
    void StringGrid1MouseDown(verdan::Grid grid, const QPoint& pos);
    void BitBtn2Click();
    void BitBtn_copie_un_par_unClick();
    void Button_copie_multipleClick();
    void BitBtn3Click();
    void BitBtn5Click();
    void BitBtn4Click();
    void Button_delClick();
    void Button_effacer_liste_un_hdClick();
    void Button_vider_bdClick();
    void ListBox_hd_referencerClick(int index);
    void BitBtn_tout_cocherClick();
    void BitBtn_tout_decocherClick();
    // The marks were cleared at the collection window's activation: the counter shows it.
    void listMarksCleared();
    void BitBtn_coche_selectionClick();
    // True when the key was handled here and the table must not see it.
    bool StringGrid1KeyDown(QKeyEvent* event);
    void BitBtn_rep_favoriClick();
    void SpeedButton1Click();
    void BitBtn_helpClick();
    // The retrieval plan (global_list_window_plan.cpp): "Disques à brancher" and its panel, the
    // plan opened at start-up, and the offer of the disks of the plan that are plugged in.
    void Button_disques_a_brancherClick();
    void Button_retirer_disqueClick();
    void Button_copier_disqueClick();
    void Button_vider_planClick();
    void startRetrievalPlan();
    void offerPlannedDisks();
    // Table rows (1 = first data row) highlighted in a table, and its current row.
    verdan::RowSet selectionOf(QTableView* table) const;
    std::size_t currentRowOf(QTableView* table) const;
    QTableView* visibleView() const;

signals:
    // BitBtn1: the collection window is wanted in this one's place.
    void collectionAsked();
    // BitBtn_choix_lst: another catalogue is wanted, then this window.
    void catalogueChoiceAsked();
    // A copy started while this window was hidden: it is wanted on screen for its panel.
    void globalListAsked();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refreshDiskList();
    void buildTopBand(QWidget* band);
    void buildSidePanel(QWidget* side);
    void buildDiskControls(QWidget* side, QBoxLayout* v);
    void buildMarkControls(QWidget* side, QBoxLayout* v);
    void buildFavouritesRow(QWidget* side, QBoxLayout* v);
    void buildFloatingPanels();
    void showLoadingPanel(bool shown) override;
    // Panel3 and Memo1 as the copy leaves them, painted at once.
    void copyProgressChanged() override;
    // While a copy walks the table, what would change it or switch the catalogue is locked.
    void applyCopyLock();
    void quit(verdan::QuitSender sender);
    void programChanged() override { refreshView(); }
    void connectBrowse();
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Shows the browse state: the table on screen, the counter, the chosen disk, the context panel.
    void refreshBrowse();
    void placePanel1(const verdan::PanelPlacement& placement);
    int panel1LabelLeft() const;
    // The width that shows the widest of the panel's button captions whole.
    int panel1ButtonWidth() const;
    void applyKeyOutcome(const verdan::KeyOutcome& outcome);
    void selectRows(QTableView* table, verdan::RowRange rows);
    verdan::DriveRows presentDrives() const;
    void buildPlanPanel();
    void placePlanPanel();
    // The panel's disks as the plan and the drives are now; the plan follows the favourites folder.
    void refreshPlanPanel();
    // The disk chosen in the panel's list, if any; its buttons follow the choice and the copy.
    const verdan::PlannedDisk* chosenPlannedDisk() const;
    void enablePlanButtons();

    verdan::Program& m_app;
    verdan::ProgramState& m_program;
    verdan::Ui& m_ui;
    verdan::Shell& m_shell;
    std::function<verdan::QuitOutcome(verdan::QuitSender)> m_quit;
    GlobalListModel* m_model = nullptr;
    GlobalListModel* m_filterModel = nullptr;
    verdan::BrowseState& m_browse;
    bool m_fontApplied = false; // applyFontSize has run since creation
    // Shift and Ctrl as they were when the mouse was last pressed on a table's rows.
    Qt::KeyboardModifiers m_pressModifiers;
    bool m_copyLockShown = false;

    // The names are the widgets' objectName()s, by which the tests find them.
    QLabel* Label1 = nullptr;
    QLabel* Label_nf_media = nullptr;
    QLabel* Label_n = nullptr;
    QLabel* Label_date_der_maj = nullptr;
    QLabel* Label_media_1_ = nullptr;
    QLabel* Label_media_2_ = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn_choix_lst = nullptr;
    QPushButton* Button_charger_bd = nullptr;
    QPushButton* Button_enregistrer_liste = nullptr;
    QPushButton* Button_undo = nullptr;
    QPushButton* Button_vider_bd = nullptr;
    QPushButton* Button_exit = nullptr;
    QPushButton* Button_debut = nullptr;
    QPushButton* Button_fin = nullptr;
    QCheckBox* CheckBox_mode_avancer = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit1 = nullptr;
    // Restarted by each key in Edit1: the text is searched once the typing pauses.
    QTimer* m_typingPause = nullptr;
    QFrame* Bevel3 = nullptr;
    QPushButton* Button_rechercher = nullptr;
    QPushButton* Button_init_filtre = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label_idx = nullptr;
    QLabel* Label_n_idx = nullptr;
    QStackedWidget* gridStack = nullptr;
    QTableView* StringGrid1 = nullptr;
    QTableView* StringGrid_filter = nullptr;
    QListWidget* ListBox_hd_referencer = nullptr;
    QLabel* Label_hd_selectionner = nullptr;
    QPushButton* Button_effacer_liste_un_hd = nullptr;
    QPushButton* Button_del = nullptr;
    QPushButton* BitBtn_tout_cocher = nullptr;
    QPushButton* BitBtn_tout_decocher = nullptr;
    QPushButton* BitBtn_coche_selection = nullptr;
    QPushButton* Button_copie_multiple = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* BitBtn_rep_favori = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label_rep_favori = nullptr;
    QPushButton* BitBtn_help = nullptr;
    QPushButton* Button_son = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label9 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn_copie_un_par_un = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QFrame* Panel2 = nullptr;
    QFrame* Panel3 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QProgressBar* ProgressBar2 = nullptr;
    QLabel* LabelSpeed = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* LabelETA = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QFrame* Panel4 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* Button_disques_a_brancher = nullptr;
    QFrame* Panel_a_rapatrier = nullptr;
    QTreeWidget* ListView_disques = nullptr;
    QLabel* Label_total_plan = nullptr;
    QPushButton* Button_retirer_disque = nullptr;
    QPushButton* Button_copier_disque = nullptr;
    QPushButton* Button_vider_plan = nullptr;
    QPushButton* Button_fermer_plan = nullptr;
    // The disks the panel lists, in its order.
    std::vector<verdan::PlannedDisk> m_plannedDisks;
    // Shown or hidden with the advanced mode.
    QList<QWidget*> advancedControls;
};
