#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include "qt_ui.h"
#include "support/program_fixture.h"
#include "util/cp1252.h"
#include "windows_under_test.h"
#include "x11_session.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

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

namespace {

bool xdotoolInstalled() {
    return std::system("command -v xdotool >/dev/null 2>&1") == 0;
}

void moveTo(QWidget& w, QPoint at) {
    at = w.mapToGlobal(at);
    xdotool("mousemove --sync " + std::to_string(at.x()) + " " + std::to_string(at.y()));
}

// The real Ui, which also keeps every text it shows, in order.
class RecordingUi : public QtUi {
public:
    std::vector<std::string> texts;
    void showInfo(const std::string& text) override {
        texts.push_back(text);
        QtUi::showInfo(text);
    }
    DialogButton ask(DialogType type, const std::string& text, std::vector<DialogButton> buttons) override {
        texts.push_back(text);
        return QtUi::ask(type, text, std::move(buttons));
    }
    int askThreeChoicesWithDetails(const std::string& text, const std::vector<Detail>& details,
                                   const std::string& first, const std::string& second,
                                   const std::string& third, int buttonWidth) override {
        texts.push_back(text);
        return QtUi::askThreeChoicesWithDetails(text, details, first, second, third, buttonWidth);
    }
};

// While a modal box runs its own event loop the test's code cannot go on, so what the user does
// then is queued as steps that a timer runs in whichever loop is current. A step returns false to be
// tried again at the next tick (the box it waits for is not there yet).
class Steps {
public:
    using Step = std::function<bool()>;
    Steps& then(const char* what, Step step) {
        m_steps.push_back({what, std::move(step)});
        return *this;
    }
    // Does `start` from the event loop (it may open a box and wait), then runs the loop until every step
    // is done and no box is left. After the timeout the boxes still open are closed so that the test
    // ends, and the step that waited is named.
    void run(const std::function<void()>& start,
             std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        QElapsedTimer clock;
        clock.start();
        QTimer timer;
        timer.setInterval(25);
        bool busy = false;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (busy) return;
            busy = true;
            if (clock.elapsed() > timeout.count()) {
                if (!m_steps.empty()) ADD_FAILURE() << "timed out at: " << m_steps.front().first;
                m_steps.clear();
                if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                    const auto* message = qobject_cast<QMessageBox*>(box);
                    ADD_FAILURE() << "a box left open: "
                                  << (message ? message->text() : box->objectName()).toStdString();
                    box->reject();
                }
            } else if (!m_steps.empty() && m_steps.front().second()) {
                m_steps.pop_front();
            }
            busy = false;
        });
        timer.start();
        bool started = false;
        QTimer::singleShot(0, [&] {
            started = true;
            start();
        });
        while (!started || !m_steps.empty() || QApplication::activeModalWidget()) QTest::qWait(20);
    }

private:
    std::deque<std::pair<const char*, Step>> m_steps;
};

// The modal box on show if it is a message box whose text starts so, exposed on the server.
QMessageBox* messageBox(const QString& start) {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box || !box->text().startsWith(start) || !box->isVisible() || !box->windowHandle()->isExposed())
        return nullptr;
    return box;
}

// The modal dialog on show with that object name, exposed on the server.
QDialog* modal(const char* name) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog || dialog->objectName() != QLatin1String(name) || !dialog->isVisible() ||
        !dialog->windowHandle()->isExposed())
        return nullptr;
    return dialog;
}

// Clicks the button of `window` whose caption, mnemonic aside, is `caption`.
void clickButton(QWidget& window, const QString& caption) {
    for (QPushButton* b : window.findChildren<QPushButton*>())
        if (QString(b->text()).remove('&') == caption && b->isVisible()) return clickOn(*b);
    ADD_FAILURE() << "no button " << caption.toStdString() << " in " << window.objectName().toStdString();
}

// The rich-text label of a three-choice dialog and the document it lays its text out in.
QLabel* questionLabel(QDialog& dialog) {
    for (QLabel* l : dialog.findChildren<QLabel*>())
        if (l->textFormat() == Qt::RichText) return l;
    return nullptr;
}

