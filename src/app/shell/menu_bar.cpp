#include "app/shell/menu_bar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

#include "viewer/commands.h"
#include "viewer/viewer.h"

namespace {

// One entry of a popup: an item with its command, or a separator (id 0).
struct Entry {
    const char* text;
    int id;
};
constexpr Entry kSeparator{nullptr, 0};

void AddEntries(QMenu& menu, std::initializer_list<Entry> entries, QHash<int, QAction*>& actions) {
    for (const Entry& entry : entries) {
        if (entry.id == 0) {
            menu.addSeparator();
            continue;
        }
        // The text after the tab is what the menu shows as the shortcut.
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        action->setData(entry.id);
        action->setCheckable(IsOptionItem(entry.id));
        actions.insert(entry.id, action);
    }
}

}  // namespace

QHash<int, QAction*> BuildMenuBar(QMenuBar& bar) {
    QHash<int, QAction*> actions;

    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    AddEntries(*file, {{"&Open\tCtrl+O", CMD_OPEN}, {"E&xit", CMD_EXIT}}, actions);

    QMenu* options = bar.addMenu(QStringLiteral("&Options"));
    AddEntries(*options->addMenu(QStringLiteral("&Textures")),
               {{"&BMP", CMD_TEX_BMP},
                {"BMP &Compressed", CMD_TEX_BMP_COMPRESSED},
                {"BM&P Cubemap", CMD_TEX_BMP_CUBEMAP},
                kSeparator,
                {"&TGA", CMD_TEX_TGA},
                {"T&GA Compresed", CMD_TEX_TGA_COMPRESSED},
                kSeparator,
                {"&DDS", CMD_TEX_DDS},
                {"DDS C&ubemap", CMD_TEX_DDS_CUBEMAP},
                kSeparator,
                {"&Model's Own", CMD_TEX_MODELS_OWN},
                {"O&ff", CMD_TEX_OFF}},
               actions);
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
