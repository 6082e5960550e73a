#include "shell/Caption.h"

#include "shell/MainState.h"
#include "shell/Platform.h"
#include "shell/Utilities.h"

#include <QLocale>

const QString OutOfMemoryText = QStringLiteral(
    "Out of memory. Please adjust the thumb quality settings from the options menu then try again.");

namespace {

QString formatFraction(double value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'f', 2);
}

} // namespace

QString FormatCount(qint64 value)
{
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() & ~QLocale::NumberOptions(QLocale::OmitGroupSeparator));
    return locale.toString(value);
}

QString FormatByteSize(qint64 count)
{
    const double v = double(count);
    if (count >= 1073741824)
        return formatFraction(v / 1024 / 1024 / 1024) + QStringLiteral(" GB");
    if (count >= 1048576)
        return formatFraction(v / 1024 / 1024) + QStringLiteral(" MB");
    if (count >= 1024)
        return formatFraction(v / 1024) + QStringLiteral(" KB");
    return QString::number(count) + QStringLiteral(" Bytes");
}

qint64 FreeMemory(LoadFlags& load)
{
    const qint64 available = Platform::memory().availablePhysical();
    if (available < LowMemoryThreshold)
        load.LowMemory = true;
    return available;
}

QString AvailableMemoryText(qint64 available)
{
    return QStringLiteral("Available memory: ") + FormatByteSize(available);
}

bool StopOnLowMemory(LoadFlags& load)
{
    if (!load.LowMemory)
        return false;
    load.LowMemory = false;
    MsgBox(OutOfMemoryText, MsgIcon::Exclamation);
    load.StopLoading = true;
    return true;
}

QString CaptionText(MainState& state, int row, int col, const QString& cellPath)
{
    return QStringLiteral("Pavisto ") + QString::number(row + 1) + QLatin1Char('-') + QString::number(col + 1)
           + QStringLiteral("  ") + cellPath + QStringLiteral("  [Zoom Level ") + QString::number(state.ZoomLevel)
           + QStringLiteral("]   ") + FormatCount(state.ImageCount) + QStringLiteral(" Images [")
           + FormatCount(state.CellCount) + QStringLiteral(" cells]   ") + AvailableMemoryText(FreeMemory(state));
}
