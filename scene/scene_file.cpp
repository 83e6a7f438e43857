// scene_file.cpp: 3DS files read from memory by lib3ds once the chunk check has passed.
#include "scene/scene_file.h"

#include <lib3ds/io.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "scene/chunk_check.h"

namespace {

const std::size_t kMaxFileSize = 64 << 20;  // far beyond any scene of the show

struct MemoryStream {
    const std::vector<unsigned char>* bytes;
    long position;
};

Lib3dsBool StreamError(void*) { return LIB3DS_FALSE; }

long StreamSeek(void* self, long offset, Lib3dsIoSeek origin) {
    MemoryStream* stream = static_cast<MemoryStream*>(self);
    const long size = static_cast<long>(stream->bytes->size());
    long base = origin == LIB3DS_SEEK_SET ? 0 : origin == LIB3DS_SEEK_CUR ? stream->position : size;
    long target = base + offset;
    if (target < 0 || target > size) return -1;
    stream->position = target;
    return 0;
}

long StreamTell(void* self) { return static_cast<MemoryStream*>(self)->position; }

// Past the end the stream reads zeros, so lib3ds never sees stale bytes in its buffers.
std::size_t StreamRead(void* self, void* buffer, std::size_t size) {
    MemoryStream* stream = static_cast<MemoryStream*>(self);
    const std::size_t available =
        stream->bytes->size() - static_cast<std::size_t>(stream->position);
    const std::size_t count = size < available ? size : available;
    if (count) std::memcpy(buffer, stream->bytes->data() + stream->position, count);
    std::memset(static_cast<unsigned char*>(buffer) + count, 0, size - count);
    stream->position += static_cast<long>(count);
    return count;
}

std::size_t StreamWrite(void*, const void*, std::size_t) { return 0; }

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

bool ReadWholeFile(const char* path, std::vector<unsigned char>* bytes) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) return false;
    unsigned char buffer[65536];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) {
        if (bytes->size() + got > kMaxFileSize) return false;
        bytes->insert(bytes->end(), buffer, buffer + got);
    }
    return !std::ferror(file.get());
}

}  // namespace

Lib3dsFile* ReadSceneFile(const char* path) {
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(path, &bytes)) return nullptr;
    if (!CheckChunkStructure(bytes.data(), bytes.size())) return nullptr;

    MemoryStream stream = {&bytes, 0};
    Lib3dsIo* io =
        lib3ds_io_new(&stream, StreamError, StreamSeek, StreamTell, StreamRead, StreamWrite);
    if (!io) return nullptr;
    Lib3dsFile* file = lib3ds_file_new();
    // lib3ds_file_load frees only the file record when reading fails; freeing the whole
    // file here also releases the meshes, materials and nodes read before the failure.
    if (file && !lib3ds_file_read(file, io)) {
        lib3ds_file_free(file);
        file = nullptr;
    }
    lib3ds_io_free(io);
    return file;
}
