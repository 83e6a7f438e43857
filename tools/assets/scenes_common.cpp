// scenes_common.cpp: pieces the show's scene builders share.
#include <cmath>

#include "tools/assets/scenes_local.h"

namespace assets {

scene_writer::Mesh FacingQuad(const std::string& name, float width, float height,
                              const std::string& material, float repeat) {
    MeshBuilder builder(name);
    const float w = width * 0.5f, h = height * 0.5f;
    builder.Quad({-w, 0, -h}, {w, 0, -h}, {w, 0, h}, {-w, 0, h}, material, repeat, repeat);
    return builder.Build();
}

scene_writer::Mesh GroundQuad(const std::string& name, float width, float depth,
                              const std::string& material, float repeat) {
    MeshBuilder builder(name);
    const float w = width * 0.5f, d = depth * 0.5f;
    builder.Quad({-w, -d, 0}, {w, -d, 0}, {w, d, 0}, {-w, d, 0}, material, repeat, repeat);
    return builder.Build();
}

scene_writer::Mesh CrossSprite(const std::string& name, float size, const std::string& material) {
    MeshBuilder builder(name);
    const float h = size * 0.5f;
    builder.Quad({-h, 0, -h}, {h, 0, -h}, {h, 0, h}, {-h, 0, h}, material);
    builder.Quad({0, -h, -h}, {0, h, -h}, {0, h, h}, {0, -h, h}, material);
    return builder.Build();
}

void AddBeam(MeshBuilder& builder, Vec3 a, Vec3 b, float width, const std::string& material) {
    const Vec3 along = Normalized(Sub(b, a));
    Vec3 helper = std::fabs(along.z) < 0.9f ? Vec3{0, 0, 1} : Vec3{1, 0, 0};
    const Vec3 n1 = Mul(Normalized(Cross(along, helper)), width * 0.5f);
    const Vec3 n2 = Mul(Normalized(Cross(along, n1)), width * 0.5f);
    // The beam texture's line runs along u, so u follows the segment.
    builder.Quad(Sub(a, n1), Sub(b, n1), Add(b, n1), Add(a, n1), material);
    builder.Quad(Sub(a, n2), Sub(b, n2), Add(b, n2), Add(a, n2), material);
}

Vec3 ThroughWaypoints(const std::vector<std::pair<float, Vec3>>& points, float t) {
    if (points.empty()) return {0, 0, 0};
    if (t <= points.front().first) return points.front().second;
    if (t >= points.back().first) return points.back().second;
    size_t i = 0;
    while (i + 1 < points.size() && points[i + 1].first <= t) ++i;
    const size_t last = points.size() - 1;
    const auto& p0 = points[i == 0 ? 0 : i - 1];
    const auto& p1 = points[i];
    const auto& p2 = points[i + 1];
    const auto& p3 = points[i + 2 > last ? last : i + 2];
    const float span = p2.first - p1.first;
    const float s = (t - p1.first) / span;
    // Tangents in units per second, from the neighbours, scaled to this segment.
    auto tangent = [](const std::pair<float, Vec3>& a, const std::pair<float, Vec3>& b) {
        const float dt = b.first - a.first;
        return dt > 0.0f ? Mul(Sub(b.second, a.second), 1.0f / dt) : Vec3{0, 0, 0};
    };
    const Vec3 m1 = Mul(tangent(p0, p2), span), m2 = Mul(tangent(p1, p3), span);
    const float s2 = s * s, s3 = s2 * s;
    const float h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2,
                h11 = s3 - s2;
    return Add(Add(Mul(p1.second, h00), Mul(m1, h10)), Add(Mul(p2.second, h01), Mul(m2, h11)));
}

float BeatPulse(float seconds, float sharpness) {
    // Keys come ten times a second, about four per beat, so the pulse is a smooth peak on
    // each beat that such keys can carry, rather than a sharp attack.
    const float phase = seconds / kBeatSeconds;
    return std::pow(0.5f + 0.5f * std::cos(2.0f * kPi * phase), sharpness * 0.5f);
}

void AddStandardLights(scene_writer::Scene& scene) {
    scene_writer::Light key;
    key.name = "Key";
    key.position = {-300.0f, -500.0f, 700.0f};
    scene_writer::Light rim;
    rim.name = "Rim";
    rim.position = {400.0f, 600.0f, 300.0f};
    rim.color = {0.6f, 0.7f, 1.0f};
    scene.lights.push_back(key);
    scene.lights.push_back(rim);
}

int AddMovingNode(scene_writer::Scene& scene, const std::string& mesh,
                  std::vector<scene_writer::VectorKey> position, int parent) {
    scene_writer::Node node;
    node.name = mesh;
    node.parent = parent;
    node.position = std::move(position);
    scene.nodes.push_back(node);
    return static_cast<int>(scene.nodes.size()) - 1;
}

}  // namespace assets
