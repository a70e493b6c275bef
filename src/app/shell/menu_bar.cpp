#include "app/shell/menu_bar.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <initializer_list>

#include "viewer/commands.h"

namespace {

// One entry of a popup: an item with its command, or a separator (no text).
struct Entry {
    const char* text;
    CommandId id;
};
constexpr Entry kSeparator{nullptr, {}};

void AddEntries(QMenu& menu, std::initializer_list<Entry> entries, QHash<int, QAction*>& actions) {
    for (const Entry& entry : entries) {
        if (entry.text == nullptr) {
            menu.addSeparator();
            continue;
        }
        // The text after the tab is what the menu shows as the shortcut.
        QAction* action = menu.addAction(QString::fromUtf8(entry.text));
        action->setData(static_cast<int>(entry.id));
        action->setCheckable(IsOptionItem(entry.id));
        actions.insert(static_cast<int>(entry.id), action);
    }
}

}  // namespace

QHash<int, QAction*> BuildMenuBar(QMenuBar& bar) {
    QHash<int, QAction*> actions;

    QMenu* file = bar.addMenu(QStringLiteral("&File"));
    AddEntries(*file, {{"&Open\tCtrl+O", CommandId::Open}, {"E&xit", CommandId::Exit}}, actions);

    QMenu* options = bar.addMenu(QStringLiteral("&Options"));
    AddEntries(*options->addMenu(QStringLiteral("&Textures")),
               {{"&BMP", CommandId::TexBMP},
                {"BMP &Compressed", CommandId::TexBMPCompressed},
                {"BM&P Cubemap", CommandId::TexBMPCubemap},
                kSeparator,
                {"&TGA", CommandId::TexTGA},
                {"T&GA Compresed", CommandId::TexTGACompressed},
                kSeparator,
                {"&DDS", CommandId::TexDDS},
                {"DDS C&ubemap", CommandId::TexDDSCubemap},
                kSeparator,
                {"&Model's Own", CommandId::TexModelsOwn},
                {"O&ff", CommandId::TexOff}},
               actions);
    AddEntries(*options->addMenu(QStringLiteral("&Light")),
               {{"&On", CommandId::LightOn}, {"O&ff", CommandId::LightOff}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Render Mode")),
               {{"&Solid", CommandId::RenderSolid}, {"&Wireframe", CommandId::RenderWireframe}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Backface Culling")),
               {{"&On", CommandId::CullOn}, {"O&ff", CommandId::CullOff}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Winding Order")),
               {{"&Clockwise", CommandId::WindingCW}, {"C&ounter Clockwise", CommandId::WindingCCW}}, actions);
    AddEntries(*options->addMenu(QStringLiteral("&Model")),
               {{"Filp &Normals", CommandId::FlipNormals},
                {"Scale &Down 10%\tCtrl+-", CommandId::ScaleDown},
                {"Scale &Up 10%%\tCtrl++", CommandId::ScaleUp}},
               actions);
    AddEntries(*options, {{"Reset &Camera", CommandId::ResetCamera}}, actions);

    QMenu* help = bar.addMenu(QStringLiteral("&Help"));
    AddEntries(*help, {{"&About ...", CommandId::About}}, actions);
    return actions;
}
