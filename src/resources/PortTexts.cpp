#include "PortTexts.h"

#include <QFileInfo>

#include "ComPortPath.h"
#include "StringTable.h"

namespace PortTexts {

QString DevicePath(int portNumber)
{
    const QString configured = QString::fromStdString(ComPortPath(portNumber));
    const QString resolved = QFileInfo(configured).canonicalFilePath();
    return resolved.isEmpty() ? configured : resolved;
}

QString PermissionDenied(int portNumber)
{
    return StringTable::Get(StringTable::kPortPermissionDenied).arg(DevicePath(portNumber));
}

} // namespace PortTexts
