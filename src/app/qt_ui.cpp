#include "qt_ui.h"

#include "folder_dialog.h"
#include "three_choice_dialog.h"

#include "catalogue/program_state.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/system.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#ifdef VERDAN_HAVE_CANBERRA
#include <canberra.h>
#endif

using verdan::DialogButton;
using verdan::DialogType;

namespace {

QMessageBox::StandardButton toStandard(DialogButton b) {
    switch (b) {
    case DialogButton::Yes:
        return QMessageBox::Yes;
    case DialogButton::No:
        return QMessageBox::No;
    case DialogButton::Ok:
        return QMessageBox::Ok;
    case DialogButton::Cancel:
        return QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon iconOf(DialogType t) {
    switch (t) {
    case DialogType::Confirmation:
        return QMessageBox::Question;
    case DialogType::Information:
        return QMessageBox::Information;
    case DialogType::Error:
        return QMessageBox::Critical;
    case DialogType::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QtUi::QtUi(QObject* parent) : QObject(parent) {}

void QtUi::showInfo(const std::string& text) {
    QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(verdan::kProductTitle), qs(text), QMessageBox::Ok,
                    m_parent);
    box.button(QMessageBox::Ok)->setText("OK");
    box.exec();
}

DialogButton QtUi::ask(DialogType type, const std::string& text, std::vector<DialogButton> buttons) {
    if (buttons.empty()) buttons = {DialogButton::Ok};
    QMessageBox box(iconOf(type), QString::fromUtf8(verdan::dialogTitle(type)), qs(text),
                    QMessageBox::NoButton, m_parent);
    for (DialogButton b : buttons) {
        QAbstractButton* button = box.addButton(toStandard(b));
        button->setText(QString::fromUtf8(verdan::buttonCaption(b)));
    }
    box.setDefaultButton(static_cast<QPushButton*>(box.button(toStandard(buttons.front()))));
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    for (DialogButton b : buttons) {
        if (clicked == box.button(toStandard(b))) return b;
    }
    // Closed without a button (Escape, the frame's cross): the answer that goes on nowhere.
    for (DialogButton wanted : {DialogButton::Cancel, DialogButton::No}) {
        for (DialogButton b : buttons) {
            if (b == wanted) return b;
        }
    }
    return buttons.front();
}

int QtUi::askThreeChoices(const std::string& text, const std::string& first, const std::string& second,
                          const std::string& third, int buttonWidth) {
    ThreeChoiceDialog dialog(qs(text), {qs(first), qs(second), qs(third)}, buttonWidth, m_parent);
    dialog.exec();
    return dialog.choice();
}

int QtUi::askThreeChoicesWithDetails(const std::string& text, const std::vector<Detail>& details,
                                     const std::string& first, const std::string& second,
                                     const std::string& third, int buttonWidth) {
    ThreeChoiceDialog dialog(qs(text), {qs(first), qs(second), qs(third)}, buttonWidth, m_parent);
    for (const Detail& d : details) {
        QStringList lines;
        for (const std::string& line : d.lines) lines << qs(line);
        dialog.addDetail(qs(d.words), qs(d.title), lines);
    }
    dialog.exec();
    return dialog.choice();
}

namespace {
// "description|pattern|description|pattern", as the core gives its filters, becomes one Qt name
// filter per pair.
QString qtNameFilters(const std::string& filter) {
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    if (parts.size() < 2) return qs(filter);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString& given = parts[i + 1];
        QString patterns = given;
        // Names keep the case they were given on a Windows disk: "*.prm" must find FILMS.PRM too.
        if (verdan::platform::fileNamesCaseSensitive() && patterns.toUpper() != patterns)
            patterns += QLatin1Char(' ') + patterns.toUpper();
        if (patterns == given && description.endsWith(QLatin1Char('(') + given + QLatin1Char(')'))) {
            filters << description;
            continue;
        }
        const qsizetype open = description.lastIndexOf(QLatin1Char('('));
        if (open >= 0 && description.endsWith(QLatin1Char(')'))) description.truncate(open);
        filters << description.trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters.join(QStringLiteral(";;"));
}
} // namespace

std::optional<std::string> QtUi::chooseFile(const std::string& title, const std::string& filter,
                                            const std::string& initialFolder) {
    QString f = QFileDialog::getOpenFileName(m_parent, qs(title), qs(initialFolder), qtNameFilters(filter));
    if (f.isEmpty()) return std::nullopt;
    return ss(QDir::toNativeSeparators(f));
}

std::optional<std::string> QtUi::chooseFolder(const std::string& title, const std::string& initialFolder) {
    const std::optional<QString> f = chooseFolderOrNew(m_parent, qs(title), qs(initialFolder));
    if (!f) return std::nullopt;
    return ss(*f);
}

void QtUi::setBusy(bool busy) {
    if (busy) {
        if (m_busyDepth++ == 0) QApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (m_busyDepth > 0) {
        if (--m_busyDepth == 0) QApplication::restoreOverrideCursor();
    }
}

void QtUi::processEvents() {
    QApplication::processEvents();
}

bool QtUi::trySetClipboardText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) return false;
    clipboard->setText(qs(text));
    return clipboard->text() == qs(text);
}

void QtUi::playSound(verdan::SystemSound sound) {
    namespace platform = verdan::platform;
    if (platform::playSystemSound(sound == verdan::SystemSound::Question ? platform::SystemSound::Question
                                                                         : platform::SystemSound::Asterisk))
        return;
#ifdef VERDAN_HAVE_CANBERRA
    // The desktop's sound theme; the bell when no sound can be played.
    static ca_context* context = [] {
        ca_context* c = nullptr;
        return ca_context_create(&c) == CA_SUCCESS ? c : nullptr;
    }();
    const char* first = sound == verdan::SystemSound::Question ? "dialog-question" : "dialog-information";
    if (context) {
        for (const char* id : {first, "dialog-information"}) {
            if (ca_context_play(context, 0, CA_PROP_EVENT_ID, id, nullptr) == CA_SUCCESS) return;
        }
    }
    QApplication::beep();
#else
    QApplication::beep();
#endif
}

void QtUi::pause(unsigned milliseconds) {
    verdan::platform::sleepMs(milliseconds);
}

bool QtUi::progress(const std::string& text, int permille) {
    if (!m_progress) {
        m_progress = new QProgressDialog(m_parent);
        m_progress->setObjectName("LoadProgress");
        m_progress->setWindowTitle(QString::fromUtf8(verdan::kProductTitle));
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setCancelButtonText("Annuler");
        m_progress->setRange(0, 1000);
        m_progress->setAutoReset(false);
        m_progress->setAutoClose(false);
        // A list read in less than a second shows no box at all.
        m_progress->setMinimumDuration(1000);
        m_progress->setMinimumWidth(420);
        m_progressShown.start();
    } else if (m_progressShown.elapsed() < 40) {
        // The box is brought up to date some twenty-five times a second, not at every call.
        return !m_progress->wasCanceled();
    }
    m_progressShown.restart();
    m_progress->setLabelText(qs(text));
    // Modal: the box and the windows behind it are painted, and Escape reaches it.
    m_progress->setValue(permille);
    return !m_progress->wasCanceled();
}

void QtUi::endProgress() {
    delete m_progress;
}

void QtUi::post(std::function<void()> fn) {
    QMetaObject::invokeMethod(
        this, [this, fn = std::move(fn)]() mutable { runWhenNoBoxIsOpen(std::move(fn)); },
        Qt::QueuedConnection);
}

void QtUi::runWhenNoBoxIsOpen(std::function<void()> fn) {
    // A question's own event loop: what it asks about must not change under it.
    if (thread()->loopLevel() > 1) {
        QTimer::singleShot(50, this,
                           [this, fn = std::move(fn)]() mutable { runWhenNoBoxIsOpen(std::move(fn)); });
        return;
    }
    fn();
}

void QtUi::runOnUiThread(const std::function<void()>& fn) {
    if (QThread::currentThread() == thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(
        this, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}
