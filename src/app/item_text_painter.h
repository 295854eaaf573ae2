#pragma once
#include <QFont>
#include <QHashFunctions>
#include <QSize>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <unordered_map>

#include <QStyleOptionViewItem>

class QPainter;
class QStyle;
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

    // The size the common style gives the cell (CT_ItemViewItem), from `measure` the first time a
    // cell like this one is asked about: a list filled again measures the same texts again.
    template <class Measure> QSize size(const QStyleOptionViewItem& option, QSize contents, Measure measure) {
        const SizeKey key = SizeKey::of(option, contents);
        if (auto found = m_sizes.find(key); found != m_sizes.end()) return found->second;
        const QSize size = measure();
        if (m_sizes.size() >= static_cast<std::size_t>(kKeptTexts)) m_sizes.clear();
        m_sizes.emplace(key, size);
        return size;
    }

    // Texts laid out and kept; at most kKeptTexts, all dropped at once past that (sizes alike).
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

    // What the common style's size of a cell depends on.
    struct SizeKey {
        QString text;
        QFont font;
        int features = 0;
        int decorationPosition = 0;
        QSize decorationSize;
        int direction = 0;
        int wrapWidth = -1; // the cell's width, for a text wrapped
        bool icon = false;
        QSize contents;
        static SizeKey of(const QStyleOptionViewItem& option, QSize contents);
        bool operator==(const SizeKey&) const = default;
    };
    struct SizeKeyHash {
        size_t operator()(const SizeKey& key) const noexcept {
            return qHashMulti(0, key.text, key.font, key.features, key.decorationPosition,
                              key.decorationSize.width(), key.decorationSize.height(), key.direction,
                              key.wrapWidth, key.icon, key.contents.width(), key.contents.height());
        }
    };

    std::unordered_map<Key, Laid, KeyHash> m_texts;
    std::unordered_map<SizeKey, QSize, SizeKeyHash> m_sizes;
};
