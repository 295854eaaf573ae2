#pragma once
#include <QMainWindow>

#include "collect/collection_state.h"

class TForm2;

// The collection window, main window of the program.
class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    explicit TForm1(QWidget* parent = nullptr);
    void setGlobalListWindow(TForm2* form2) { m_form2 = form2; }

protected:
    void changeEvent(QEvent* event) override;

private:
    void FormActivate();

    verdan::CollectionState m_state;
    TForm2* m_form2 = nullptr;
};
