// scenes_local.h: the builders of the show's thirteen scenes, shared by the files that hold them.
#pragma once

#include "tools/assets/scene_kit.h"
#include "tools/assets/scene_writer.h"

namespace assets {

constexpr float kBeatSeconds = 60.0f / kBeatsPerMinute;

// Each builder makes the whole scene; `frames` is how long its animation must run
// (SceneFrames of the time the scene plays).
scene_writer::Scene BuildTitle(int frames);
scene_writer::Scene BuildThirtyTwo(int frames);
scene_writer::Scene BuildTube(int frames);
scene_writer::Scene BuildGlassTube(int frames);
scene_writer::Scene BuildLines(int frames);
scene_writer::Scene BuildCity(int frames);
scene_writer::Scene BuildPaperPlanes(int frames);
scene_writer::Scene BuildJets(int frames);
scene_writer::Scene BuildVoid(int frames);
scene_writer::Scene BuildDouble(int frames);
scene_writer::Scene BuildWheel(int frames);
scene_writer::Scene BuildGears(int frames);
scene_writer::Scene BuildRoulette(int frames);

// Shared pieces.
// A flat quad in the XZ plane centred on the origin, facing -Y, `width` by `height`.
scene_writer::Mesh FacingQuad(const std::string& name, float width, float height,
                              const std::string& material, float repeat = 1.0f);
// A flat quad in the XY plane centred on the origin, facing +Z.
scene_writer::Mesh GroundQuad(const std::string& name, float width, float depth,
                              const std::string& material, float repeat = 1.0f);
// Two crossed quads (in the XZ and YZ planes) around the origin: a sprite that reads from any
// direction round the Z axis.
scene_writer::Mesh CrossSprite(const std::string& name, float size, const std::string& material);
// A beam of light from a to b: two crossed quads along the segment, `width` wide.
void AddBeam(MeshBuilder& builder, Vec3 a, Vec3 b, float width, const std::string& material);
// A pulse peaking at 1 on every beat and 0 between beats; larger sharpness, narrower peaks.
float BeatPulse(float seconds, float sharpness = 6.0f);
// Adds two directional lights ("Key" above and in front, "Rim" behind).
void AddStandardLights(scene_writer::Scene& scene);
// Adds an object node with position keys; returns its index.
int AddMovingNode(scene_writer::Scene& scene, const std::string& mesh,
                  std::vector<scene_writer::VectorKey> position, int parent = -1);

}  // namespace assets
