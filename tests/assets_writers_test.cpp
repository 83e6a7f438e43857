// assets_writers_test.cpp: the generator's building blocks: PNG files that read back through the
// show's reader, keyframe helpers lib3ds can hold, outward-facing solids, a string without offset
// and a kick that is loudest on its beat.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/win_main.h"
#include "demo/scene_table.h"
#include "gfx/png_reader.h"
#include "support/headless_window.h"
#include "tools/assets/scene_kit.h"
#include "tools/assets/scenes.h"
#include "tools/assets/synth.h"
#include "tools/png/png_writer.h"

namespace {

using assets::Vec3;

std::string TempPath(const char* name) {
    return std::string(::testing::TempDir()) + "/" + std::to_string(getpid()) + "_" + name;
}

class PngWriter : public HeadlessTest {};

}  // namespace

TEST_F(PngWriter, FilesReadBackThroughTheShowsReaderWithEveryOption) {
    // 3 x 2, top row first: red green blue / white black grey.
    const std::vector<std::uint8_t> rgb = {255, 0,   0,   0, 255, 0, 0,   0,   255,
                                           255, 255, 255, 0, 0,   0, 128, 128, 128};
    const std::string path = TempPath("writer.png");
    for (bool interlaced : {false, true}) {
        for (bool fast : {false, true}) {
            SCOPED_TRACE(std::string(interlaced ? "interlaced" : "plain") + (fast ? ", fast" : ""));
            png_writer::Options options;
            options.interlaced = interlaced;
            options.fast = fast;
            std::string reason;
            ASSERT_TRUE(png_writer::WriteRgb(path, 3, 2, rgb, options, &reason)) << reason;
            unsigned char* pixels = nullptr;
            int width = 0, height = 0;
            ASSERT_EQ(1, LoadPngRgb(&pixels, path.c_str(), &width, &height));
            EXPECT_EQ(3, width);
            EXPECT_EQ(2, height);
            // The reader hands the bottom row first.
            for (int i = 0; i < 6; ++i) {
                const int source = (i < 3 ? 3 + i : i - 3) * 3;
                for (int c = 0; c < 3; ++c)
                    EXPECT_EQ(rgb[source + c], pixels[i * 4 + c]) << "pixel " << i;
            }
            std::free(pixels);
        }
    }
    std::remove(path.c_str());
}

TEST_F(PngWriter, RefusesPixelsThatDoNotMatchTheSize) {
    const std::string path = TempPath("short.png");
    EXPECT_FALSE(png_writer::WriteRgb(path, 4, 4, std::vector<std::uint8_t>(10)));
    EXPECT_FALSE(png_writer::WriteRgb(path, 0, 4, {}));
    EXPECT_EQ(nullptr, std::fopen(path.c_str(), "rb"));
    std::string reason;
    EXPECT_FALSE(png_writer::WriteRgb("/nonexistent-folder/x.png", 1, 1, {1, 2, 3}, {}, &reason));
    EXPECT_EQ("No such file or directory", reason);
}

// Bytes that cannot reach the disk make a failure with the system's reason, and the name
// written to is removed (here a link to /dev/full, where every write fails).
TEST_F(PngWriter, AFullDiskIsAFailureWithItsReason) {
    const std::string path = TempPath("full.png");
    std::remove(path.c_str());
    ASSERT_EQ(0, symlink("/dev/full", path.c_str()));
    std::string reason;
    EXPECT_FALSE(
        png_writer::WriteRgb(path, 64, 64, std::vector<std::uint8_t>(64 * 64 * 3, 7), {}, &reason));
    EXPECT_EQ("No space left on device", reason);
    EXPECT_NE(0, access(path.c_str(), F_OK)) << "the link is left behind";
    std::remove(path.c_str());
}

// The generator animates each scene for as long as the show draws it: the scenes follow one
// another from 0 ms in the show's order, and the last one lasts to the show's end, past
// its own table duration (selection never walks beyond it).
TEST(ShowScenes, FollowEachOtherFromTheShowsStartToItsEnd) {
    const std::vector<assets::ShowScene>& scenes = assets::ShowScenes();
    ASSERT_EQ(static_cast<size_t>(kSceneRows), scenes.size());
    int end = 0;
    for (int i = 0; i < kSceneRows; ++i) {
        SCOPED_TRACE(scenes[i].fileName);
        EXPECT_STREQ(kSceneTable[i].file, scenes[i].fileName);
        EXPECT_EQ(end, scenes[i].startMs);
        if (i < kWalkedScenes) {
            EXPECT_EQ(kSceneTable[i].duration, scenes[i].playsMs);
        }
        end += scenes[i].playsMs;
    }
    EXPECT_EQ(kShowLength, end);
    EXPECT_GT(scenes.back().playsMs, kSceneTable[kSceneRows - 1].duration);
}

