#include "item_text_painter.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegion>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTextOption>

namespace {

// QCommonStyle's layout of a cell's text: lines of `lineWidth` from the top, the loop cut where
// `maxHeight` would be passed (an extra line asked for then, as there).
void layOutLines(QTextLayout& layout, int lineWidth, int maxHeight) {
    qreal height = 0;
    layout.beginLayout();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(lineWidth);
        line.setPosition(QPointF(0, height));
        height += line.height();
        if (maxHeight > 0 && height + line.height() > maxHeight) {
            layout.createLine();
            break;
        }
    }
    layout.endLayout();
}

// A layout kept for later paints keeps its glyphs: drawn again, it is not shaped again.
std::unique_ptr<QTextLayout> newLayout(const QString& text, const QFont& font, const QTextOption& option) {
    auto layout = std::make_unique<QTextLayout>(text, font);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    return layout;
}

QTextOption textOptionOf(Qt::LayoutDirection direction, Qt::Alignment alignment) {
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(direction);
    option.setAlignment(QStyle::visualAlignment(direction, alignment));
    return option;
}

} // namespace

bool ItemTextPainter::drawsLikeCommonStyle(const QString& styleName) {
    return styleName.compare(QLatin1String("fusion"), Qt::CaseInsensitive) == 0 ||
           styleName.compare(QLatin1String("windows"), Qt::CaseInsensitive) == 0;
}

ItemTextPainter::SizeKey ItemTextPainter::SizeKey::of(const QStyleOptionViewItem& option, QSize contents) {
    const bool wrapped = option.features.testFlag(QStyleOptionViewItem::WrapText);
    return {option.text, option.font, static_cast<int>(option.features),
            static_cast<int>(option.decorationPosition), option.decorationSize,
            static_cast<int>(option.direction),
            // A wrapped text takes the cell's width, unless the cell has no size yet.
            wrapped ? (option.rect.isValid() ? option.rect.width() : -2) : -1, !option.icon.isNull(),
            contents};
}

const ItemTextPainter::Laid* ItemTextPainter::laidOut(const Key& key) {
    if (auto found = m_texts.find(key); found != m_texts.end()) return &found->second;
    const auto alignment = Qt::Alignment(key.alignment);
    const QTextOption option = textOptionOf(Qt::LayoutDirection(key.direction), alignment);
    // As QCommonStyle's eliding: the whole text, cut at the cell's height when centred.
    auto whole = newLayout(key.text, key.font, option);
    layOutLines(*whole, key.width, -1);
    if (whole->lineCount() != 1) return nullptr;
    const QTextLine line = whole->lineAt(0);
    Laid laid;
    laid.boundingSize = whole->boundingRect().size().toSize();
    laid.lineHeight = line.height();
    const QString shown = key.text.mid(line.textStart(), line.textLength());
    if (line.naturalTextWidth() > key.width) {
        // QFontMetrics::elidedText is the engine's own eliding once the text holds no '\x9c'.
        if (key.text.contains(QChar(0x9c))) return nullptr;
        const QString elided =
            QFontMetrics(key.font).elidedText(shown, Qt::TextElideMode(key.elideMode), key.width, 0);
        laid.layout = newLayout(elided, key.font, option);
        layOutLines(*laid.layout, key.width, -1);
    } else if (shown == key.text) {
        laid.layout = std::move(whole);
    } else {
        laid.layout = newLayout(shown, key.font, option);
        layOutLines(*laid.layout, key.width, -1);
    }
    if (m_texts.size() >= static_cast<std::size_t>(kKeptTexts)) m_texts.clear();
    return &m_texts.emplace(key, std::move(laid)).first->second;
}

bool ItemTextPainter::paint(const QStyle& style, const QStyleOptionViewItem& option, QPainter& painter,
                            const QWidget* widget) {
    const bool plain =
        !(option.features & (QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration |
                             QStyleOptionViewItem::WrapText)) &&
        option.icon.isNull() && !(option.state & QStyle::State_Editing) && option.showDecorationSelected &&
        (option.decorationPosition == QStyleOptionViewItem::Left ||
         option.decorationPosition == QStyleOptionViewItem::Right);
    if (!plain) return false;
    // Without a check box or an icon, and the selection drawn over the whole cell, the common
    // style's text rectangle is the cell.
    const QRect cell = option.rect;
    const Laid* laid = nullptr;
    QRect textRect;
    if (!option.text.isEmpty()) {
        const int textMargin = style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        textRect = cell.adjusted(textMargin, 0, -textMargin, 0);
        const Key key{option.text,
                      option.font,
                      textRect.width(),
                      static_cast<int>(option.displayAlignment),
                      static_cast<int>(option.direction),
                      static_cast<int>(option.textElideMode)};
        // The common style cuts a centred text's lines at the cell's height, which changes nothing
        // for the one line drawn here.
        laid = laidOut(key);
        if (!laid) return false;
    }

    painter.save();
    const QRegion clip = painter.hasClipping() ? (painter.clipRegion() & cell) : QRegion(cell);
    painter.setClipRegion(clip);
    style.drawPrimitive(QStyle::PE_PanelItemViewItem, &option, &painter, widget);
    if (laid) {
        QPalette::ColorGroup group =
            option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(option.state & QStyle::State_Active)) group = QPalette::Inactive;
        painter.setPen(option.palette.color(
            group, option.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        const QRect layoutRect = QStyle::alignedRect(Qt::LayoutDirectionAuto, option.displayAlignment,
                                                     laid->boundingSize, textRect);
        // A line wholly above the cell is not drawn.
        if (laid->lineHeight + layoutRect.top() > textRect.top())
            laid->layout->draw(&painter, QPointF(textRect.x(), layoutRect.top()));
    }
    if (option.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(option);
        focus.rect = style.subElementRect(QStyle::SE_ItemViewItemFocusRect, &option, widget);
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.state |= QStyle::State_Item;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        focus.backgroundColor = option.palette.color(
            group, option.state & QStyle::State_Selected ? QPalette::Highlight : QPalette::Window);
        style.drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, widget);
    }
    painter.restore();
    return true;
}
