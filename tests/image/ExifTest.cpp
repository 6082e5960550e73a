#include "image/Exif.h"
#include "shell/FileNames.h"
#include "support/RawFolder.h"
#include "support/TestImages.h"

#include <QTimeZone>
#include <gtest/gtest.h>
#include <rapidcheck.h>

#include <array>
#include <fstream>
#include <vector>

namespace {
using TestImages::Exif;

const Exif Full{.orientation = 6, .taken = "2021:07:04 10:20:30", .offset = "-03:30",
                .digitized = "2021:07:05 11:00:00", .thumbnail = "\xFF\xD8 small \xFF\xD9"};

// Parsed from a buffer of exactly its size, so that a read past the end is
// one the address sanitizer sees.
ExifInfo ParseExact(const QByteArray& head)
{
    const std::vector<char> exact(head.begin(), head.end());
    return ParseExif(QByteArray::fromRawData(exact.data(), qsizetype(exact.size())));
}
} // namespace

// Each head parsed alone and read from a file under a name that is not UTF-8, after JFIF's APP0 segment.
TEST(Exif, ReadsEachFieldInBothByteOrdersFromAFileUnderAnyNameAndMalformedHeadsGiveTheDefaults)
{
    RawFolder dir;
    const QString name = FileNameFromBytes(QFile::encodeName(dir.path()) + "/caf\xe9.jpg");
    const QByteArray jfif = TestImages::jpeg(8, 8).left(20) + "\xFF\xDA";
    const auto both = [&](const QByteArray& head) {
        std::ofstream(FileNameBytes(name).toStdString(), std::ios::binary) << head.toStdString();
        return std::array{ParseExact(head), ReadExif(name)};
    };
    const QDateTime local(QDate(2021, 7, 4), QTime(10, 20, 30)), digitized(QDate(2021, 7, 5), QTime(11, 0));
    const QList<std::tuple<Exif, int, std::optional<QDateTime>>> cases{
        {Full, 6, QDateTime(QDate(2021, 7, 4), QTime(10, 20, 30), QTimeZone(-3 * 3600 - 1800))},
        {{.orientation = 8, .taken = Full.taken}, 8, local},  // without an offset: local time
        {{.taken = Full.taken, .offset = "03:00"}, 1, local},  // an offset without a sign is no offset
        {{.orientation = 9, .digitized = Full.digitized}, 1, digitized},
        {{.taken = "0000:00:00 00:00:00", .digitized = Full.digitized}, 1, digitized},
        {{.orientation = 3, .taken = "    :  :     :  :  "}, 3, std::nullopt},
        {{.thumbnail = Full.thumbnail}, 1, std::nullopt},
    };
    for (const bool bigEndian : {false, true})
        for (auto [fields, orientation, taken] : cases) {
            fields.bigEndian = bigEndian;
            for (const ExifInfo& info : both(TestImages::withExif(jfif, fields, 20)))
                EXPECT_TRUE(info.orientation == orientation && info.taken == taken && info.thumbnail == fields.thumbnail
                            && info.taken.value_or(QDateTime()).offsetFromUtc()
                                == taken.value_or(QDateTime()).offsetFromUtc())
                    << fields.taken.data() << bigEndian;
        }
    const QByteArray head = TestImages::withExif(jfif, Full, 20);
    for (const QByteArray& bad : {head.left(head.size() / 2), QByteArray("\xFF\xD8\xFF\xDA") + head.mid(2),
                                  QByteArray(head).replace("Exif", "Exit"), QByteArray(head).replace("II*", "IM*"),
                                  QByteArray("not a picture"), QByteArray()})
        for (const ExifInfo& info : both(bad))
            EXPECT_TRUE(info.orientation == 1 && !info.taken && info.thumbnail.isEmpty()) << bad.toHex().data();
    for (const QString& none : {dir.filePath("missing.jpg"), dir.path()})
        EXPECT_TRUE(!ReadExif(none).taken && ReadExif(none).orientation == 1);
}

TEST(Exif, AnyDamageToTheHeaderNeverReadsPastIt)
{
    EXPECT_TRUE(rc::check([](bool bigEndian, std::vector<std::pair<uint16_t, uint8_t>> flips) {
        Exif fields = Full;
        fields.bigEndian = bigEndian;
        // The segment cut short, its length saying so, and bytes of its body changed.
        QByteArray segment = TestImages::exif(fields);
        segment.chop(*rc::gen::inRange<qsizetype>(0, segment.size() - 3));
        segment[2] = char((segment.size() - 2) >> 8);
        segment[3] = char(segment.size() - 2);
        for (const auto& [at, byte] : flips)
            if (segment.size() > 4)
                segment[4 + at % (segment.size() - 4)] = char(byte);
        const ExifInfo info = ParseExact("\xFF\xD8" + segment + "\xFF\xDA");
        RC_ASSERT(info.orientation >= 1 && info.orientation <= 8 && segment.contains(info.thumbnail));
    }));
}
