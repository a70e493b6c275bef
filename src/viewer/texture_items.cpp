#include "viewer/texture_items.h"

#include <algorithm>
#include <iterator>

#include "viewer/scene.h"

namespace {

struct TextureItem {
    CommandId id;
    TextureMode mode;
};
constexpr TextureItem kTextureItems[] = {
    {CommandId::TexBMP, BMP},
    {CommandId::TexBMPCompressed, BMPCompressed},
    {CommandId::TexBMPCubemap, BMPCubemap},
    {CommandId::TexTGA, TGA},
    {CommandId::TexTGACompressed, TGACompressed},
    {CommandId::TexDDS, DDS},
    {CommandId::TexDDSCubemap, DDSCubemap},
    {CommandId::TexModelsOwn, ModelsOwn},
    {CommandId::TexOff, Off},
};

const TextureItem* FindItem(CommandId id) {
    const auto* item = std::find_if(std::begin(kTextureItems), std::end(kTextureItems),
                                    [id](const TextureItem& t) { return t.id == id; });
    return item == std::end(kTextureItems) ? nullptr : item;
}

}  // namespace

bool IsTextureItem(CommandId id) { return FindItem(id) != nullptr; }

bool SelectTextureItem(Viewer& viewer, CommandId id, MessageSink& messages) {
    const TextureItem* item = FindItem(id);
    if (!item) return false;
    viewer.checkedTexture = item->id;
    viewer.textureMode = item->mode;
    if (item->mode != Off && item->mode != ModelsOwn) LoadTestTexture(viewer, messages);
    return true;
}
