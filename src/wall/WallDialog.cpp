#include "wall/WallDialog.h"

#include "shell/Utilities.h"
#include "wall/WallFormat.h"

bool WallExtensionAccepted(const QString& path)
{
    if (HasWallExtension(path))
        return true;
    MsgBox(QStringLiteral("The file must have the .wall extension."), MsgIcon::Information);
    return false;
}
