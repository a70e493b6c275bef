// The program's icon, from the images built into the resources (16, 32 and 48 pixels).
#pragma once

#include <QIcon>

QIcon AppIcon();
