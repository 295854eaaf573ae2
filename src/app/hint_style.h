#pragma once
#include <QApplication>
#include <QProxyStyle>
#include <QWidget>

// Hints show after 50 ms, follow each other after 50 ms and stay 15 s, in both windows.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay || hint == QStyle::SH_ToolTip_FallAsleepDelay) return 50;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
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
