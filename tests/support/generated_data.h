// generated_data.h: the data folder kelvo-assets writes, made once and shared by every test
// process of a build.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The folder ("<build>/test-data/data") holding what the built kelvo-assets writes. The first
// test process to ask generates it (others wait on a file lock); it is made again when the
// generator is newer than the last complete run. Empty when the generator failed.
std::string GeneratedDataFolder();

// Runs the built kelvo-assets with parent as its argument; 1 when it succeeded.
int RunAssetGenerator(const std::string& parent);

// The names of the regular files in folder, sorted.
std::vector<std::string> FileNames(const std::string& folder);
