/** @file Connects the translation server directives of the configuration to the translation link. */
#include "client/data/translation_settings.h"

#include "client/core/config_files.h"
#include "client/core/config_store.h"
#include "client/data/translation_link.h"

namespace kzdata {

namespace {

void setText(int id, const char* text)
{
    switch (id) {
    case CFG_TranslationServerTranslatorName: LanguageTranslationServer::setTranslatorName(text); break;
    case CFG_TranslationServerLexaraNFWMarker: LanguageTranslationServer::setNFWMarker(text); break;
    case CFG_TranslationServerLexaraTopicalGlossaries: LanguageTranslationServer::setTopicalGlossaries(text); break;
    case CFG_TranslationServerLexaraDocumentType: LanguageTranslationServer::setDocumentType(text); break;
    default: break;
    }
}

} // namespace

void BindTranslationServerSettings()
{
    ConfigHooks& hooks = configHooks();
    hooks.translationServerEnable = [] { LanguageTranslationServer::enable(); };
    hooks.translationServerSetAddress = [](uint32_t address) { LanguageTranslationServer::setIPAddress(address); };
    hooks.translationServerSetPort = [](uint16_t port) { LanguageTranslationServer::setPort(port); };
    hooks.translationServerSetText = setText;
}

void UnbindTranslationServerSettings()
{
    ConfigHooks& hooks = configHooks();
    hooks.translationServerEnable = nullptr;
    hooks.translationServerSetAddress = nullptr;
    hooks.translationServerSetPort = nullptr;
    hooks.translationServerSetText = nullptr;
}

} // namespace kzdata
