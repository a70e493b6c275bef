// The menu bar: File, Options (with its six submenus) and Help, with one
// QAction per command id.
#pragma once

#include <QHash>

class QAction;
class QMenuBar;

// Fills bar and returns each command id's action. Items of the option
// groups are checkable; none is checked yet.
QHash<int, QAction*> BuildMenuBar(QMenuBar& bar);
