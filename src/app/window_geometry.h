#pragma once
#include <QScreen>
#include <QWidget>

#include "catalogue/settings.h"

// Window bounds as the settings file keeps them: frame position, client size, state.
inline verdan::WindowGeometry geometryOf(const QWidget& w) {
    int state = w.isMaximized() ? 2 : (w.isMinimized() ? 1 : 0);
    return {w.x(), w.y(), w.width(), w.height(), state};
}

// The largest part of `wanted` that the window's screen holds, frame included. Before the window
// manager has framed the window, a title bar's height is kept free.
inline QSize fitOnScreen(const QWidget& w, QSize wanted) {
    const QScreen* screen = w.screen();
    if (!screen) return wanted;
    QSize frame = w.frameGeometry().size() - w.geometry().size();
    if (frame.isEmpty()) frame = QSize(0, 32);
    return wanted.boundedTo(screen->availableGeometry().size() - frame);
}

inline void applyGeometry(QWidget& w, const verdan::WindowGeometry& g) {
    w.move(g.left, g.top);
    // Bounds kept from a larger screen would put part of the window out of reach.
    if (g.width > 0 && g.height > 0) w.resize(fitOnScreen(w, QSize(g.width, g.height)));
    Qt::WindowStates states = w.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized);
    if (g.state == 2) states |= Qt::WindowMaximized;
    if (g.state == 1) states |= Qt::WindowMinimized;
    w.setWindowState(states);
}

// Either window can take the bounds of the other: both get the larger of their minimum sizes.
inline void shareMinimumSize(QWidget& a, QWidget& b) {
    const QSize least = a.minimumSizeHint().expandedTo(b.minimumSizeHint());
    a.setMinimumSize(least);
    b.setMinimumSize(least);
}

// The target takes the source's place: left, top, width and height.
inline void CopyFormBounds(const QWidget& source, QWidget& target) {
    target.move(source.pos());
    target.resize(source.size());
}
