#pragma once

#include <QCache>
#include <QImage>

// Pictures copied at their cells' size, for painting: drawing a ready copy
// is what keeps a wall of thousands of cells fast to scroll. Kept while they
// fit a budget, the least recently drawn going first.
class CellCopies {
public:
    // Below this size a copy samples its source; from it up it averages.
    static constexpr int SampledBelowPixels = 12;
    static constexpr int DefaultBudget = 48 * 1024 * 1024;

    explicit CellCopies(int budget = DefaultBudget);

    // The copy of `source` at `size`, made when missing.
    QImage copy(const QImage& source, QSize size);
    int budget() const { return m_copies.maxCost(); }
    // The bytes of the copies made since the count was last started.
    int bytesMade() const { return m_made; }
    void startCounting() { m_made = 0; }

private:
    struct Key {
        qint64 source;  // QImage::cacheKey
        int width;
        int height;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.source, key.width, key.height); }
    };

    QCache<Key, QImage> m_copies;
    int m_made = 0;
};
