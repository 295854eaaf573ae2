#include "widget_map.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QTableView>
#include <QTimer>
#include <QWidget>

namespace {

// One line per thing: its name, its rectangle on the screen, what it shows. Tabs and line breaks
// of a text are blanks there, so that a line is always one thing.
QString line(const QString& name, const QRect& r, const QString& text) {
    QString shown = text;
    shown.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\n")
        .arg(name)
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .arg(shown);
}

QRect onScreen(const QWidget* w, const QRect& local) {
    return QRect(w->mapToGlobal(local.topLeft()), local.size());
}

QString shownText(const QWidget* w) {
    if (const auto* b = qobject_cast<const QAbstractButton*>(w)) return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w)) return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w)) return e->text();
    return {};
}

// A table's columns as its header shows them: with the rows, they give where each cell is.
void mapColumns(QString& out, const QTableView* table) {
    const QHeaderView* header = table->horizontalHeader();
    if (!header->isVisible()) return;
    for (int column = 0; column < header->count(); ++column) {
        if (header->isSectionHidden(column)) continue;
        const QRect r(header->sectionViewportPosition(column), 0, header->sectionSize(column),
                      header->height());
        if (r.right() < 0 || r.left() > header->viewport()->width()) continue;
        out += line(table->objectName() + QStringLiteral(".column[%1]").arg(column),
                    onScreen(header->viewport(), r),
                    table->model()->headerData(column, Qt::Horizontal).toString());
    }
}

void mapRows(QString& out, const QAbstractItemView* view) {
    const QAbstractItemModel* model = view->model();
    if (!model) return;
    if (const auto* table = qobject_cast<const QTableView*>(view)) mapColumns(out, table);
    const QRect visible = view->viewport()->rect();
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex index = model->index(row, 0);
        const QRect r = view->visualRect(index);
        if (r.isEmpty() || r.top() > visible.bottom()) break;
        if (r.bottom() < visible.top()) continue;
        // The whole row's width as the view shows it: a click anywhere on it takes the row.
        const QRect rowRect(0, r.top(), visible.width(), r.height());
        out += line(view->objectName() + QStringLiteral("[%1]").arg(row), onScreen(view->viewport(), rowRect),
                    index.data().toString());
    }
}

QString widgetMap() {
    QString out;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible()) continue;
        out += line(QStringLiteral("window:") + window->objectName(), window->frameGeometry(),
                    window->windowTitle());
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (w->objectName().isEmpty() || !w->isVisible()) continue;
            out += line(w->objectName(), onScreen(w, w->rect()), shownText(w));
            if (const auto* view = qobject_cast<const QAbstractItemView*>(w)) mapRows(out, view);
        }
    }
    return out;
}

} // namespace

void startWidgetMapIfAsked() {
    const QString path = qEnvironmentVariable("VERDAN_WIDGET_MAP");
    if (path.isEmpty()) return;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, qApp, [path] {
        // Whole or not at all: the reader never meets half a map.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(widgetMap().toUtf8());
        file.commit();
    });
    timer->start(200);
}
