#include "wall/WallDigest.h"

#include "grid/CellStore.h"
#include "shell/MainState.h"

#include <QCryptographicHash>

namespace {

// Each field with its length first, so no two walls run together alike.
void addField(QCryptographicHash& hash, const QString& field)
{
    const qsizetype size = field.size();
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(&size), sizeof size));
    hash.addData(QByteArrayView(reinterpret_cast<const char*>(field.utf16()), size * qsizetype(sizeof(char16_t))));
}

} // namespace

QString OwnText(const Cell& cell)
{
    if (!std::holds_alternative<Picture>(cell.data))
        return cell.text;
    // Hidden: the slot shows the path unless a text was written meanwhile.
    if (cell.hiddenPath.isEmpty())
        return {};
    return cell.text == cell.hiddenPath ? cell.userText : cell.text;
}

QByteArray WallDigest(const CellStore& cells)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    addField(hash, QString::number(cells.Rows()) + QLatin1Char(',') + QString::number(cells.Cols()));
    cells.forEachOccupied(cells.wholeGrid(), [&](int row, int col, const Cell& cell) {
        const QString path = cell.imagePath();
        const QString text = OwnText(cell);
        if (path.isEmpty() && text.isEmpty())
            return;
        addField(hash, QString::number(row) + QLatin1Char(',') + QString::number(col));
        addField(hash, path);
        addField(hash, text);
    });
    return hash.result();
}

void WallIsSaved(const CellStore& cells, WallState& wall)
{
    wall.SavedWall = WallDigest(cells);
}

bool WallChanged(const CellStore& cells, const WallState& wall)
{
    // An empty wall has nothing to lose.
    return cells.occupiedCount() > 0 && WallDigest(cells) != wall.SavedWall;
}
