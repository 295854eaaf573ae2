#pragma once
#include <QHeaderView>
#include <QMetaObject>

// The vertical header of a table whose rows are all alike: never sized, hidden or moved one by one.
// Qt's header follows rows removed from the middle by moving and renumbering every section after
// them and asking each whether it is hidden: a million steps for one row deleted from a million.
// Sections all alike, taking the last ones off leaves the header as that would, in a few steps.
// Where the header does not let its own handling go (another Qt), or sections are hidden or moved,
// Qt's handling runs as it would.
class UniformRowHeader : public QHeaderView {
public:
    explicit UniformRowHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
        // As QTableView makes its own vertical header.
        setSectionsClickable(true);
        setHighlightSections(true);
    }

    void setModel(QAbstractItemModel* model) override {
        if (model == this->model()) return;
        disconnect(m_removed);
        QHeaderView::setModel(model);
        m_followsRemovals =
            model && QObject::disconnect(model, SIGNAL(rowsRemoved(QModelIndex, int, int)), this,
                                         SLOT(_q_sectionsRemoved(QModelIndex, int, int)));
        if (m_followsRemovals)
            m_removed =
                connect(model, &QAbstractItemModel::rowsRemoved, this, &UniformRowHeader::rowsRemoved);
    }

    // Whether removals take the last sections off (for the tests).
    bool followsRemovals() const { return m_followsRemovals; }

private:
    void rowsRemoved(const QModelIndex& parent, int first, int last) {
        const int left = count() - (last - first + 1);
        if (!parent.isValid() && first >= 0 && first <= last && last < count() && left > 0 &&
            hiddenSectionCount() == 0 && !sectionsMoved()) {
            initializeSections(left - 1, left - 1);
            return;
        }
        QMetaObject::invokeMethod(this, "_q_sectionsRemoved", Qt::DirectConnection,
                                  Q_ARG(QModelIndex, parent), Q_ARG(int, first), Q_ARG(int, last));
    }

    QMetaObject::Connection m_removed;
    bool m_followsRemovals = false;
};