// Where the label draws the middle of `words` (a link), in the label's coordinates: the label puts its
// document at the top of its contents, centred vertically when the document is the shorter.
std::optional<QPoint> middleOfWords(QLabel& label, const QString& words) {
    QTextDocument* doc = label.findChild<QTextDocument*>();
    if (!doc) return std::nullopt;
    const QTextCursor found = doc->find(words);
    if (found.isNull()) return std::nullopt;
    const QTextBlock block = found.block();
    const QTextLayout* layout = block.layout();
    const int from = found.selectionStart() - block.position(), to = found.selectionEnd() - block.position();
    const QTextLine line = layout->lineForTextPosition(from);
    if (!line.isValid()) return std::nullopt;
    const QRectF blockRect = doc->documentLayout()->blockBoundingRect(block);
    const QRect contents = label.contentsRect();
    const qreal height = doc->documentLayout()->documentSize().height();
    qreal top = contents.top();
    if (label.alignment() & Qt::AlignVCenter) top += qMax((contents.height() - height) / 2, 0.0);
    const qreal x = contents.left() + blockRect.left() + (line.cursorToX(from) + line.cursorToX(to)) / 2;
    const qreal y = top + blockRect.top() + line.y() + line.height() / 2;
    return QPoint(qRound(x), qRound(y));
}

} // namespace

// A disk made of a folder, listed into the global list by real clicks, then changed on disk and
// listed again: the refresh is then offered, asked and applied through the real boxes.
class X11Refresh : public X11Windows {
protected:
    TempFolder disk;
    RecordingUi real;

    void SetUp() override {
        X11Windows::SetUp();
        if (IsSkipped()) return;
        if (!xdotoolInstalled()) GTEST_SKIP() << "xdotool is not installed";
        writeList({row("1", "ARCHIVES", "Casino", "700 Mo", "99998888")});
        drives.add(disk.path(), "FILMS", "0A1B2C3D", platform::kDriveRemovable);
        put("films/Alien.avi", 2048);
        put("films/Aliens.mkv", 3000);
        put("films/Brazil.avi", 5000);
        put("films/old/Heat.avi", 7000);
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder()) << "\r\n";
        buildWindows(program, real);
        real.setParentWindow(form1);
        form1->setGeometry(form1->screen()->availableGeometry());
        // The window's first showing runs the opening sequence, whose advanced mode asks before it loads.
        Steps()
            .then("the question of the loading",
                  [] {
                      QMessageBox* box = messageBox(u(".   Charger la liste globale"));
                      if (box) clickButton(*box, "Oui");
                      return box != nullptr;
                  })
            .run([&] { form1->show(); });
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form1));
        ASSERT_EQ(program.globalList.table.mediaCount(), 1u);
    }
    // The windows go before the Ui they ask through.
    ~X11Refresh() override { windows.reset(); }

    // A file of `size` bytes last written at a fixed time, `minute` minutes into a day weeks ago.
    void put(const std::string& name, std::size_t size, int minute = 0) {
        std::filesystem::create_directories(
            std::filesystem::path(pathFromUtf8(disk.file(name))).parent_path());
        disk.write(name, std::string(size, 'x'));
        const auto day = std::chrono::floor<std::chrono::hours>(
            std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * 40));
        std::filesystem::last_write_time(pathFromUtf8(disk.file(name)), day + std::chrono::minutes(minute));
    }
    void move(const std::string& from, const std::string& to) {
        std::filesystem::create_directories(std::filesystem::path(pathFromUtf8(disk.file(to))).parent_path());
        std::filesystem::rename(pathFromUtf8(disk.file(from)), pathFromUtf8(disk.file(to)));
    }

    QPushButton* refreshButton() { return widget<QPushButton>(form1, "BitBtn_maj_disque"); }

    // The disk chosen and "films" ticked by the program's handlers, then "3- lister" by a real click
    // and its summary acknowledged.
    void scanFilms() {
        form1->StringGrid_hdClick(1);
        const auto& items = app->collection().folders.items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (items[i].name == "films") form1->CheckListBox_repClick(static_cast<int>(i), true);
        Steps()
            .then("the summary of the scan",
                  [] {
                      QMessageBox* box = messageBox(u(" Listage terminé,"));
                      if (box) clickOn(*box->buttons().front());
                      return box != nullptr;
                  })
            .run([&] { clickOn(*widget<QPushButton>(form1, "BitBtn_lister_media")); });
    }

    // "4- rajouter" by a real click, its question answered "Oui" and its report acknowledged.
    void addFound() {
        Steps()
            .then("the question of the adding",
                  [] {
                      QMessageBox* box = messageBox(u(" Rajouter ces "));
                      if (box) clickButton(*box, "Oui");
                      return box != nullptr;
                  })
            .then("the report of the adding",
                  [] {
                      QMessageBox* box = messageBox(u(" 4  médias rajoutés"));
                      if (box) clickOn(*box->buttons().front());
                      return box != nullptr;
                  })
            .run([&] { clickOn(*widget<QPushButton>(form1, "BitBtn_rajout_bd")); });
    }

    // Every kind of change on the disk: one new, one vanished, one renamed and one moved, one modified.
    void changeTheDisk() {
        put("films/Ran.avi", 9000);
        std::filesystem::remove(pathFromUtf8(disk.file("films/Brazil.avi")));
        move("films/Alien.avi", "films/Alien 1979.avi");
        move("films/old/Heat.avi", "films/new/Heat.avi");
        put("films/Aliens.mkv", 3500, 5);
    }

    // "title ext folder size" of the disk's rows, sorted.
    std::vector<std::string> rowsOf(const std::string& label) const {
        std::vector<std::string> out;
        const GlobalList& t = program.globalList.table;
        for (std::size_t r = 1; r < t.rowCount(); ++r)
            if (t.cell(r, 1) == label) {
                std::string size(t.cell(r, 7));
                std::replace(size.begin(), size.end(), ',', '.'); // the system's decimal separator
                out.push_back(std::string(t.cell(r, 3)) + std::string(t.cell(r, 4)) + " " +
                              std::string(t.cell(r, 6)) + " " + size);
            }
        std::sort(out.begin(), out.end());
        return out;
    }

    std::string path(const std::string& name) const { return disk.file(name); }

    // The steps that wait for the question, let `look` see it, put the pointer on the link `words`
    // and click there once the label shows the hand it shows over a link (on it, not beside it).
    static void clickLink(Steps& steps, const QString& words, const std::function<void(QDialog&)>& look) {
        auto label = std::make_shared<QPointer<QLabel>>();
        steps
            .then("the question, the pointer on a link",
                  [=] {
                      QDialog* dialog = modal("ThreeChoiceDialog");
                      if (!dialog) return false;
                      *label = questionLabel(*dialog);
                      const auto at = *label ? middleOfWords(**label, words) : std::nullopt;
                      if (!at) {
                          ADD_FAILURE() << "no link " << words.toStdString() << " in the question";
                          dialog->reject();
                          return true;
                      }
                      look(*dialog);
                      moveTo(**label, *at);
                      return true;
                  })
            .then("the pointer over the link, then a click", [=] {
                if (!*label) return true;
                if ((*label)->cursor().shape() != Qt::PointingHandCursor) return false;
                xdotool("click 1");
                return true;
            });
    }
    // The steps that wait for the window of a link's files, let `look` see it and close it by its button.
    // Escape instead of the button must close that window alone, the question staying.
    static void closeDetail(Steps& steps, const std::function<void(QDialog&)>& look, bool byEscape = false) {
        steps.then("the window of a link's files, closed", [=] {
            QDialog* detail = modal("ThreeChoiceDetail");
            if (!detail) return false;
            look(*detail);
            if (byEscape)
                xdotool("key Escape");
            else
                clickOn(*detail->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close));
            return true;
        });
    }
};

