/** @file Connects the data readers to the configuration store and the file manager at start-up. */
#pragma once

namespace kzdata {

/**
 * Fills the data settings from the configuration (HdUsage, CacheSize, UseVerData, use565), the
 * file manager's install and CD folders and the report instance number, and points the hue
 * manager's colour settings at the notoriety highlight colours and hues. Installs the
 * configuration hooks of the data readers: after each configuration file the highlight colours
 * are resolved to hues; use565 resets the span routines to 5-5-5 and CensoredBloodColor sets
 * their blood colour. Called once the file manager has started (before the configuration is
 * read) and again after it, before CDHDCache::Init.
 */
void BindDataConfiguration();

} // namespace kzdata
