/** @file The game windows the server's packets open through the network's window services. */
#pragma once

/**
 * Installs (or takes back) the windows that game packets open: the sign of 0x8B and the hue
 * picker of 0x95. Calls for windows that are not built stay with the services' defaults.
 */
void InstallGameWindows(bool on);
