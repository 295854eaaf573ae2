#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "qt_ui.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"
#include "windows_under_test.h"
#include "x11_session.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

using namespace verdan;
using namespace verdan::test;

namespace {

QString u(const char* s) {
    return QString::fromUtf8(s);
}

// The title the window manager reads: _NET_WM_NAME of the window, as xprop prints it.
QString readWmName(WId window) {
    const std::string command = "LC_ALL=C.UTF-8 DISPLAY=" + x11Session().display + " xprop -notype -id " +
                                std::to_string(window) + " _NET_WM_NAME 2>/dev/null";
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    const std::size_t open = out.find('"'), close = out.rfind('"');
    if (open == std::string::npos || close <= open) return QString::fromStdString("(none) " + out);
    return QString::fromUtf8(out.substr(open + 1, close - open - 1));
}

// Reads until the server has the expected title (the property reaches it after a round trip).
std::string wmName(const QWidget& w, const QString& expected) {
    QString name;
    for (int i = 0; i < 40; ++i) {
        name = readWmName(w.winId());
        if (name == expected) break;
        QTest::qWait(50);
    }
    return name.toStdString();
}

// Runs `open` (which shows a modal box and waits) and returns the box's title as the window
// manager reads it; the box is then closed.
std::string titleOfBox(const QString& expected, const std::function<void()>& open) {
    std::string seen = "(no box)";
    std::function<void()> look = [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box || !box->isVisible()) {
            QTimer::singleShot(20, look);
            return;
        }
        if (QTest::qWaitForWindowExposed(box)) seen = wmName(*box, expected);
        if (auto* dialog = qobject_cast<QDialog*>(box)) dialog->done(0);
    };
    QTimer::singleShot(0, look);
    open();
    return seen;
}

} // namespace

// Both windows on an X11 screen of 1366 by 768 pixels, through the window system.
class X11Windows : public ::testing::Test, public ProgramFixture, public WindowsUnderTest {
protected:
    void SetUp() override { REQUIRE_X11(); }
    void start(const std::string& settings = "") {
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder()) << "\r\n"
            << settings;
        buildWindows(program, ui);
        form1->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        form1->FormActivate();
    }
    // Named widgets on show that lie partly outside the window, or buttons too narrow for their caption.
    static std::string cutOff(QWidget& window) {
        std::string out;
        for (QWidget* w : window.findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") || !w->isVisible()) continue;
            const QRect r(w->mapTo(&window, QPoint(0, 0)), w->size());
            const auto* b = qobject_cast<QPushButton*>(w);
            const bool narrow = b && b->fontMetrics().horizontalAdvance(b->text()) + 8 > b->width();
            if (!window.rect().contains(r) || narrow) out += w->objectName().toStdString() + " ";
        }
        return out;
    }
};

TEST_F(X11Windows, TitlesAreExactlyTheWindowsOwn) {
    start();
    const QString title1 = u("V E R D A N   v 1 . 9      liste_globale_médias");
    EXPECT_EQ(form1->windowTitle(), title1);
    EXPECT_EQ(wmName(*form1, title1), title1.toStdString());
    form1->BitBtn_form2_bisClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
    EXPECT_EQ(wmName(*form2, u("V E R D A N   v 1 . 9")), "V E R D A N   v 1 . 9");
}

TEST_F(X11Windows, MessageBoxesAreTitledByTheirTypeAlone) {
    QtUi qt;
    const std::pair<DialogType, const char*> typed[] = {{DialogType::Confirmation, "Confirmation"},
                                                        {DialogType::Information, "Information"},
                                                        {DialogType::Error, "Erreur"},
                                                        {DialogType::Warning, "Avertissement"}};
    for (const auto& [type, title] : typed)
        EXPECT_EQ(titleOfBox(u(title), [&, type = type] { qt.ask(type, " Quitter ?", {DialogButton::Yes}); }),
                  title);
    EXPECT_EQ(titleOfBox(u("V E R D A N   v 1 . 9"), [&] { qt.showInfo(" choisir un disque..."); }),
              "V E R D A N   v 1 . 9");
    EXPECT_EQ(titleOfBox(u("Confirmation"), [&] { qt.askThreeChoices("?", "a", "b", "c", 120); }),
              "Confirmation");
}

