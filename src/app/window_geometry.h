#pragma once
#include <QWidget>

#include "catalogue/settings.h"

// Window bounds as the settings file keeps them: frame position, client size, state.
inline verdan::WindowGeometry geometryOf(const QWidget& w) {
    int state = w.isMaximized() ? 2 : (w.isMinimized() ? 1 : 0);
    return {w.x(), w.y(), w.width(), w.height(), state};
}

inline void applyGeometry(QWidget& w, const verdan::WindowGeometry& g) {
    w.move(g.left, g.top);
    if (g.width > 0 && g.height > 0) w.resize(g.width, g.height);
    Qt::WindowStates states = w.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
    if (g.state == 2) states |= Qt::WindowMaximized;
    if (g.state == 1) states |= Qt::WindowMinimized;
    w.setWindowState(states);
}

// The target takes the source's place: left, top, width and height.
inline void CopyFormBounds(const QWidget& source, QWidget& target) {
    target.move(source.pos());
    target.resize(source.size());
}
