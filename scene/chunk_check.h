// chunk_check.h: the structural check a 3DS file must pass before lib3ds reads it.
//
// lib3ds 1.3 trusts its input: a sub-chunk of size 0 makes its chunk walk loop forever,
// sub-chunk sizes are never checked against their parent, a material group's face index
// is used to write into the face list unchecked, face point indices are read unchecked
// when it computes face normals, and nodes with clashing ids make it recurse forever while
// linking them. The check walks every chunk lib3ds walks and refuses a file that would
// lead it into any of these; a file that passes may still be one lib3ds refuses.
#pragma once

#include <cstddef>

// 1 when the bytes form a 3DS file lib3ds can read safely, 0 otherwise.
int CheckChunkStructure(const unsigned char* data, std::size_t size);
