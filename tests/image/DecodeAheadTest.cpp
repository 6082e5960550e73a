#include "image/DecodeAhead.h"
#include "support/TestImages.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

TEST(DecodeAhead, GivesEveryQueuedFileItsOwnDecodeInAnyOrderOfArrivalAndKeepsToTheBudget)
{
    QTemporaryDir dir;
    QStringList paths;
    for (int i = 0; i < 12; ++i) {
        paths.append(dir.filePath(QString("%1.jpg").arg(i)));
        TestImages::write(paths.last(), TestImages::jpeg(300 + 10 * i, 200));
    }
    WorkerPool pool(4);
    DecodeAhead ahead(pool);
    ahead.enqueue(paths, 100, 100);
    EXPECT_FALSE(ahead.take(dir.filePath("never queued.jpg"), 100, 100).has_value());
    for (int i = 0; i < paths.size(); i += 2) {  // every other file is passed over
        const auto decoded = ahead.take(paths[i], 100, 100);
        EXPECT_TRUE(decoded && decoded->small == DecodeThumbnail(paths[i], 100, 100).small) << i;
    }
    EXPECT_FALSE(ahead.take(paths[1], 100, 100).has_value());  // dropped with the ones passed over
    // Limits changed after the decode ahead: the file is made again at the new ones.
    ahead.enqueue({paths[3]}, 100, 100);
    QTest::qWait(300);  // a worker has long finished it
    const auto other = ahead.take(paths[3], 50, 50);
    EXPECT_TRUE(other && other->size.width() == 50);

    DecodeAhead single(pool, nullptr, 1);  // every decode exceeds the budget: one at a time
    single.enqueue(paths, 100, 100);
    for (const QString& path : paths)
        EXPECT_TRUE(single.take(path, 100, 100).value_or(DecodedThumbnail{}).decoded);
    EXPECT_EQ(single.peakConcurrentDecodes(), 1);
}
