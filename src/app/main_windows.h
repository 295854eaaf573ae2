#pragma once
#include <QObject>

#include <memory>

#include "browse/catalogue_choice.h"
#include "browse/list_commands.h"
#include "collect/startup.h"
#include "program/program.h"

class QWidget;
class TForm1;
class TForm2;

// The program's two windows wired to the program object: going from one to the other, the opening
// sequence's and the catalogue choice's view of the pair, and the Qt side of quitting.
class MainWindows : public QObject, private verdan::StartupView {
    Q_OBJECT
public:
    explicit MainWindows(verdan::Program& app);
    ~MainWindows() override;

    TForm1& collection() { return *m_form1; }
    TForm2& globalList() { return *m_form2; }
    // The collection window, the one the program opens with and the parent of its questions.
    QWidget& mainWindow();

    // BitBtn_form2_bis: the global-list window takes the collection window's place.
    void showGlobalList();
    // BitBtn1: back to the collection window, in the global-list window's place.
    void showCollection();
    // The one quit procedure of both windows; the found lines never added are the collection
    // window's.
    verdan::QuitOutcome quit(verdan::QuitSender sender);
    // "Choisir *.prm => " of the collection window, "Choisir => " of the global-list window (which
    // then shows itself), Enter in the list-name box.
    void chooseCatalogue(bool thenShowGlobalList);
    void switchToNamedCatalogue(const QString& name);

private:
    verdan::ScreenInfo screenInfo() override;
    void currentBounds(verdan::WindowGeometry& form1, verdan::WindowGeometry& form2) override;
    void applyState() override;
    void showLoadingPanel(bool shown) override;
    void showGlobalListLoading(bool shown) override;
    void showGlobalListWindow() override;
    void focusGlobalListButton() override;

    // A change of catalogue takes both windows: the waiting panels of both, the focus in one.
    class ChoiceView : public verdan::CatalogueChoiceView {
    public:
        explicit ChoiceView(MainWindows& windows) : m_windows(windows) {}
        void showLoadingPanel(bool shown) override { showWaitingPanels(shown); }
        void showWaitingPanels(bool shown) override;
        void focusGlobalListButton() override;

    private:
        MainWindows& m_windows;
    };
    void changeCatalogue(const std::function<void()>& command);

    verdan::Program& m_app;
    verdan::ProgramState& m_program;
    verdan::Ui& m_ui;
    ChoiceView m_choiceView{*this};
    // In this order: the global-list window goes first, as it did when main() held both.
    std::unique_ptr<TForm1> m_form1;
    std::unique_ptr<TForm2> m_form2;
    bool m_planStarted = false;
};
