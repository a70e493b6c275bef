#include "viewer/texture_items.h"

#include "viewer/scene.h"

bool IsTextureItem(CommandId id) { return TextureModeRowFor(id) != nullptr; }

bool SelectTextureItem(Viewer& viewer, CommandId id, MessageSink& messages) {
    const TextureModeRow* row = TextureModeRowFor(id);
    if (row == nullptr) return false;
    viewer.checkedTexture = id;
    viewer.textureMode = row->mode;
    if (HasTestImage(row->mode)) LoadTestTexture(viewer, messages);
    return true;
}
