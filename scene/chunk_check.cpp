// chunk_check.cpp: walks a 3DS file's chunk tree and refuses what lib3ds would misread.
#include "scene/chunk_check.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

const std::size_t kHeaderSize = 6;          // chunk id (2 bytes) and size (4 bytes)
const int kMaxNesting = 24;                 // lib3ds nests about 7 deep
const int kMaxNodeDepth = 64;               // parent chains; lib3ds recurses along them
const std::size_t kMaxNameBytes = 64;       // lib3ds's name buffers, NUL included
const std::size_t kMaxKfNameBytes = 13;     // the keyframer header's name
const std::size_t kMaxMorphNameBytes = 11;  // a morph key's object name
const std::uint16_t kNoParent = 65535;

// Chunk ids (the names lib3ds gives them).
// clang-format off
enum : std::uint16_t {
    kM3dMagic = 0x4D4D, kMlibMagic = 0x3DAA, kCMagic = 0xC23D, kMdata = 0x3D3D,
    kNamedObject = 0x4000, kTriObject = 0x4100, kPointArray = 0x4110, kPointFlagArray = 0x4111,
    kFaceArray = 0x4120, kMshMatGroup = 0x4130, kTexVerts = 0x4140, kSmoothGroup = 0x4150,
    kDirectLight = 0x4600, kDlSpotlight = 0x4610, kCamera = 0x4700,
    kAmbientLight = 0x2100, kSolidBgnd = 0x1200, kVGradient = 0x1300, kFog = 0x2200,
    kDistanceCue = 0x2300, kLayerFog = 0x2302, kDefaultView = 0x3000, kViewportLayout = 0x7001,
    kMatEntry = 0xAFFF, kKfdata = 0xB000, kNodeHdr = 0xB010, kNodeId = 0xB030,
    kFirstNodeTag = 0xB001, kLastNodeTag = 0xB007, kFirstTrack = 0xB020, kLastTrack = 0xB029,
    kBitMap = 0x1100, kMshBoxmap = 0x4190, kSpotProjector = 0x4653, kMatName = 0xA000,
    kMatMapname = 0xA300, kKfhdr = 0xB00A, kInstanceName = 0xB011,
    kPosTrack = 0xB020, kRotTrack = 0xB021, kSclTrack = 0xB022, kFovTrack = 0xB023,
    kRollTrack = 0xB024, kColTrack = 0xB025, kMorphTrack = 0xB026, kHotTrack = 0xB027,
    kFallTrack = 0xB028, kHideTrack = 0xB029,
};
// clang-format on

// The optional floats of a key's tension-continuity-bias header: one per flag set
// (tension, continuity, bias, ease to, ease from).
const std::uint16_t kTcbFloatFlags[] = {0x01, 0x02, 0x04, 0x08, 0x10};

// Bytes of data before the sub-chunks of a container; -1 when the chunk is not a
// container lib3ds walks. Face arrays and named objects have variable prefixes.
int ContainerPrefix(std::uint16_t id) {
    // clang-format off
    switch (id) {
        case kM3dMagic: case kMlibMagic: case kCMagic: case kMdata: case kTriObject:
        case kMatEntry: case kKfdata: case kAmbientLight: case kSolidBgnd: case kDefaultView:
        // material colours and percentages
        case 0xA010: case 0xA020: case 0xA030: case 0xA040: case 0xA041: case 0xA050:
        case 0xA052: case 0xA053: case 0xA084:
        // material texture maps and masks
        case 0xA200: case 0xA204: case 0xA210: case 0xA220: case 0xA230: case 0xA33A:
        case 0xA33C: case 0xA33D: case 0xA33E: case 0xA340: case 0xA342: case 0xA344:
        case 0xA346: case 0xA348: case 0xA34A: case 0xA34C:
            return 0;
        case kVGradient: return 4;
        case kDirectLight: return 12;
        case kViewportLayout: return 14;
        case kFog: case kLayerFog: case kDistanceCue: return 16;
        case kDlSpotlight: return 20;
        case kCamera: return 32;
        default:
            if (id >= kFirstNodeTag && id <= kLastNodeTag) return 0;
            return -1;
    }
    // clang-format on
}

