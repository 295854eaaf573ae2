#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTableView>
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "hint_style.h"
#include "uniform_row_header.h"

namespace {

// Texts of every kind a cell meets: short, too long for the cell (elided), empty, accented,
// Cyrillic (another font's glyphs), padded, on several lines, holding the '\x9c' eliding mark.
const QStringList kTexts = {
    QStringLiteral("court"),
    QStringLiteral("Un titre bien trop long pour la largeur de sa colonne, coupé à la fin"),
    QString(),
    QStringLiteral("Été à Noël — œuvre façon « cinéma »"),
    QStringLiteral("Кириллица и латиница вместе, тоже длинная строка"),
    QStringLiteral("   1 234   "),
    QStringLiteral("deux\nlignes"),
    QStringLiteral("avant") + QChar(0x9c) + QStringLiteral("après, une variante plus longue encore"),
    QStringLiteral("x"),
};

std::unique_ptr<QStandardItemModel> cellsModel(int rows, int columns) {
    auto model = std::make_unique<QStandardItemModel>(rows, columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            auto* item = new QStandardItem(kTexts[(r * 7 + c * 3) % kTexts.size()]);
            if (c == 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 2 && r % 2 == 0) item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
            model->setItem(r, c, item);
        }
    return model;
}

// A table as the global-list window sets its own, painted with `style`.
struct Table {
    Table(QAbstractItemModel& model, QStyle& style, Qt::LayoutDirection direction) {
        view.setStyle(&style);
        view.setLayoutDirection(direction);
        view.setModel(&model);
        view.setWordWrap(false);
        view.setSelectionBehavior(QAbstractItemView::SelectRows);
        view.verticalHeader()->setDefaultSectionSize(15);
        const int widths[] = {40, 120, 60, 200, 22};
        for (int c = 0; c < model.columnCount(); ++c) view.setColumnWidth(c, widths[c % 5]);
        view.resize(520, 300);
    }
    QImage picture() { return view.grab().toImage(); }
    QTableView view;
};

} // namespace

