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
    QPushButton* button(int k) const { return m_buttons[k]; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void reject() override;

private:
    void layoutButtons();

    QLabel* m_text = nullptr;
    QWidget* m_row = nullptr;
    QPushButton* m_buttons[3] = {};
    int m_width;
    int m_choice = 2;
};
