/** @file Connects the translation server directives of the configuration to the translation link. */
#pragma once

namespace kzdata {

/**
 * Installs the configuration hooks of the translation server directives: TranslationServer
 * enables the link, TranslationServerIPAddress gives it its address and port, and the translator
 * name, marker, topical glossaries and document type go to their setters. Called before the
 * configuration is read; LanguageManager::startup installs the link itself afterwards.
 */
void BindTranslationServerSettings();

/** Empties those hooks again; the settings then only stay in the configuration store. */
void UnbindTranslationServerSettings();

} // namespace kzdata