TEST_F(X11Windows, BothFitTheScreenWithLongPathsAndSwitchWithTheSameBounds) {
    const std::string longPath = "/media/utilisateur/Un disque externe au nom très long/Vidéos/"
                                 "Favoris de la famille rangés par année et par genre/2024";
    start("Label_rep_favori.caption=" + cp1252::encode(longPath) + "\r\n");
    form2->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
    const QRect screen = form1->screen()->availableGeometry();
    for (QMainWindow* w : {static_cast<QMainWindow*>(form1), static_cast<QMainWindow*>(form2)}) {
        EXPECT_TRUE(screen.contains(w->frameGeometry())) << w->objectName().toStdString();
        EXPECT_LE(w->minimumWidth(), screen.width());
        EXPECT_LE(w->minimumHeight(), screen.height());
        EXPECT_EQ(cutOff(*w), "") << w->objectName().toStdString();
    }
    EXPECT_EQ(widget<QLabel>(form1, "Label_rep_favori")->text(), QString::fromStdString(longPath));

    // The smallest the collection window can be, then a size of the user's, both ways.
    const QRect least(40, 30, form1->minimumWidth(), form1->minimumHeight());
    form1->setGeometry(least);
    form1->BitBtn_form2_bisClick();
    EXPECT_EQ(form2->geometry(), least);
    form2->setGeometry(10, 20, 1300, 700);
    form2->BitBtn1Click();
    EXPECT_EQ(form1->geometry(), QRect(10, 20, 1300, 700));

    if (const QString dir = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR"); !dir.isEmpty()) {
        // Pictures of the whole screen size, to look at: form1 and form2 as the user has them.
        const QString size = QString("%1x%2").arg(screen.width()).arg(screen.height());
        form1->setGeometry(screen);
        form2->show();
        form2->setGeometry(screen);
        QTest::qWait(200);
        QDir().mkpath(dir);
        EXPECT_TRUE(form1->grab().save(dir + "/collection_window_" + size + ".png"));
        EXPECT_TRUE(form2->grab().save(dir + "/global_list_window_" + size + ".png"));
    }
}

namespace {
// Real input through the X server, as the user's mouse and keyboard give it.
void xdotool(const std::string& arguments) {
    const std::string command = "DISPLAY=" + x11Session().display + " xdotool " + arguments;
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
}
void clickOn(QWidget& w) {
    const QPoint at = w.mapToGlobal(w.rect().center());
    xdotool("mousemove --sync " + std::to_string(at.x()) + " " + std::to_string(at.y()) + " click 1");
}
} // namespace

TEST_F(X11Windows, ACatalogueNameTypedAndEnteredAtTheKeyboardSwitchesToIt) {
    writeList({row("1", "FILMS", "Alien"), row("2", "FILMS", "Brazil"), row("3", "FILMS", "Casino")});
    writeList({row("1", "SERIES", "Dune")}, "series");
    ui.answers = {DialogButton::Yes};
    start("[Options]\r\nCheckBox_mode_avancer=1\r\n");
    ASSERT_EQ(program.globalList.table.mediaCount(), 3u);
    auto* box = widget<QLineEdit>(form1, "Edit_nom_fic_media_sans_ext");
    xdotool("windowfocus --sync " + std::to_string(form1->winId()));
    clickOn(*box);
    xdotool("key ctrl+a");
    xdotool("type --delay 20 series.mkv");
    for (int i = 0; i < 40 && box->text() != "series.mkv"; ++i) QTest::qWait(50);
    EXPECT_EQ(box->text(), "series.mkv");
    EXPECT_EQ(program.globalList.table.mediaCount(), 3u); // typing alone switches nothing
    ui.answers = {DialogButton::Yes, DialogButton::Yes};
    xdotool("key Return");
    for (int i = 0; i < 60 && program.catalogue.paths.ListName != "series"; ++i) QTest::qWait(50);
    EXPECT_EQ(program.globalList.table.mediaCount(), 1u);
    EXPECT_EQ(box->text(), "series");
    EXPECT_EQ(ui.texts().back(), "Paramètres enregistrés  dans    \n\nseries.prm");
    form1->FormActivate();
    const QString title = u("V E R D A N   v 1 . 9      series");
    EXPECT_EQ(wmName(*form1, title), title.toStdString());
}
