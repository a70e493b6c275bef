#include "draw/normals_gl.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "mesh/mesh_bounds.h"

void DrawNormals(const Mesh& mesh) {
    const std::size_t count = std::min({std::size_t{mesh.numVerts}, mesh.verts.size() / 3, mesh.normals.size() / 3});
    if (count == 0) return;
    const float length = kNormalLineShare * BoundsOf(mesh).Radius();
    // Two ends a line, built in batches so that a big model needs no second copy of itself.
    constexpr std::size_t kLinesPerBatch = 16384;
    std::vector<float> ends;
    ends.reserve(std::min(count, kLinesPerBatch) * 6);

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_TEXTURE_CUBE_MAP);
    glColor3fv(kNormalLineColor);
    glEnableClientState(GL_VERTEX_ARRAY);
    for (std::size_t first = 0; first < count; first += kLinesPerBatch) {
        ends.clear();
        for (std::size_t i = first; i < std::min(count, first + kLinesPerBatch); ++i) {
            const float* v = &mesh.verts[3 * i];
            const float* n = &mesh.normals[3 * i];
            const float norm = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
            if (!(norm > 0.0f) || !std::isfinite(norm)) continue;
            const float scale = length / norm;
            ends.insert(ends.end(), {v[0], v[1], v[2], v[0] + n[0] * scale, v[1] + n[1] * scale, v[2] + n[2] * scale});
        }
        glVertexPointer(3, GL_FLOAT, 0, ends.data());
        glDrawArrays(GL_LINES, 0, static_cast<GLsizei>(ends.size() / 3));
    }
    glDisableClientState(GL_VERTEX_ARRAY);
    glPopAttrib();
}
