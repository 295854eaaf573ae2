#pragma once
#include <QMainWindow>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <optional>

#include "browse/list_commands.h"
#include "collect/collection_state.h"
#include "collect/startup.h"
#include "platform/drives.h"
#include "program/program.h"
#include "util/ui.h"

class QBoxLayout;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListView;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QToolButton;
class FoundListModel;

// The collection window, main window of the program.
class TForm1 : public QMainWindow, private verdan::ProgramView {
    Q_OBJECT
public:
    // `startup`: the windows as the opening sequence sees them; `quit`: the quit procedure.
    TForm1(verdan::Program& app, verdan::StartupView& startup,
           std::function<verdan::QuitOutcome(verdan::QuitSender)> quit, QWidget* parent = nullptr);
    ~TForm1() override;
    verdan::CollectionState& state() { return m_state; }

    // Shows the state in the widgets.
    void refreshView();
    // The settings, parameters and texts are read: the widgets take them (no save is triggered).
    void applyState();
    verdan::ScreenInfo screenInfo() const;
    // Panel_attendre over the window, painted at once.
    void showLoadingPanel(bool shown);
    void focusGlobalListButton();
    // Handlers, named as the user knows the buttons.
    // Every activation: the opening sequence the first time, then the title and the marks.
    void FormActivate();
    void BitBtn_form2_bisClick();
    void Button3Click();
    void Button2Click();
    // A drive arrived or went away.
    void onDevicesChanged();
    void RefreshDrives();
    void Button_actualiser_hdClick();
    // tableRow: 1 for the first drive row (0 is the header row).
    void StringGrid_hdClick(int tableRow);
    void CheckListBox_repClick(int item, bool ticked);
    void RadioGroup1Click(int choice);
    void BitBtn_lister_mediaClick();
    void BitBtn_rajout_bdClick();
    void BitBtn_maj_disqueClick();
    // "modif de l'index", the level chosen, "Réindexer la liste globale".
    void CheckBox1Click(bool ticked);
    void RadioGroup_indexClick(int item);
    void BitBtn_reinitClick();
    // "A- rajout de liste de DVD"
    void BitBtn5Click();
    // "Répertoire listes médias"
    void BitBtn_nomfic_mediaClick();
    // "Choisir *.prm => " and Enter in the list-name box: the coordinator changes the catalogue.
    void BitBtn_fic_lstClick();
    void Edit_nom_fic_media_sans_extKeyDown();
    void refreshCollection();
    // The found list and its context panel; positions are in the list's viewport.
    void ListBox_media_un_hdMouseMove(QPoint at);
    void ListBox_media_un_hdMouseDown(QPoint at);
    void ListBox_media_un_hdClick();
    void ListBox_media_un_hdDblClick(int line);
    void ListBox_naDblClick(int line);
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn_deleteClick();
    // The parameter band: the categories and the favourites folder.
    void BitBtn6Click();
    void BitBtn_rep_favoriClick();
    void SpeedButton1Click();

signals:
    // Every activation, after the title is set and the marks cleared.
    void activated();
    // BitBtn_form2_bis: the global-list window is wanted in this one's place.
    void globalListAsked();
    // Another catalogue is wanted: chosen by its parameter file, or named in the list-name box.
    void catalogueChoiceAsked();
    void listNameEntered(const QString& name);
    // The drive table was rebuilt after a device notification or "actualiser": a disk may have
    // been plugged in.
    void drivesChanged();

protected:
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // A copy walks the global list: this window, which adds to it and switches catalogues, waits
    // for its end.
    void programChanged() override;
    void bindEdits();
    void connectFoundActions();
    bool foundListEvent(QObject* watched, QEvent* event);
    bool filterBoxEvent(QObject* watched, QEvent* event);
    void showFoundPanel();
    void showRenamePanel();
    void connectCollection();
    void refreshDriveTable();
    void refreshFolderLists();
    void refreshScanView();
    static std::string joinLines(const std::vector<std::string>& lines);
    bool eventFilter(QObject* watched, QEvent* event) override;
    void applyHints();
    void placeOverCentre(QWidget* panel, const QWidget* over);

