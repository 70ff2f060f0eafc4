/** @file The sample install's sound effects and songs: samples and MIDI files made by code. */
#pragma once

#include "tools/sample_install/sample_install.h"

#include "tools/formats/data_formats.h"

#include <cstdint>
#include <string>
#include <vector>

namespace sampleinstall {

/** Sound numbers the sample install holds. */
inline constexpr uint32_t kSampleClickSound = 72;
inline constexpr uint32_t kSamplePageSound = 85;
inline constexpr uint32_t kSampleStepSounds[2] = {299, 300};
inline constexpr uint32_t kSampleChimeSound = 581;

/** The samples of a sound the writer makes (16-bit mono, 22048 a second); empty for others. */
std::vector<int16_t> sampleSound(uint32_t sound);

/** The sound index and data files with the clicks, the steps and the chime (written with the data files). */
formats::IndexedFileWriter drawSounds();

/** The folder "music" with the start-up song (stones2.mid), two peaceful songs and a combat song. */
bool writeSongs(const Layout& layout, std::string& error);

} // namespace sampleinstall
