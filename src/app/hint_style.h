#pragma once
#include <QProxyStyle>

// Hints show after 50 ms and follow each other after 50 ms, as the collection window wants them.
class HintStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option = nullptr, const QWidget* widget = nullptr,
                  QStyleHintReturn* returnData = nullptr) const override {
        if (hint == QStyle::SH_ToolTip_WakeUpDelay || hint == QStyle::SH_ToolTip_FallAsleepDelay) return 50;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
