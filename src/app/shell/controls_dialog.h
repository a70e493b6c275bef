// Help > Controls: every key and drag of the window, in one table.
#pragma once

#include <QDialog>

class ControlsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ControlsDialog(QWidget* parent = nullptr);
};
