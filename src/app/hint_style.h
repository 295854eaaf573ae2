#pragma once
#include <QApplication>
#include <QProxyStyle>
#include <QStyleOptionViewItem>
#include <QWidget>

#include <optional>

#include "item_text_painter.h"

// Hints show after 50 ms, follow each other after 50 ms and stay 15 s, in both windows. The cells
// of the tables and lists are painted and measured as the style does it, each text laid out once.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override {
        if (element == CE_ItemViewItem && painter && cellsLikeCommonStyle()) {
            const auto* cell = qstyleoption_cast<const QStyleOptionViewItem*>(option);
            if (cell && m_cells.paint(*proxy(), *cell, *painter, widget)) return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& contents,
                           const QWidget* widget = nullptr) const override {
        if (type == CT_ItemViewItem && cellsLikeCommonStyle())
            if (const auto* cell = qstyleoption_cast<const QStyleOptionViewItem*>(option))
                return m_cells.size(*cell, contents, [&] {
                    return QProxyStyle::sizeFromContents(type, option, contents, widget);
                });
        return QProxyStyle::sizeFromContents(type, option, contents, widget);
    }
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay || hint == QStyle::SH_ToolTip_FallAsleepDelay) return 50;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

private:
    bool cellsLikeCommonStyle() const {
        if (!m_cellsLikeCommonStyle)
            m_cellsLikeCommonStyle = ItemTextPainter::drawsLikeCommonStyle(baseStyle()->name());
        return *m_cellsLikeCommonStyle;
    }
    mutable std::optional<bool> m_cellsLikeCommonStyle;
    mutable ItemTextPainter m_cells;
};

inline constexpr int kHintDuration = 15000;

// Gives a window's widgets the hint timings; the delays come from the application's style, which
// the first window installs.
inline void applyHintTimings(QWidget& window) {
    if (!dynamic_cast<HintStyle*>(QApplication::style()))
        QApplication::setStyle(new HintStyle(QApplication::style()->name()));
    window.setToolTipDuration(kHintDuration);
    for (QWidget* w : window.findChildren<QWidget*>()) w->setToolTipDuration(kHintDuration);
}
