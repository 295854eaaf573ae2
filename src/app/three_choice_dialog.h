#pragma once
#include <QDialog>

class QLabel;
class QPushButton;

// The confirmation with three captioned buttons: they keep the order Yes, No, Cancel and stand
// centred with 8 pixels between them, each `buttonWidth` wide, even when that overflows the dialog.
class ThreeChoiceDialog : public QDialog {
    Q_OBJECT
public:
    ThreeChoiceDialog(const QString& text, const QStringList& captions, int buttonWidth,
                      QWidget* parent = nullptr);
    // 0, 1 or 2 (2 also for Escape and the window's cross).
    int choice() const { return m_choice; }
    // The first `words` of the text after the last detail's become a link that shows `lines` in a
    // window of their own, over the question, which waits meanwhile.
    void addDetail(const QString& words, const QString& title, const QStringList& lines);
    // The detail of link `k` shown; returns its window (closed by the caller in tests).
    QDialog* showDetail(int k);
    QPushButton* button(int k) const { return m_buttons[k]; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void layoutButtons();

    void showText();

    struct Detail {
        qsizetype at = 0;
        QString words, title;
        QStringList lines;
    };
    QString m_plain;
    QList<Detail> m_details;
    QLabel* m_text = nullptr;
    QWidget* m_row = nullptr;
    QPushButton* m_buttons[3] = {};
    int m_width;
    int m_choice = 2;
};
