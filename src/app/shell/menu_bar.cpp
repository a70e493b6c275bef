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

namespace {

// One entry of a popup: an item with its command, or a separator (no text).
struct Entry {
    std::string_view text;
    CommandId id;
};
constexpr Entry kSeparator{{}, {}};

void AddEntries(QMenu& menu, std::span<const Entry> entries, QHash<int, QAction*>& actions) {
    for (const Entry& entry : entries) {
        if (entry.text.empty()) {
            menu.addSeparator();
            continue;
        }
        // The text after the tab is what the menu shows as the shortcut.
        QAction* action =
            menu.addAction(QString::fromUtf8(entry.text.data(), static_cast<qsizetype>(entry.text.size())));
        action->setData(static_cast<int>(entry.id));
        action->setCheckable(IsOptionItem(entry.id));
        actions.insert(static_cast<int>(entry.id), action);
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
        entries.push_back({rows[i]->menuText, CommandOf(*rows[i])});
    }
    return entries;
}

}  // namespace

QHash<int, QAction*> BuildMenuBar(QMenuBar& bar) {
    QHash<int, QAction*> actions;

    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    AddEntries(*file,
               {{"&Open\tCtrl+O", CommandId::Open},
                {"&Reload\tF5", CommandId::Reload},
                {"Save &Picture...\tCtrl+S", CommandId::SavePicture},
                {"E&xit", CommandId::Exit}},
               actions);

    QMenu* options = bar.addMenu(QStringLiteral("&Options"));
    AddEntries(*options->addMenu(QStringLiteral("&Textures")), TextureEntries(), actions);
    AddEntries(*options->addMenu(QStringLiteral("&Light")),
               {{"&On", CommandId::LightOn}, {"O&ff", CommandId::LightOff}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Render Mode")),
               {{"&Solid", CommandId::RenderSolid}, {"&Wireframe", CommandId::RenderWireframe}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Backface Culling")),
               {{"&On", CommandId::CullOn}, {"O&ff", CommandId::CullOff}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Winding Order")),
               {{"&Clockwise", CommandId::WindingCW}, {"C&ounter Clockwise", CommandId::WindingCCW}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Model")),
               {{"Flip &Normals", CommandId::FlipNormals},
                {"Scale &Down 10%\tCtrl+Num+-", CommandId::ScaleDown},
                {"Scale &Up 10%\tCtrl+Num++", CommandId::ScaleUp},
                {"&Fit\tF", CommandId::Fit},
                {"Show N&ormals", CommandId::ShowNormals}},
               actions);
    AddEntries(*options, {{"Reset &Camera", CommandId::ResetCamera}}, actions);

    QMenu* help = bar.addMenu(QStringLiteral("&Help"));
    AddEntries(*help, {{"&About ...", CommandId::About}, {"&Controls\tF1", CommandId::Controls}}, actions);
    return actions;
}