// lib3ds needs keys in strictly increasing frames, starting at 0; the helpers must also end
// exactly on the last frame so the span is covered.
TEST(SceneKit, KeyHelpersGiveIncreasingFramesFromZeroToTheEnd) {
    const Vec3 from{0, -10, 0}, to{0, 10, 0};
    const std::vector<std::vector<int>> tracks = [&] {
        std::vector<std::vector<int>> frames;
        for (const auto& keys :
             {assets::Passes(from, to, 1.3f, 0.4f, 137), assets::Passes(from, to, 50.0f, 0.0f, 20),
              assets::SampleVector(
                  [](float) {
                      return Vec3{0, 0, 0};
                  },
                  41, 4)}) {
            std::vector<int> f;
            for (const auto& key : keys) f.push_back(key.frame);
            frames.push_back(f);
        }
        std::vector<int> spin;
        for (const auto& key : assets::Spin({0, 0, 1}, 2.0f, 77)) spin.push_back(key.frame);
        frames.push_back(spin);
        return frames;
    }();
    const int ends[] = {137, 20, 41, 77};
    for (size_t t = 0; t < tracks.size(); ++t) {
        SCOPED_TRACE("track " + std::to_string(t));
        ASSERT_FALSE(tracks[t].empty());
        EXPECT_EQ(0, tracks[t].front());
        EXPECT_EQ(ends[t], tracks[t].back());
        for (size_t k = 1; k < tracks[t].size(); ++k) EXPECT_LT(tracks[t][k - 1], tracks[t][k]);
    }
    // A steady spin never turns more than a third of a turn between keys.
    const auto spin = assets::Spin({0, 0, 1}, 2.0f, 77);
    for (size_t k = 1; k < spin.size(); ++k)
        EXPECT_LT(std::fabs(spin[k].angle - spin[k - 1].angle), 2.1f);
}

TEST(SceneKit, WaypointPathPassesThroughItsPointsAndHoldsAtTheEnds) {
    const std::vector<std::pair<float, Vec3>> points = {
        {0, {0, 0, 0}}, {2, {10, 0, 0}}, {5, {10, 20, 5}}};
    for (const auto& p : points) {
        const Vec3 at = assets::ThroughWaypoints(points, p.first);
        EXPECT_NEAR(p.second.x, at.x, 1e-4f);
        EXPECT_NEAR(p.second.y, at.y, 1e-4f);
        EXPECT_NEAR(p.second.z, at.z, 1e-4f);
    }
    EXPECT_FLOAT_EQ(0.0f, assets::ThroughWaypoints(points, -3.0f).x);
    EXPECT_FLOAT_EQ(20.0f, assets::ThroughWaypoints(points, 9.0f).y);
}

// The renderer culls back faces of opaque materials, so solids must wind counter-clockwise
// seen from outside: each face's normal points away from the solid's centre.
TEST(SceneKit, BoxesAndCylindersFaceOutwards) {
    assets::MeshBuilder box("Box");
    box.Box({-1, -2, -3}, {3, 2, 1}, "M");
    assets::MeshBuilder cylinder("Cylinder");
    cylinder.Cylinder(2.0f, -1.0f, 1.0f, 12, "M");
    const std::vector<std::pair<scene_writer::Mesh, Vec3>> solids = {{box.Build(), {1, 0, -1}},
                                                                     {cylinder.Build(), {0, 0, 0}}};
    for (const auto& solid : solids) {
        SCOPED_TRACE(solid.first.name);
        const scene_writer::Mesh& mesh = solid.first;
        ASSERT_FALSE(mesh.faces.empty());
        for (const scene_writer::Face& f : mesh.faces) {
            const Vec3 a = mesh.points[f.a], b = mesh.points[f.b], c = mesh.points[f.c];
            const Vec3 normal = assets::Cross(assets::Sub(b, a), assets::Sub(c, a));
            const Vec3 centroid = assets::Mul(assets::Add(assets::Add(a, b), c), 1.0f / 3.0f);
            EXPECT_GT(assets::Dot(normal, assets::Sub(centroid, solid.second)), 0.0f);
        }
    }
}

TEST(Synth, PluckedStringSwingsAboutZero) {
    for (float note : {57.0f, 69.0f, 81.0f}) {
        assets::StereoBuffer out(assets::kSampleRate);
        assets::Random random(1);
        assets::AddPluck(out, 0, note, 1.0f, 0.0f, random);
        double sum = 0.0, energy = 0.0;
        for (size_t i = 4410; i < 8820; ++i) {
            sum += out.left[i];
            energy += out.left[i] * out.left[i];
        }
        EXPECT_GT(energy, 1.0) << "note " << note;
        EXPECT_LT(std::fabs(sum / 4410), 0.01) << "note " << note;
    }
}

TEST(Synth, KickIsLoudestInItsFirstTenMilliseconds) {
    assets::StereoBuffer out(assets::kSampleRate);
    assets::AddKick(out, 1000, 1.0f);
    auto rms = [&out](size_t from, size_t count) {
        double sum = 0.0;
        for (size_t i = from; i < from + count; ++i) sum += out.left[i] * out.left[i];
        return std::sqrt(sum / count);
    };
    const size_t window = assets::kSampleRate / 100;
    EXPECT_EQ(0.0, rms(0, 1000));
    const double onset = rms(1000, window);
    for (size_t later = 1000 + window; later < 1000 + 30 * window; later += window / 2) {
        EXPECT_GT(onset, rms(later, window)) << "window at " << later;
    }
}