TEST_F(X11Refresh, AskedShownAndAppliedByRealClicks) {
    EXPECT_FALSE(refreshButton()->isVisible()) << "nothing scanned yet";
    scanFilms();
    EXPECT_FALSE(refreshButton()->isVisible()) << "the list has no row of FILMS-0A1B2C3D";
    addFound();
    ASSERT_EQ(rowsOf("FILMS").size(), 4u);
    changeTheDisk();
    scanFilms();
    ASSERT_TRUE(refreshButton()->isVisible());
    EXPECT_TRUE(refreshButton()->isEnabled());
    EXPECT_EQ(cutOff(*form1), "") << "the button beside the adding takes room from nothing on show";
    const QString title = form1->windowTitle();
    ASSERT_EQ(wmName(*form1, title), title.toStdString());

    const QString question =
        u("  Disque FILMS : 1 nouveaux, 1 disparus, 2 déplacés ou renommés, 1 modifiés (taille ou date) \n\n"
          "  Mettre la liste à jour ?");
    QStringList detailLines;
    QString detailTitle;
    QStringList vanishedLines;
    Steps steps;
    // At the keyboard: Tab goes from link to link (the label selects the one with the focus), Return
    // opens it.
    int tabs = 0;
    steps.then("the question, Tab up to the link of the vanished files, then Return", [&] {
        QDialog* dialog = modal("ThreeChoiceDialog");
        if (!dialog) return false;
        QLabel* label = questionLabel(*dialog);
        if (label && label->selectedText() == u("1 disparus")) {
            xdotool("key Return");
            return true;
        }
        if (tabs++ == 0) xdotool("windowfocus --sync " + std::to_string(dialog->winId()));
        if (!label || tabs > 8) {
            ADD_FAILURE() << "Tab never reaches the link of the vanished files";
            return true;
        }
        xdotool("key Tab");
        return false;
    });
    closeDetail(
        steps,
        [&](QDialog& detail) {
            EXPECT_EQ(detail.windowTitle().toStdString(), "Disparus");
            vanishedLines =
                widget<QPlainTextEdit>(&detail, "ThreeChoiceDetailLines")->toPlainText().split('\n');
        },
        true);
    clickLink(steps, u("2 déplacés ou renommés"), [&](QDialog& dialog) {
        // What the user reads: blanks and line breaks as the text has them.
        const QTextDocument* doc = questionLabel(dialog)->findChild<QTextDocument*>();
        EXPECT_EQ((doc ? doc->toPlainText() : QString()).toStdString(), question.toStdString());
        EXPECT_EQ(wmName(dialog, "Confirmation"), "Confirmation");
        EXPECT_EQ(cutOff(dialog), "") << "Nouveaux seulement";
    });
    closeDetail(steps, [&](QDialog& detail) {
        detailTitle = QString::fromStdString(wmName(detail, u("Déplacés ou renommés")));
        detailLines = widget<QPlainTextEdit>(&detail, "ThreeChoiceDetailLines")->toPlainText().split('\n');
        detailLines.sort();
    });
    steps
        .then("the question again, answered Oui",
              [&] {
                  QDialog* dialog = modal("ThreeChoiceDialog");
                  if (!dialog) return false;
                  clickButton(*dialog, "Oui");
                  return true;
              })
        .then("the report, acknowledged",
              [&] {
                  QMessageBox* box = messageBox(u("  Disque FILMS mis à jour"));
                  if (!box) return false;
                  clickOn(*box->buttons().front());
                  return true;
              })
        .run([&] { clickOn(*refreshButton()); });

    EXPECT_EQ(detailTitle.toStdString(), "Déplacés ou renommés");
    EXPECT_EQ(vanishedLines.join('\n').toStdString(), path("films/Brazil.avi"));
    const std::string to = "   =>   ";
    EXPECT_EQ(detailLines.join('\n').toStdString(),
              path("films/Alien.avi") + to + path("films/Alien 1979.avi") + "\n" +
                  path("films/old/Heat.avi") + to + path("films/new/Heat.avi"));
    ASSERT_GE(real.texts.size(), 2u);
    EXPECT_EQ(real.texts.back(),
              "  Disque FILMS mis à jour : 1 rajoutés, 1 effacés, 2 déplacés ou renommés, 1 "
              "modifiés \n\n  ce qui fait un total de 5");
    EXPECT_EQ(rowsOf("FILMS"),
              (std::vector<std::string>{"Alien 1979.avi :\\films 2.00 Ko", "Aliens.mkv :\\films 3.42 Ko",
                                        "Heat.avi :\\films\\new 6.84 Ko", "Ran.avi :\\films 8.79 Ko"}));
    EXPECT_EQ(rowsOf("ARCHIVES"), (std::vector<std::string>{"Casino.avi :\\films 700 Mo"}));
    EXPECT_EQ(wmName(*form1, title), title.toStdString());
    // The global-list window shows the list as the refresh left it.
    form1->BitBtn_form2_bisClick();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
    const QAbstractItemModel* grid = widget<QTableView>(form2, "StringGrid1")->model();
    QStringList titles;
    for (int r = 0; r < grid->rowCount(); ++r) titles << grid->index(r, 3).data().toString();
    titles.sort();
    EXPECT_EQ(titles.join(", ").toStdString(), "Alien 1979, Aliens, Casino, Heat, Ran");
    EXPECT_EQ(widget<QLabel>(form2, "Label_n")->text().toStdString(), "5 médias");
}

