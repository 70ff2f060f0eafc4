/** @file Connects the data readers to the configuration store and the file manager at start-up. */
#pragma once

namespace kzdata {

/**
 * Fills the data settings from the configuration (HdUsage, CacheSize, UseVerData, use565), the
 * file manager's install and CD folders and the report instance number, and points the hue
 * manager's colour settings at the notoriety highlight colours and hues. Called after the
 * configuration is read and before CDHDCache::Init.
 */
void BindDataConfiguration();

} // namespace kzdata
