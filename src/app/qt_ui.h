#pragma once
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include "util/ui.h"

// The Ui port on Qt widgets: modal boxes in French, the clipboard, system sounds,
// and a blocking hand-off from worker threads to the user-interface thread.
class QProgressDialog;

class QtUi : public QObject, public verdan::Ui {
    Q_OBJECT
public:
    explicit QtUi(QObject* parent = nullptr);
    // The window that owns the boxes (may change as the user switches windows).
    void setParentWindow(QWidget* window) { m_parent = window; }

    void showInfo(const std::string& text) override;
    verdan::DialogButton ask(verdan::DialogType type, const std::string& text,
                             std::vector<verdan::DialogButton> buttons) override;
    int askThreeChoices(const std::string& text, const std::string& first, const std::string& second,
                        const std::string& third, int buttonWidth) override;
    int askThreeChoicesWithDetails(const std::string& text, const std::vector<Detail>& details,
                                   const std::string& first, const std::string& second,
                                   const std::string& third, int buttonWidth) override;
    std::optional<std::string> chooseFile(const std::string& title, const std::string& filter,
                                          const std::string& initialFolder) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& initialFolder) override;
    void setBusy(bool busy) override;
    void processEvents() override;
    bool trySetClipboardText(const std::string& text) override;
    void playSound(verdan::SystemSound sound) override;
    void pause(unsigned milliseconds) override;
    void runOnUiThread(const std::function<void()>& fn) override;
    void post(std::function<void()> fn) override;
    bool progress(const std::string& text, int permille) override;
    void endProgress() override;

private:
    void runWhenNoBoxIsOpen(std::function<void()> fn);

    QWidget* m_parent = nullptr;
    // A modal box, shown once a reading lasts; its "Annuler" and Escape stop the reading.
    QPointer<QProgressDialog> m_progress;
    QElapsedTimer m_progressShown;
    int m_busyDepth = 0;
};

inline QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
inline std::string ss(const QString& s) {
    return s.toStdString();
}
