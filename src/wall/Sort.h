#pragma once

#include <QString>

#include <functional>
#include <optional>

class SortTable;
struct CommandContext;

// When a file was made, in whole seconds since the epoch: its birth time
// where the file system records one, else its last modification; nullopt
// when the file is gone.
std::optional<qint64> FileCreationTime(const QString& path);
using CreationTimeReader = std::function<std::optional<qint64>(const QString&)>;

// "Sort by Create Date": every image of the wall, hidden ones included, is
// laid out again from cell (0, 0), column by column, oldest file first and
// by path where dates tie; texts are cleared, after the user's word when
// the wall holds any. Images whose files are gone follow the dated ones, by
// path. Columns are added when the images need more than the grid has. The ordering is done in the work table.
void mnuSortCreateDate_Click(CommandContext& ctx, SortTable& fgTop,
                             const CreationTimeReader& creationTime = FileCreationTime);
