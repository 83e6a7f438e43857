// scene_node.cpp: drawing a keyframer node through a display list compiled on first draw.
#include "scene/scene.h"

#include "platform/gl.h"
#include <lib3ds/material.h>
#include <lib3ds/matrix.h>
#include <lib3ds/mesh.h>

#include <cmath>
#include <cstring>

#include "app/program_state.h"
#include "gfx/texture_registry.h"

namespace {

const GLfloat kAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
const GLfloat kDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
const GLfloat kSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
// Texture coordinates of a face's three corners when the mesh has none for its points.
const GLfloat kFixedTexels[3][2] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};

// The inverse of the mesh's modelling matrix, which takes the stored points (world
// coordinates of modelling time) back into the object's frame. A matrix that cannot be
// inverted yields the identity, so such a mesh is drawn where its points lie.
void InverseMeshMatrix(Lib3dsMesh* mesh, Lib3dsMatrix inverse) {
    lib3ds_matrix_copy(inverse, mesh->matrix);
    bool usable = lib3ds_matrix_inv(inverse);
    for (int i = 0; i < 16 && usable; ++i) usable = std::isfinite((&inverse[0][0])[i]);
    if (!usable) lib3ds_matrix_identity(inverse);
}

bool FaceInsideMesh(const Lib3dsMesh* mesh, const Lib3dsFace& face) {
    return face.points[0] < mesh->points && face.points[1] < mesh->points &&
           face.points[2] < mesh->points;
}

// Records the blend state of one face. Opaque faces always record the full opaque state;
// transparent ones record additive blending only when the last recorded state was opaque.
// A face without a material counts as opaque.
void RecordBlendState(Lib3dsMaterial* material, int* blending) {
    if (material && material->transparency != 0.0f) {
        if (*blending) return;
        glEnable(GL_BLEND);
        glBlendFunc(GL_ONE, GL_ONE);
        glDisable(GL_LIGHTING);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        *blending = 1;
        return;
    }
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    *blending = 0;
}

void RecordTriangle(const Lib3dsMesh* mesh, const Lib3dsFace& face) {
    glBegin(GL_TRIANGLES);
    glNormal3fv(face.normal);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    for (int corner = 0; corner < 3; ++corner) {
        const unsigned index = face.points[corner];
        // Coordinates go by point index; points past a short texel list take the fixed ones.
        if (mesh->texels != 0 && index < mesh->texels && mesh->texelL)
            glTexCoord2f(mesh->texelL[index][0], mesh->texelL[index][1]);
        else
            glTexCoord2fv(kFixedTexels[corner]);
        glVertex3fv(mesh->pointL[index].pos);
    }
    glEnd();
}

// Compiles (without executing) the list that draws mesh in the object's own frame.
// Returns the list's name, 0 when none could be made.
GLuint CompileMeshList(Lib3dsFile* file, Lib3dsMesh* mesh, int* blending) {
    const GLuint list = glGenLists(1);
    if (list == 0) return 0;
    glNewList(list, GL_COMPILE);

    Lib3dsMatrix inverse;
    InverseMeshMatrix(mesh, inverse);
    glMultMatrixf(&inverse[0][0]);

    Lib3dsMaterial* material = nullptr;  // a face without a name keeps the one before
    for (Lib3dsDword i = 0; i < mesh->faces; ++i) {
        const Lib3dsFace& face = mesh->faceL[i];
        if (face.material[0] != '\0') material = lib3ds_file_material_by_name(file, face.material);
        if (!FaceInsideMesh(mesh, face)) continue;  // a damaged face is left out

        glMaterialfv(GL_FRONT, GL_AMBIENT, kAmbient);
        glMaterialfv(GL_FRONT, GL_DIFFUSE, kDiffuse);
        glMaterialfv(GL_FRONT, GL_SPECULAR, kSpecular);
        // The bind is recorded only when the registry holds the texture; otherwise the face
        // shows whatever texture is bound when the list is replayed.
        if (material && textureRegistry) textureRegistry->BindByName(material->texture1_map.name);
        RecordBlendState(material, blending);
        RecordTriangle(mesh, face);
    }
    glEndList();
    return list;
}

}  // namespace

int Scene::DrawNode(Lib3dsNode* node) {
    if (!file || !node) return 0;
    for (Lib3dsNode* child = node->childs; child; child = child->next) DrawNode(child);

    if (node->type != LIB3DS_OBJECT_NODE) return 1;
    if (std::strcmp(node->name, "$$$DUMMY") == 0) return 1;

    // user.d holds the node's list; lists are made once and never change.
    if (node->user.d == 0) {
        Lib3dsMesh* mesh = lib3ds_file_mesh_by_name(file, node->name);
        if (!mesh) return 0;
        node->user.d = CompileMeshList(file, mesh, &blending);
        if (node->user.d == 0) return 1;
    }

    const Lib3dsVector& pivot = node->data.object.pivot;
    glPushMatrix();
    glMultMatrixf(&node->matrix[0][0]);
    glTranslatef(-pivot[0], -pivot[1], -pivot[2]);
    glCallList(node->user.d);
    glPopMatrix();
    return 1;
}