// Pictures of the whole screen, to look at: the button beside the adding, the question with its
// links, the window of one link's files over it.
TEST_F(X11Refresh, PicturesOfTheButtonTheQuestionAndALinksFiles) {
    const QString dir = qEnvironmentVariable("VERDAN_SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set VERDAN_SCREENSHOT_DIR to write the pictures";
    QDir().mkpath(dir);
    const auto shoot = [&](const char* name) {
        QTest::qWait(200); // the last paint reaches the server
        EXPECT_TRUE(form1->screen()->grabWindow(0).save(dir + "/" + name)) << name;
    };
    scanFilms();
    addFound();
    changeTheDisk();
    scanFilms();
    ASSERT_TRUE(refreshButton()->isVisible());
    shoot("refresh_button.png");
    Steps steps;
    clickLink(steps, u("1 modifiés (taille ou date)"), [&](QDialog&) { shoot("refresh_question.png"); });
    closeDetail(steps, [&](QDialog&) { shoot("refresh_detail.png"); });
    steps
        .then("the question again, cancelled",
              [&] {
                  QDialog* dialog = modal("ThreeChoiceDialog");
                  if (dialog) clickButton(*dialog, "Annuler");
                  return dialog != nullptr;
              })
        .run([&] { clickOn(*refreshButton()); });
    EXPECT_EQ(rowsOf("FILMS").size(), 4u) << "cancelled";
}

namespace {

// The global-list window in basic mode over titles t1 ... t3000, with the real Ui, whose work
// posted from the search's threads goes through Qt's own queue.
class X11Search : public X11Windows {
protected:
    RecordingUi real;

    void SetUp() override {
        X11Windows::SetUp();
        if (IsSkipped()) return;
        if (!xdotoolInstalled()) GTEST_SKIP() << "xdotool is not installed";
        std::vector<std::string> lines;
        for (int i = 1; i <= 3000; ++i)
            lines.push_back(row(std::to_string(i), "FILMS", "t" + std::to_string(i)));
        writeList(lines);
        std::ofstream(program.settingsPath(), std::ios::binary)
            << "[GENERAL]\r\nLabel_repfic_media.caption=" << cp1252::encode(listFolder())
            << "\r\n[Options]\r\nCheckBox_mode_avancer=0\r\n";
        buildWindows(program, real);
        real.setParentWindow(form1);
        form1->show();
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return form2->isVisible() && grid()->model()->rowCount() == 3000; }));
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form2));
        form2->setGeometry(form2->screen()->availableGeometry());
        xdotool("windowfocus --sync " + std::to_string(form2->winId()));
    }
    ~X11Search() override { windows.reset(); }

    QTableView* grid() { return widget<QTableView>(form2, "StringGrid1"); }
    QTableView* results() { return widget<QTableView>(form2, "StringGrid_filter"); }
    std::vector<int> selectedRows() {
        std::vector<int> rows;
        for (const QModelIndex& i : grid()->selectionModel()->selectedRows()) rows.push_back(i.row() + 1);
        std::sort(rows.begin(), rows.end());
        return rows;
    }
};

} // namespace

