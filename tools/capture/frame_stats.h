// frame_stats.h: the figures of kelvo-capture --bench: frame times per scene, load time, memory.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class ScenePlayer;

class FrameStats {
public:
    // Frames are filed under the scene the player selects for their elapsed time, or
    // under the picture flashes; without a player, under the whole show only.
    explicit FrameStats(const ScenePlayer* player);

    void SetLoadTime(double ms) { loadMs = ms; }
    void AddFrame(int elapsed, double ms);
    // Notes the peak resident memory now (called at a chosen frame).
    void NotePeakMemory() { peakAtMarkKb = PeakResidentKb(); }
    void Print(std::FILE* out, int markFrame) const;

    // The process's peak resident memory so far (KB), or -1 when unknown.
    static long PeakResidentKb();

private:
    struct Group {
        std::string name;
        std::vector<double> times;  // ms
        long peakKb = -1;           // peak resident memory after the group's latest frame
    };
    int GroupOf(int elapsed) const;
    static void PrintGroup(std::FILE* out, const std::string& name, std::vector<double> times,
                           long peakKb);

    const ScenePlayer* player;
    std::vector<Group> groups;  // the scenes in show order, then the picture flashes
    std::vector<double> all;
    double loadMs = 0.0;
    long peakAtMarkKb = -1;
};
