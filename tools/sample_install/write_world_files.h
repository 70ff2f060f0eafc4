/** @file The sample install's world data: tile data for every graphic the sample draws, a house-sized multi and the pace table. */
#pragma once

#include "tools/sample_install/sample_install.h"

#include <string>

namespace sampleinstall {

/** The multi id of the sample house (7 x 7 cells: walls, a floor and a door). */
inline constexpr uint32_t kSampleHouseMulti = 0;
/** The sample's backpack graphic: a wearable container (layer 21). */
inline constexpr uint16_t kSampleBackpack = 0x0E75;

/** Writes tiledata.mul, multi.idx, multi.mul and animinfo.mul into the install folder. */
bool writeWorldFiles(const Layout& layout, std::string& error);

} // namespace sampleinstall