TEST_F(X11Search, KeysTypedSearchAtThePauseAndEscapeGivesBackTheTableAsTheUserLeftIt) {
    grid()->scrollTo(grid()->model()->index(139, 0), QAbstractItemView::PositionAtTop);
    QTest::qWait(100);
    const QRect cell = grid()->visualRect(grid()->model()->index(149, 3));
    moveTo(*grid()->viewport(), cell.center());
    // In basic mode the table takes one row at a time: the click, then the arrow moves it.
    xdotool("click 1 key Down");
    ASSERT_TRUE(QTest::qWaitFor([&] { return selectedRows() == std::vector<int>{151}; }));
    const int scroll = grid()->verticalScrollBar()->value();

    auto* edit = widget<QLineEdit>(form2, "Edit1");
    clickOn(*edit);
    xdotool("type --delay 30 T15");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return results()->isVisible() && form2->browseState().searchText == "T15"; }));
    EXPECT_EQ(results()->model()->rowCount(), 111) << "t15, t150 ... t159, t1500 ... t1599";
    xdotool("type --delay 30 00");
    ASSERT_TRUE(QTest::qWaitFor([&] { return form2->browseState().searchText == "T1500"; }));
    EXPECT_EQ(results()->model()->rowCount(), 1);
    EXPECT_EQ(results()->model()->index(0, 3).data().toString(), "t1500");

    xdotool("key Escape");
    ASSERT_TRUE(QTest::qWaitFor([&] { return grid()->isVisible(); }));
    EXPECT_TRUE(edit->text().isEmpty());
    EXPECT_EQ(selectedRows(), (std::vector<int>{151}));
    EXPECT_EQ(grid()->verticalScrollBar()->value(), scroll);
}
