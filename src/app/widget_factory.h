#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QString>
#include <QStringList>
#include <QToolButton>
#include <QToolTip>
#include <QVBoxLayout>

// A one-line label for texts of any length (paths): it asks for little room and shows what fits,
// cut in the middle, with the whole text as its hint. text() stays the whole text.
class ElidedLabel : public QLabel {
public:
    using QLabel::QLabel;
    QSize minimumSizeHint() const override {
        return {fontMetrics().horizontalAdvance(QStringLiteral("…")) * 4, QLabel::minimumSizeHint().height()};
    }
    // What the label shows at its present width.
    QString shownText() const {
        return fontMetrics().elidedText(text(), Qt::ElideMiddle, contentsRect().width());
    }

    // The hint: the whole text when the label cannot show it.
    QString hint() const { return shownText() == text() ? QString() : text(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawText(contentsRect(), static_cast<int>(alignment()), shownText());
    }
    bool event(QEvent* e) override {
        if (e->type() != QEvent::ToolTip) return QLabel::event(e);
        const QString h = hint();
        if (h.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), h, this);
        return true;
    }
};

// Builds widgets under the names the handlers and the tests know them by.
namespace widgets {

inline QString u(const char* utf8) {
    return QString::fromUtf8(utf8);
}

template <class W> W* named(W* w, const char* name, const char* hint = nullptr) {
    w->setObjectName(QString::fromLatin1(name));
    if (hint) w->setToolTip(u(hint));
    return w;
}

inline QLabel* label(QWidget* parent, const char* name, const char* text, const char* hint = nullptr) {
    return named(new QLabel(u(text), parent), name, hint);
}

inline QLabel* elidedLabel(QWidget* parent, const char* name, const char* text) {
    return named(new ElidedLabel(u(text), parent), name);
}

inline QPushButton* button(QWidget* parent, const char* name, const char* text, const char* hint = nullptr) {
    auto* b = named(new QPushButton(u(text), parent), name, hint);
    b->setAutoDefault(false);
    return b;
}

inline QToolButton* speedButton(QWidget* parent, const char* name, const char* text,
                                const char* hint = nullptr) {
    auto* b = named(new QToolButton(parent), name, hint);
    b->setText(u(text));
    b->setAutoRaise(true);
    return b;
}

inline QLineEdit* edit(QWidget* parent, const char* name, const char* text, const char* hint = nullptr) {
    return named(new QLineEdit(u(text), parent), name, hint);
}

inline QCheckBox* check(QWidget* parent, const char* name, const char* text, bool on,
                        const char* hint = nullptr) {
    auto* c = named(new QCheckBox(u(text), parent), name, hint);
    c->setChecked(on);
    return c;
}

inline QListWidget* listBox(QWidget* parent, const char* name, const char* hint = nullptr) {
    return named(new QListWidget(parent), name, hint);
}

// A titled group of radio buttons; its QButtonGroup (ids 0..n-1) is a child named name + "_buttons".
inline QGroupBox* radioGroup(QWidget* parent, const char* name, const char* title, const QStringList& items,
                             int chosen, const char* hint = nullptr) {
    auto* box = named(new QGroupBox(u(title), parent), name, hint);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(6, 4, 6, 4);
    layout->setSpacing(2);
    auto* group = new QButtonGroup(box);
    group->setObjectName(QString::fromLatin1(name) + "_buttons");
    for (int i = 0; i < items.size(); ++i) {
        auto* r = new QRadioButton(items[i], box);
        r->setObjectName(QString::fromLatin1(name) + "_" + QString::number(i));
        group->addButton(r, i);
        layout->addWidget(r);
        if (i == chosen) r->setChecked(true);
    }
    return box;
}

inline QButtonGroup* buttonsOf(QGroupBox* radio) {
    return radio->findChild<QButtonGroup*>(radio->objectName() + "_buttons");
}

inline QFrame* bevel(QWidget* parent, const char* name) {
    auto* f = named(new QFrame(parent), name);
    f->setFrameShape(QFrame::HLine);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

// The background of a window or panel in one colour.
inline void fillWith(QWidget* w, const QColor& colour) {
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, colour);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

// A yellow notice panel placed over the layout.
inline QFrame* panel(QWidget* parent, const char* name, const QColor& colour) {
    auto* p = named(new QFrame(parent), name);
    p->setFrameShape(QFrame::Box);
    fillWith(p, colour);
    p->hide();
    return p;
}

} // namespace widgets
