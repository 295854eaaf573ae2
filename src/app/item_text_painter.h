#pragma once
#include <QFont>
#include <QHashFunctions>
#include <QSize>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <unordered_map>

class QPainter;
class QStyle;
class QStyleOptionViewItem;
class QWidget;

// Paints a table cell of plain text (no check box, no icon, one line, not being edited) with the
// same steps and the same pixels as Qt's common style, which lays the cell's text out three times
// at each paint (its size, its eliding, its drawing): a table of a few hundred cells spends most
// of a repaint there. Here a text is laid out once and kept for the next paints, where a deleted
// row or a scroll shows the same texts again.
class ItemTextPainter {
public:
    // Whether the style draws item-view cells with the common style's own code, which this
    // reproduces (Fusion and Windows do; a native style draws them its own way).
    static bool drawsLikeCommonStyle(const QString& styleName);

    // Paints the cell as QCommonStyle's CE_ItemViewItem would, `style` being the style that
    // called (whose primitives and metrics are used); false, having painted nothing, for a cell
    // this does not reproduce.
    bool paint(const QStyle& style, const QStyleOptionViewItem& option, QPainter& painter,
               const QWidget* widget);

    // Texts laid out and kept; at most kKeptTexts, all dropped at once past that.
    static constexpr int kKeptTexts = 2048;
    int keptTexts() const { return static_cast<int>(m_texts.size()); }

private:
    struct Key {
        QString text;
        QFont font;
        int width = 0;
        int alignment = 0;
        int direction = 0;
        int elideMode = 0;
        bool operator==(const Key&) const = default;
    };
    struct KeyHash {
        size_t operator()(const Key& key) const noexcept {
            return qHashMulti(0, key.text, key.font, key.width, key.alignment, key.direction, key.elideMode);
        }
    };
    // A text as it is drawn: its layout (of the elided text when it did not fit), and the size
    // of the whole text's layout, which places it vertically.
    struct Laid {
        std::unique_ptr<QTextLayout> layout;
        QSize boundingSize;
        qreal lineHeight = 0;
    };
    const Laid* laidOut(const Key& key);

    std::unordered_map<Key, Laid, KeyHash> m_texts;
};
