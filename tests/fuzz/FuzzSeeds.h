#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>

// libFuzzer's corpus folder is its first argument that is no option. When
// that folder is empty, the fuzzer starts from these seeds rather than from
// nothing, so its first inputs already reach deep into the reader.
inline void WriteSeedsIfEmpty(int argc, char** argv, const QList<QByteArray>& seeds)
{
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-')
            continue;
        const QDir corpus(QFile::decodeName(argv[i]));
        if (!corpus.exists() || !corpus.isEmpty())
            return;
        for (qsizetype n = 0; n < seeds.size(); ++n) {
            QFile seed(corpus.filePath(QStringLiteral("seed-%1").arg(n)));
            if (seed.open(QIODevice::WriteOnly))
                seed.write(seeds[n]);
        }
        return;
    }
}
