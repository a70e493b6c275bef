// The modal About box: the icon, the version line, three lines about the
// program, and a default OK button. OK, Enter, Escape and the close box all
// close it.
#pragma once

#include <QDialog>

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};
