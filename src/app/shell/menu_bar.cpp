#include "app/shell/menu_bar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <algorithm>
#include <initializer_list>
#include <span>
#include <string_view>
#include <vector>

#include "textures/texture_modes.h"
#include "viewer/commands.h"
#include "viewer/viewer.h"

namespace {

// One entry of a popup: an item with its command, or a separator (id 0).
struct Entry {
    std::string_view text;
    int id;
};
constexpr Entry kSeparator{{}, 0};

void AddEntries(QMenu& menu, std::span<const Entry> entries, QHash<int, QAction*>& actions) {
    for (const Entry& entry : entries) {
        if (entry.id == 0) {
            menu.addSeparator();
            continue;
        }
        // The text after the tab is what the menu shows as the shortcut.
        QAction* action =
            menu.addAction(QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size())));
        action->setData(entry.id);
        action->setCheckable(IsOptionItem(entry.id));
        actions.insert(entry.id, action);
    }
}

void AddEntries(QMenu& menu, std::initializer_list<Entry> entries, QHash<int, QAction*>& actions) {
    AddEntries(menu, std::span<const Entry>(entries.begin(), entries.size()), actions);
}

// The texture modes in their menu slots, with a separator where a slot is skipped.
std::vector<Entry> TextureEntries() {
    std::vector<const TextureModeRow*> rows;
    for (const TextureModeRow& row : kTextureModes) rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](const auto* a, const auto* b) { return a->menuSlot < b->menuSlot; });
    std::vector<Entry> entries;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0 && rows[i]->menuSlot > rows[i - 1]->menuSlot + 1) entries.push_back(kSeparator);
        entries.push_back({rows[i]->menuText, rows[i]->command});
    }
    return entries;
}

}  // namespace

QHash<int, QAction*> BuildMenuBar(QMenuBar& bar) {
    QHash<int, QAction*> actions;

    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    AddEntries(*file, {{"&Open\tCtrl+O", CMD_OPEN}, {"E&xit", CMD_EXIT}}, actions);

    QMenu* options = bar.addMenu(QStringLiteral("&Options"));
    AddEntries(*options->addMenu(QStringLiteral("&Textures")), TextureEntries(), actions);
    AddEntries(*options->addMenu(QStringLiteral("&Light")), {{"&On", CMD_LIGHT_ON}, {"O&ff", CMD_LIGHT_OFF}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Render Mode")),
               {{"&Solid", CMD_RENDER_SOLID}, {"&Wireframe", CMD_RENDER_WIREFRAME}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Backface Culling")), {{"&On", CMD_CULL_ON}, {"O&ff", CMD_CULL_OFF}},
               actions);
    AddEntries(*options->addMenu(QStringLiteral("&Winding Order")),
               {{"&Clockwise", CMD_WINDING_CW}, {"C&ounter Clockwise", CMD_WINDING_CCW}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Model")),
               {{"Filp &Normals", CMD_FLIP_NORMALS},
                {"Scale &Down 10%\tCtrl+-", CMD_SCALE_DOWN},
                {"Scale &Up 10%%\tCtrl++", CMD_SCALE_UP}},
               actions);
    AddEntries(*options, {{"Reset &Camera", CMD_RESET_CAMERA}}, actions);

    QMenu* help = bar.addMenu(QStringLiteral("&Help"));
    AddEntries(*help, {{"&About ...", CMD_ABOUT}}, actions);
    return actions;
}
