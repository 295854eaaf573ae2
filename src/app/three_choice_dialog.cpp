#include "three_choice_dialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

ThreeChoiceDialog::ThreeChoiceDialog(const QString& text, const QStringList& captions, int buttonWidth,
                                     QWidget* parent)
    : QDialog(parent), m_plain(text), m_width(buttonWidth) {
    setWindowTitle("Confirmation");
    setObjectName("ThreeChoiceDialog");
    auto* v = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(size, size));
    icon->setAlignment(Qt::AlignTop);
    m_text = new QLabel(text, this);
    top->addWidget(icon);
    top->addWidget(m_text, 1);
    v->addLayout(top);
    // The buttons are placed by hand, not by a layout: their positions follow one rule.
    m_row = new QWidget(this);
    v->addWidget(m_row);
    int height = 0;
    for (int k = 0; k < 3; ++k) {
        m_buttons[k] = new QPushButton(captions.value(k), m_row);
        m_buttons[k]->setObjectName(QString("ThreeChoiceButton%1").arg(k));
        if (m_width > 0) m_buttons[k]->setFixedWidth(m_width);
        height = qMax(height, m_buttons[k]->sizeHint().height());
        connect(m_buttons[k], &QPushButton::clicked, this, [this, k] {
            m_choice = k;
            done(k == 2 ? QDialog::Rejected : QDialog::Accepted);
        });
    }
    m_buttons[0]->setDefault(true);
    m_row->setFixedHeight(height + 8);
    // The row clips its buttons: it is never narrower than they are, with a little air each side,
    // whatever the length of the text above.
    const int width = m_width > 0 ? m_width : m_buttons[0]->sizeHint().width();
    m_row->setMinimumWidth(3 * width + 16 + 2 * 8);
}

void ThreeChoiceDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    layoutButtons();
}

void ThreeChoiceDialog::layoutButtons() {
    const int width = m_width > 0 ? m_width : m_buttons[0]->sizeHint().width();
    // Client width W: first left edge (W - 3 x width - 16) / 2, then steps of width + 8.
    const int first = (this->width() - 3 * width - 16) / 2 - m_row->x();
    for (int k = 0; k < 3; ++k) m_buttons[k]->move(first + k * (width + 8), 4);
}

void ThreeChoiceDialog::reject() {
    m_choice = 2;
    QDialog::reject();
}

void ThreeChoiceDialog::addDetail(const QString& words, const QString& title, const QStringList& lines) {
    const qsizetype from = m_details.isEmpty() ? 0 : m_details.back().at + m_details.back().words.size();
    const qsizetype at = m_plain.indexOf(words, from);
    if (at < 0 || words.isEmpty()) return;
    m_details.push_back({at, words, title, lines});
    showText();
}

void ThreeChoiceDialog::showText() {
    // The text as it was given, blanks and line breaks kept, with each detail's words a link.
    QString html = "<p style=\"white-space:pre\">";
    qsizetype done = 0;
    for (qsizetype k = 0; k < m_details.size(); ++k) {
        const Detail& d = m_details[k];
        html += m_plain.mid(done, d.at - done).toHtmlEscaped();
        html += QString("<a href=\"%1\">%2</a>").arg(k).arg(d.words.toHtmlEscaped());
        done = d.at + d.words.size();
    }
    html += m_plain.mid(done).toHtmlEscaped();
    html.replace("\n", "<br>");
    html += "</p>";
    m_text->setTextFormat(Qt::RichText);
    m_text->setText(html);
    m_text->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    disconnect(m_text, &QLabel::linkActivated, this, nullptr);
    connect(m_text, &QLabel::linkActivated, this, [this](const QString& link) {
        if (QDialog* list = showDetail(link.toInt())) list->exec();
    });
    // The links take the keyboard too, after the answer: Space and Return still mean "Oui" first.
    m_buttons[0]->setFocus();
}

QDialog* ThreeChoiceDialog::showDetail(int k) {
    if (k < 0 || k >= m_details.size()) return nullptr;
    const Detail& d = m_details[k];
    auto* list = new QDialog(this);
    list->setAttribute(Qt::WA_DeleteOnClose);
    list->setObjectName("ThreeChoiceDetail");
    list->setWindowTitle(d.title);
    auto* v = new QVBoxLayout(list);
    auto* text = new QPlainTextEdit(list);
    text->setObjectName("ThreeChoiceDetailLines");
    text->setReadOnly(true);
    text->setLineWrapMode(QPlainTextEdit::NoWrap);
    text->setPlainText(d.lines.join('\n'));
    v->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, list);
    connect(buttons, &QDialogButtonBox::rejected, list, &QDialog::reject);
    v->addWidget(buttons);
    // As tall as its lines, up to a list that scrolls.
    const int lines = static_cast<int>(std::min<qsizetype>(d.lines.size(), 20));
    list->resize(900, text->fontMetrics().lineSpacing() * (lines + 2) + buttons->sizeHint().height() + 40);
    return list;
}
