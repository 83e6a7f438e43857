// mp3_writer.cpp: encoding a stereo buffer to an MP3 file with LAME.
#include "tools/assets/mp3_writer.h"

#include <lame/lame.h>

#include <cstdio>
#include <vector>

namespace assets {

namespace {

constexpr int kChunk = 8192;

int Encode(lame_t lame, const StereoBuffer& pcm, FILE* file) {
    std::vector<unsigned char> mp3(static_cast<size_t>(1.25 * kChunk + 7200));
    for (size_t at = 0; at < pcm.Size(); at += kChunk) {
        const int count = static_cast<int>(std::min<size_t>(kChunk, pcm.Size() - at));
        const int bytes =
            lame_encode_buffer_ieee_float(lame, pcm.left.data() + at, pcm.right.data() + at, count,
                                          mp3.data(), static_cast<int>(mp3.size()));
        if (bytes < 0) return 0;
        if (std::fwrite(mp3.data(), 1, bytes, file) != static_cast<size_t>(bytes)) return 0;
    }
    const int bytes = lame_encode_flush(lame, mp3.data(), static_cast<int>(mp3.size()));
    if (bytes < 0) return 0;
    if (std::fwrite(mp3.data(), 1, bytes, file) != static_cast<size_t>(bytes)) return 0;
    // LAME kept the first frame free for the info frame, which it can only fill in now.
    const size_t tagBytes = lame_get_lametag_frame(lame, mp3.data(), mp3.size());
    if (tagBytes > 0) {
        if (std::fseek(file, 0, SEEK_SET) != 0) return 0;
        if (std::fwrite(mp3.data(), 1, tagBytes, file) != tagBytes) return 0;
    }
    return 1;
}

}  // namespace

int WriteMp3(const std::string& path, const StereoBuffer& pcm, int kbps) {
    lame_t lame = lame_init();
    if (!lame) return 0;
    lame_set_in_samplerate(lame, kSampleRate);
    lame_set_out_samplerate(lame, kSampleRate);
    lame_set_num_channels(lame, 2);
    lame_set_mode(lame, JOINT_STEREO);
    lame_set_brate(lame, kbps);
    lame_set_VBR(lame, vbr_off);
    lame_set_quality(lame, 3);
    lame_set_bWriteVbrTag(lame, 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) {
        lame_close(lame);
        return 0;
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    int written = 0;
    if (file) {
        written = Encode(lame, pcm, file);
        if (std::fclose(file) != 0) written = 0;
        if (!written) std::remove(path.c_str());
    }
    lame_close(lame);
    return written;
}

}  // namespace assets