    void buildParameterBand(QWidget* band);
    void buildListGroup(QWidget* band, QBoxLayout* row);
    void buildIndexGroup(QWidget* band, QBoxLayout* row);
    // The two media categories.
    void buildMediaGroup(QWidget* band, QBoxLayout* row);
    void buildFavouritesGroup(QWidget* band, QBoxLayout* row);
    void buildDriveColumn(QWidget* column);
    void buildFolderColumn(QWidget* column);
    void buildFoundColumn(QWidget* column);
    void buildFloatingPanels();

    verdan::Program& m_app;
    verdan::ProgramState& m_program;
    verdan::Ui& m_ui;
    verdan::Shell& m_shell;
    verdan::platform::DriveProvider& m_drives;
    verdan::StartupView& m_startup;
    std::function<verdan::QuitOutcome(verdan::QuitSender)> m_quit;
    FoundListModel* m_foundModel = nullptr;
    bool m_fillingFolders = false;
    verdan::CollectionState& m_state;
    bool m_closingAccepted = false;
    bool m_activating = false;
    std::optional<std::uint32_t> m_failedAt;
    // What the scan view shows already.
    std::vector<std::string> m_shownNaLines;
    std::size_t m_shownScanLogLines = 0;
    std::string m_shownScanLogLast;
    // Label_attente as it was before a copy from the context panel took it over.
    QString m_statusBeforeCopy;

    // The names are the widgets' objectName()s, by which the tests find them.
    QLabel* Label_media_1_ = nullptr;
    QLabel* Label_media_2_ = nullptr;
    QPushButton* BitBtn_form2_bis = nullptr;
    QTableWidget* StringGrid_hd = nullptr;
    QPushButton* Button_actualiser_hd = nullptr;
    QGroupBox* RadioGroup1 = nullptr;
    QListWidget* CheckListBox_rep = nullptr;
    QListWidget* ListBoxSel = nullptr;
    QPushButton* BitBtn_lister_media = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label_attente = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QPushButton* BitBtn_rajout_bd = nullptr;
    QPushButton* BitBtn_maj_disque = nullptr;
    QListView* ListBox_media_un_hd = nullptr;
    QPushButton* BitBtn_delete = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QFrame* Panel2 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label10 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    QPushButton* BitBtn_nomfic_media = nullptr;
    QLabel* Label_repfic_media = nullptr;
    QLabel* Label_date_der_maj = nullptr;
    QPushButton* BitBtn_fic_lst = nullptr;
    QLineEdit* Edit_nom_fic_media_sans_ext = nullptr;
    QLabel* Label_nf_media = nullptr;
    QPushButton* BitBtn6 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* Label3 = nullptr;
    QGroupBox* RadioGroup_index = nullptr;
    QPushButton* BitBtn_reinit = nullptr;
    QLineEdit* Edit_type_media_1_ = nullptr;
    QLineEdit* Edit_type_media_2_ = nullptr;
    QLineEdit* Edit_filtre_ext_1_ = nullptr;
    QLineEdit* Edit_filtre_ext_2_ = nullptr;
    QCheckBox* CheckBox_mini_1_ = nullptr;
    QCheckBox* CheckBox_mini_2_ = nullptr;
    QLineEdit* Edit_taille_mini_1_ = nullptr;
    QLineEdit* Edit_taille_mini_2_ = nullptr;
    QPushButton* BitBtn_rep_favori = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLabel* Label_rep_favori = nullptr;
    QFrame* Panel_na = nullptr;
    QLabel* Label8 = nullptr;
    QListWidget* ListBox_na = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QFrame* Panel3 = nullptr;
    QLabel* Label1 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QFrame* Panel_attendre = nullptr;
    QPlainTextEdit* Memo2 = nullptr;
    QPlainTextEdit* Memo3 = nullptr;
};