std::uint16_t Word(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

std::uint32_t Dword(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

// Length of a NUL-terminated name starting at data, NUL included, or 0 when it does not
// end within size bytes or does not fit the buffer lib3ds reads it into.
std::size_t NameBytes(const unsigned char* data, std::size_t size,
                      std::size_t maxBytes = kMaxNameBytes) {
    const std::size_t limit = size < maxBytes ? size : maxBytes;
    const void* end = std::memchr(data, 0, limit);
    return end ? static_cast<const unsigned char*>(end) - data + 1 : 0;
}

struct MeshState {
    std::uint32_t points = 0;
    std::uint32_t faces = 0;
    std::uint32_t highestPointIndex = 0;
};

// lib3ds numbers the nodes of a keyframer chunk in file order, from 0, until a NODE_ID
// chunk says otherwise, and a node without a header keeps parent id 0.
struct NodeRecord {
    std::uint16_t id = 0;
    std::uint16_t parent = 0;
};

class Walker {
public:
    bool File(const unsigned char* data, std::size_t size) {
        if (size < kHeaderSize) return false;
        const std::uint16_t id = Word(data);
        const std::uint32_t length = Dword(data + 2);
        if (id != kM3dMagic && id != kMlibMagic && id != kCMagic && id != kMdata) return false;
        if (length < kHeaderSize || length > size) return false;
        rootId_ = id;
        return Chunk(data, length, 0) && NodesLinkSafely();
    }

private:
    // lib3ds reads a chunk's data only where its parser expects it: a mesh's points and
    // faces directly inside the mesh, a face array's groups directly inside it, nodes
    // directly inside a keyframer chunk that is directly inside the file chunk, and a
    // node's id and header directly inside the node. The walk checks every chunk wherever
    // it is, but takes counts and ids only from those places, so that it judges the file
    // as lib3ds will read it. Each state below holds the depth of the chunk it belongs to.
    std::uint16_t rootId_ = 0;
    MeshState* mesh_ = nullptr;
    int meshDepth_ = -1;
    std::uint32_t faceArrayFaces_ = 0;
    int faceArrayDepth_ = -1;
    int keyframerDepth_ = -1;
    std::uint16_t nodeNumber_ = 0;
    std::size_t nodeIndex_ = 0;
    int nodeDepth_ = -1;
    std::vector<NodeRecord> nodes_;

    static bool IsChildOf(int depth, int parentDepth) {
        return parentDepth >= 0 && depth == parentDepth + 1;
    }

    // One chunk of exactly `length` bytes (header included) whose header has been checked.
    bool Chunk(const unsigned char* chunk, std::size_t length, int depth) {
        const std::uint16_t id = Word(chunk);
        const unsigned char* data = chunk + kHeaderSize;
        const std::size_t size = length - kHeaderSize;
        if (id == kNamedObject) {
            const std::size_t name = NameBytes(data, size);
            return name && SubChunks(data + name, size - name, depth);
        }
        if (id == kTriObject) return Mesh(data, size, depth);
        if (id == kFaceArray) return FaceArray(data, size, depth);
        if (id == kKfdata) return Keyframer(data, size, depth);
        if (id >= kFirstNodeTag && id <= kLastNodeTag && IsChildOf(depth, keyframerDepth_))
            return Node(data, size, depth);
        const int prefix = ContainerPrefix(id);
        if (prefix >= 0) {
            return size >= static_cast<std::size_t>(prefix) &&
                   SubChunks(data + prefix, size - prefix, depth);
        }
        return Leaf(id, data, size, depth);
    }

    // A run of sub-chunks filling exactly size bytes: each at least a header long and
    // inside its parent, so that lib3ds's walk always moves forward and stays inside. A
    // chunk id of 0 ends the run, as it does in lib3ds, which stops reading the parent
    // there and skips the rest of it: what follows is never read, so it is not checked,
    // and what the parent lacks because of it is judged as lib3ds will see it (a node cut
    // off before its header keeps parent id 0).
    bool SubChunks(const unsigned char* data, std::size_t size, int depth) {
        if (depth >= kMaxNesting) return false;
        std::size_t at = 0;
        while (at < size) {
            if (size - at < kHeaderSize) return false;
            if (Word(data + at) == 0) return true;
            const std::uint32_t length = Dword(data + at + 2);
            if (length < kHeaderSize || length > size - at) return false;
            if (!Chunk(data + at, length, depth + 1)) return false;
            at += length;
        }
        return true;
    }

    bool Mesh(const unsigned char* data, std::size_t size, int depth) {
        MeshState state;
        MeshState* outer = mesh_;
        const int outerDepth = meshDepth_;
        mesh_ = &state;
        meshDepth_ = depth;
        const bool ok = SubChunks(data, size, depth);
        mesh_ = outer;
        meshDepth_ = outerDepth;
        // lib3ds computes every face's normal from its points once the mesh is read.
        return ok && (state.faces == 0 || state.highestPointIndex < state.points);
    }

    bool FaceArray(const unsigned char* data, std::size_t size, int depth) {
        if (size < 2) return false;
        const std::uint32_t faces = Word(data);
        const std::size_t prefix = 2 + static_cast<std::size_t>(faces) * 8;
        if (prefix > size) return false;
        std::uint32_t highest = 0;
        for (std::uint32_t i = 0; i < faces; ++i)
            for (int k = 0; k < 3; ++k) {
                const std::uint32_t index = Word(data + 2 + i * 8 + k * 2);
                if (index > highest) highest = index;
            }
        if (IsChildOf(depth, meshDepth_)) {  // a later face array replaces an earlier one
            mesh_->faces = faces;
            mesh_->highestPointIndex = highest;
        }
        const std::uint32_t outerFaces = faceArrayFaces_;
        const int outerDepth = faceArrayDepth_;
        faceArrayFaces_ = faces;
        faceArrayDepth_ = depth;
        const bool ok = SubChunks(data + prefix, size - prefix, depth);
        faceArrayFaces_ = outerFaces;
        faceArrayDepth_ = outerDepth;
        return ok;
    }

    // lib3ds reads nodes only from a keyframer chunk directly inside a file chunk (not from
    // a bare scene-data file), and numbers each such chunk's nodes from 0.
    bool Keyframer(const unsigned char* data, std::size_t size, int depth) {
        if (depth != 1 || rootId_ == kMdata) return SubChunks(data, size, depth);
        keyframerDepth_ = depth;
        nodeNumber_ = 0;
        const bool ok = SubChunks(data, size, depth);
        keyframerDepth_ = -1;
        return ok;
    }

    bool Node(const unsigned char* data, std::size_t size, int depth) {
        NodeRecord record;
        record.id = nodeNumber_++;
        nodeIndex_ = nodes_.size();
        nodes_.push_back(record);
        nodeDepth_ = depth;
        const bool ok = SubChunks(data, size, depth);
        nodeDepth_ = -1;
        return ok;
    }

    // Chunks that lib3ds reads as data: counts must agree with the bytes present, and
    // indices must stay below what they index.
    bool Leaf(std::uint16_t id, const unsigned char* data, std::size_t size, int depth) {
        switch (id) {
        case kPointArray: {
            if (size < 2) return false;
            const std::uint32_t points = Word(data);
            if (IsChildOf(depth, meshDepth_)) mesh_->points = points;
            return 2 + static_cast<std::size_t>(points) * 12 <= size;
        }
        case kPointFlagArray:
            return size >= 2 && 2 + static_cast<std::size_t>(Word(data)) * 2 <= size;
        case kTexVerts: return size >= 2 && 2 + static_cast<std::size_t>(Word(data)) * 8 <= size;
        case kSmoothGroup:
            return !IsChildOf(depth, faceArrayDepth_) ||
                   static_cast<std::size_t>(faceArrayFaces_) * 4 <= size;
        case kMshMatGroup: return MaterialGroup(data, size, depth);
        case kNodeId:
            if (size < 2) return false;
            if (IsChildOf(depth, nodeDepth_)) nodes_[nodeIndex_].id = Word(data);
            return true;
        case kNodeHdr: {
            const std::size_t name = NameBytes(data, size);
            if (!name || size - name < 6) return false;
            if (IsChildOf(depth, nodeDepth_)) nodes_[nodeIndex_].parent = Word(data + name + 4);
            return true;
        }
        // Names lib3ds reads into fixed buffers: one that does not end in time fails
        // the read halfway through an object, which lib3ds then never frees.
        case kMatName:
        case kMatMapname:
        case kBitMap:
        case kSpotProjector:
        case kInstanceName: return NameBytes(data, size) != 0;
        case kMshBoxmap: return Names(data, size, 6);
        case kKfhdr: {
            if (size < 2) return false;
            const std::size_t name = NameBytes(data + 2, size - 2, kMaxKfNameBytes);
            return name && size - 2 - name >= 4;
        }
        default:
            if (id >= kFirstTrack && id <= kLastTrack) return Track(id, data, size);
            return true;  // lib3ds reads it with fixed-size reads or skips it
        }
    }

    // count names one after another, all within size bytes.
    static bool Names(const unsigned char* data, std::size_t size, int count) {
        std::size_t at = 0;
        for (int i = 0; i < count; ++i) {
            const std::size_t name = NameBytes(data + at, size - at);
            if (!name) return false;
            at += name;
        }
        return true;
    }

    // Outside a face array lib3ds does not read the group; the walk still wants its face
    // indices to be valid, which there means none.
    bool MaterialGroup(const unsigned char* data, std::size_t size, int depth) {
        const std::size_t name = NameBytes(data, size);
        if (!name || size - name < 2) return false;
        const std::uint32_t count = Word(data + name);
        if (name + 2 + static_cast<std::size_t>(count) * 2 > size) return false;
        const std::uint32_t faces = IsChildOf(depth, faceArrayDepth_) ? faceArrayFaces_ : 0;
        for (std::uint32_t i = 0; i < count; ++i)
            if (Word(data + name + 2 + i * 2) >= faces) return false;
        return true;
    }

    // Keyframe tracks: flags, 8 unused bytes and a key count, then the keys, each a frame
    // number, flags, a float per flag set, and the track's value. Every key must lie inside
    // the track: lib3ds would otherwise read the next chunk's bytes as keys, and a key cut
    // off by the end of the file fails the read after the node holding it was made, which
    // lib3ds never frees.
    static bool Track(std::uint16_t id, const unsigned char* data, std::size_t size) {
        if (size < 14) return false;
        const std::int32_t keys = static_cast<std::int32_t>(Dword(data + 10));
        std::size_t at = 14;
        for (std::int32_t k = 0; k < keys; ++k) {
            if (size - at < 6) return false;
            const std::uint16_t flags = Word(data + at + 4);
            at += 6;
            for (std::uint16_t flag : kTcbFloatFlags)
                if (flags & flag) at += 4;
            if (at > size) return false;
            if (id == kMorphTrack) {
                const std::size_t name = NameBytes(data + at, size - at, kMaxMorphNameBytes);
                if (!name) return false;
                at += name;
            } else {
                const std::size_t value = TrackValueBytes(id);
                if (size - at < value) return false;
                at += value;
            }
        }
        return true;
    }

    static std::size_t TrackValueBytes(std::uint16_t id) {
        switch (id) {
        case kPosTrack:
        case kSclTrack:
        case kColTrack: return 12;  // a vector
        case kRotTrack: return 16;  // angle and axis
        case kHideTrack: return 0;
        default: return 4;  // field of view, roll, hotspot, falloff
        }
    }

    // Node ids must be unique and every parent chain short and acyclic; otherwise lib3ds's
    // linking by id recurses without end.
    bool NodesLinkSafely() const {
        std::map<std::uint16_t, std::uint16_t> parentOf;
        for (const NodeRecord& node : nodes_)
            if (!parentOf.emplace(node.id, node.parent).second) return false;
        for (const NodeRecord& node : nodes_) {
            std::uint16_t parent = node.parent;
            for (int depth = 0; parent != kNoParent; ++depth) {
                if (depth >= kMaxNodeDepth || parent == node.id) return false;
                const auto found = parentOf.find(parent);
                if (found == parentOf.end()) break;  // unknown parent: lib3ds makes it a root
                parent = found->second;
            }
        }
        return true;
    }
};

}  // namespace

int CheckChunkStructure(const unsigned char* data, std::size_t size) {
    if (!data) return 0;
    Walker walker;
    return walker.File(data, size) ? 1 : 0;
}
