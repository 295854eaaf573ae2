#include "main_windows.h"

#include "collection_window.h"
#include "global_list_window.h"
#include "handler_guard.h"
#include "window_geometry.h"

using namespace verdan;

MainWindows::MainWindows(Program& app) : m_app(app), m_program(app.state()), m_ui(app.ui()) {
    auto quitting = [this](QuitSender sender) { return quit(sender); };
    StartupView& startup = *this;
    m_form1 = std::make_unique<TForm1>(app, startup, quitting);
    m_form2 = std::make_unique<TForm2>(app, quitting);
    shareMinimumSize(*m_form1, *m_form2);
    m_program.captureWindowBounds = [this](SettingsState& s) {
        s.collectionWindow = geometryOf(*m_form1);
        s.globalListWindow = geometryOf(*m_form2);
    };
    m_program.checkDrives = [this] { m_form1->onDevicesChanged(); };

    // Both windows are views of the program, told of what either changed. Every activation clears
    // the marks of both tables: the counter shows it.
    connect(m_form1.get(), &TForm1::activated, m_form2.get(), &TForm2::listMarksCleared);
    connect(m_form1.get(), &TForm1::globalListAsked, this, &MainWindows::showGlobalList);
    connect(m_form2.get(), &TForm2::collectionAsked, this, &MainWindows::showCollection);
    connect(m_form1.get(), &TForm1::catalogueChoiceAsked, this, [this] { chooseCatalogue(false); });
    connect(m_form2.get(), &TForm2::catalogueChoiceAsked, this, [this] { chooseCatalogue(true); });
    connect(m_form1.get(), &TForm1::listNameEntered, this, &MainWindows::switchToNamedCatalogue);
    connect(m_form2.get(), &TForm2::globalListAsked, this, [this] {
        if (!m_form2->isVisible()) showGlobalList();
    });
    // The retrieval plan: opened once the opening sequence has read the favourites folder, then
    // offered at each arrival of a disk. Queued, so that the question comes after the handler.
    connect(m_form1.get(), &TForm1::activated, this, [this] {
        if (m_planStarted || m_form1->state().FirstActivation) return;
        m_planStarted = true;
        QMetaObject::invokeMethod(m_form2.get(), &TForm2::startRetrievalPlan, Qt::QueuedConnection);
    });
    connect(m_form1.get(), &TForm1::drivesChanged, m_form2.get(), &TForm2::offerPlannedDisks,
            Qt::QueuedConnection);
}

MainWindows::~MainWindows() {
    // The settings may still be written after the windows are gone.
    m_program.captureWindowBounds = nullptr;
    m_program.checkDrives = nullptr;
}

QWidget& MainWindows::mainWindow() {
    return *m_form1;
}

void MainWindows::showGlobalList() {
    m_form2->show();
    CopyFormBounds(*m_form1, *m_form2);
    m_form2->raise();
    m_form2->activateWindow();
}

void MainWindows::showCollection() {
    CopyFormBounds(*m_form2, *m_form1);
    m_form2->hide();
    m_form1->activateWindow();
}

QuitOutcome MainWindows::quit(QuitSender sender) {
    QuitOutcome outcome = QuitOutcome::Stay;
    guarded(m_ui, [&] { outcome = m_app.quit(sender); });
    return outcome;
}

void MainWindows::changeCatalogue(const std::function<void()>& command) {
    m_form2->changeCatalogue(command);
    m_form1->showLoadingPanel(false);
}

void MainWindows::chooseCatalogue(bool thenShowGlobalList) {
    changeCatalogue([this] { m_app.chooseCatalogue(m_choiceView); });
    if (thenShowGlobalList) showGlobalList();
}

void MainWindows::switchToNamedCatalogue(const QString& name) {
    changeCatalogue([this, &name] { m_app.switchToNamedCatalogue(m_choiceView, name.toStdString()); });
}

void MainWindows::ChoiceView::showWaitingPanels(bool shown) {
    m_windows.m_form1->showLoadingPanel(shown);
    m_windows.m_form2->showPanel4(shown, m_windows.m_form1->width(), m_windows.m_form1->height());
}

void MainWindows::ChoiceView::focusGlobalListButton() {
    m_windows.m_form1->focusGlobalListButton();
}

ScreenInfo MainWindows::screenInfo() {
    return m_form1->screenInfo();
}

void MainWindows::currentBounds(WindowGeometry& form1, WindowGeometry& form2) {
    form1 = geometryOf(*m_form1);
    form2 = geometryOf(*m_form2);
}

void MainWindows::applyState() {
    applyGeometry(*m_form1, m_program.settings.collectionWindow);
    applyGeometry(*m_form2, m_program.settings.globalListWindow);
    m_form1->applyState();
    m_form2->refreshView();
}

void MainWindows::showLoadingPanel(bool shown) {
    m_form1->showLoadingPanel(shown);
}

void MainWindows::showGlobalListLoading(bool shown) {
    if (shown) {
        m_form2->show();
        m_form2->activateWindow();
    }
    m_form2->showPanel4(shown, m_form1->width(), m_form1->height());
    if (shown) m_ui.processEvents();
}

void MainWindows::showGlobalListWindow() {
    showGlobalList();
}

void MainWindows::focusGlobalListButton() {
    m_form1->focusGlobalListButton();
}
