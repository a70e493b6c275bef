#include "app/shell/app_icon.h"

QIcon AppIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/tessaview-%1.png").arg(size), QSize(size, size));
    return icon;
}