// The cells painted by the program's style are the pixels the style itself paints, at the first
// paint and at the next ones (texts laid out before), in both directions, with rows selected and a
// current cell, elided texts in every elide mode, and after the font changed.
TEST(TablePaint, CellsArePaintedPixelForPixelAsTheStyleDoes) {
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
    HintStyle programs(QStringLiteral("Fusion"));
    auto model = cellsModel(24, 5);
    for (const Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
        Table expected(*model, *plain, direction);
        Table painted(*model, programs, direction);
        for (Table* t : {&expected, &painted}) {
            t->view.selectRow(3);
            t->view.selectionModel()->select(t->view.model()->index(5, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
            t->view.setCurrentIndex(t->view.model()->index(5, 1));
        }
        for (const Qt::TextElideMode mode : {Qt::ElideRight, Qt::ElideMiddle, Qt::ElideLeft}) {
            expected.view.setTextElideMode(mode);
            painted.view.setTextElideMode(mode);
            const QImage first = painted.picture();
            EXPECT_EQ(first, expected.picture()) << "direction " << direction << ", elide mode " << mode;
            EXPECT_EQ(painted.picture(), first) << "painted again from the texts kept";
        }
        QFont larger = expected.view.font();
        larger.setPointSize(larger.pointSize() + 3);
        expected.view.setFont(larger);
        painted.view.setFont(larger);
        EXPECT_EQ(painted.picture(), expected.picture()) << "after the font changed";
    }
}

// More texts than it keeps: it starts again and paints them the same.
TEST(TablePaint, PastItsBoundTheTextsKeptStartAgain) {
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
    HintStyle programs(QStringLiteral("Fusion"));
    QStandardItemModel model(ItemTextPainter::kKeptTexts + 40, 1);
    for (int r = 0; r < model.rowCount(); ++r) model.setItem(r, new QStandardItem(QString::number(r * 7919)));
    Table expected(model, *plain, Qt::LeftToRight);
    Table painted(model, programs, Qt::LeftToRight);
    for (int top = 0; top < model.rowCount(); top += 400) {
        for (Table* t : {&expected, &painted})
            t->view.scrollTo(model.index(top, 0), QAbstractItemView::PositionAtTop);
        ASSERT_EQ(painted.picture(), expected.picture()) << "rows from " << top;
    }
}

// A table's rows after rows were removed here and there, as Qt's own header shows them: the same
// count, the same place for every row and the same row under every point, and the same selection.
TEST(UniformRowHeader, RowsStandWhereQtsOwnHeaderPutsThem) {
    QStandardItemModel model(400, 2);
    for (int r = 0; r < model.rowCount(); ++r) model.setItem(r, 0, new QStandardItem(QString::number(r)));
    QTableView own;
    QTableView uniform;
    auto* header = new UniformRowHeader(&uniform);
    uniform.setVerticalHeader(header);
    for (QTableView* t : {&own, &uniform}) {
        t->setModel(&model);
        t->verticalHeader()->hide();
        t->verticalHeader()->setDefaultSectionSize(15);
        t->setSelectionBehavior(QAbstractItemView::SelectRows);
        t->resize(300, 200);
    }
#if QT_VERSION < QT_VERSION_CHECK(6, 5, 0)
    EXPECT_TRUE(header->followsRemovals()) << "the Qt this was written for lets its handling go";
#endif
    auto same = [&](const char* step) {
        ASSERT_EQ(uniform.verticalHeader()->count(), own.verticalHeader()->count()) << step;
        ASSERT_EQ(uniform.verticalHeader()->length(), own.verticalHeader()->length()) << step;
        for (int r = 0; r < model.rowCount(); r += 7)
            ASSERT_EQ(uniform.rowViewportPosition(r), own.rowViewportPosition(r)) << step << " row " << r;
        for (int y = 0; y < 200; y += 5) ASSERT_EQ(uniform.rowAt(y), own.rowAt(y)) << step << " y " << y;
        EXPECT_EQ(uniform.selectionModel()->selectedRows(), own.selectionModel()->selectedRows()) << step;
        EXPECT_EQ(uniform.currentIndex(), own.currentIndex()) << step;
    };
    std::mt19937 random(5);
    for (int round = 0; round < 30; ++round) {
        const int at = static_cast<int>(random() % static_cast<unsigned>(model.rowCount()));
        const int run = round % 3 == 0 ? 1 + static_cast<int>(random() % 9) : 1;
        for (QTableView* t : {&own, &uniform}) {
            t->selectRow((at + 3) % model.rowCount());
            t->scrollTo(model.index(std::max(0, at - 2), 0), QAbstractItemView::PositionAtTop);
        }
        model.removeRows(at, std::min(run, model.rowCount() - at));
        same("a removal");
    }
    model.removeRows(0, 1);
    same("the first row");
    model.removeRows(model.rowCount() - 1, 1);
    same("the last row");
    // A hidden row is Qt's own case again.
    own.setRowHidden(10, true);
    uniform.setRowHidden(10, true);
    model.removeRows(4, 2);
    same("with a hidden row");
    own.setRowHidden(8, false);
    uniform.setRowHidden(8, false);
    model.insertRows(20, 3);
    same("rows inserted");
    model.removeRows(0, model.rowCount());
    same("every row");
}

// The sizes the program's style gives cells, asked again and again, are the style's own: for
// every text, wrapped or not, with a check box or an icon, in both directions.
TEST(TablePaint, CellsAreMeasuredAsTheStyleMeasuresThem) {
    std::unique_ptr<QStyle> plain(QStyleFactory::create(QStringLiteral("Fusion")));
    HintStyle programs(QStringLiteral("Fusion"));
    QTableView view;
    QPixmap square(16, 16);
    square.fill(Qt::red);
    for (int round = 0; round < 2; ++round)
        for (const QString& text : kTexts)
            for (int shape = 0; shape < 16; ++shape) {
                QStyleOptionViewItem option;
                option.initFrom(&view);
                option.text = text;
                option.features = QStyleOptionViewItem::HasDisplay;
                if (shape & 1) option.features |= QStyleOptionViewItem::WrapText;
                if (shape & 2) option.features |= QStyleOptionViewItem::HasCheckIndicator;
                if (shape & 4) {
                    option.features |= QStyleOptionViewItem::HasDecoration;
                    option.icon = QIcon(square);
                    option.decorationSize = QSize(16, 16);
                }
                option.direction = round == 0 ? Qt::LeftToRight : Qt::RightToLeft;
                option.rect = QRect(0, 0, shape & 8 ? 0 : 90, 15); // no size yet, or a column's
                option.decorationPosition =
                    shape % 3 == 0 ? QStyleOptionViewItem::Top : QStyleOptionViewItem::Left;
                for (int again = 0; again < 2; ++again)
                    ASSERT_EQ(programs.sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), &view),
                              plain->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), &view))
                        << text.toStdString() << " shape " << shape << " round " << round;
            }
}
