#include "app/shell/controls_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTableWidget>
#include <QVBoxLayout>

#include "viewer/controls.h"

namespace {
QString ToQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
}  // namespace

ControlsDialog::ControlsDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Controls"));
    setModal(true);

    const std::span<const ControlHelp> controls = ControlsHelp();
    auto* table = new QTableWidget(static_cast<int>(controls.size()), 2, this);
    table->setHorizontalHeaderLabels({QStringLiteral("Key or drag"), QStringLiteral("Does")});
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setWordWrap(false);
    for (int row = 0; row < table->rowCount(); ++row) {
        const ControlHelp& control = controls[static_cast<std::size_t>(row)];
        table->setItem(row, 0, new QTableWidgetItem(ToQString(control.input)));
        table->setItem(row, 1, new QTableWidgetItem(ToQString(control.action)));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    // Tall and wide enough to show every row without scrolling.
    int height = table->horizontalHeader()->height() + 2 * table->frameWidth();
    for (int row = 0; row < table->rowCount(); ++row) height += table->rowHeight(row);
    table->setMinimumSize(table->horizontalHeader()->length() + 2 * table->frameWidth(), height);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(buttons);
}
