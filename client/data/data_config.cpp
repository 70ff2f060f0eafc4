/** @file Connects the data readers to the configuration store and the file manager. */
#include "client/data/data_config.h"

#include "client/core/config_store.h"
#include "client/core/file_manager.h"
#include "client/core/kz_report.h"
#include "client/data/data_settings.h"
#include "client/data/hue_manager.h"
#include "client/data/span_routines.h"

namespace kzdata {

void BindDataConfiguration()
{
    DataSettings& s = dataSettings();
    s.hdPath = FileManager::getHDPath();
    s.cdPath = FileManager::isCDPathSet() ? FileManager::getCDPath() : "";
    s.maxHd = HdUsage != 0;
    s.cacheSize = CacheSize;
    s.useVerData = UseVerData != 0;
    s.use565 = use565 != 0;
    s.instance = KZReport::getInstanceNumber();

    // Notoriety classes 0..6: class 0 has no directive of its own and keeps hue 0.
    auto& settings = HueManager::ColorSettings();
    for (int32_t i = 1; i < kColorSettingCount; ++i) {
        settings[static_cast<size_t>(i)].source = &HighlightColorTable[i].color;
        settings[static_cast<size_t>(i)].hue = &HighlightHueTable[i];
    }

    // Every read of kz.cfg from here on (start-up and the reload after login) resolves the
    // highlight colours and hands the drawing settings to the span routines. The art and glyph
    // readers give the span routines 5-5-5 pixels and convert for a 5-6-5 display afterwards,
    // so the routines keep the 5-5-5 layout that use565 resets them to.
    ConfigHooks& hooks = configHooks();
    hooks.resolveColorSettings = [] { HueManager::ResolveColorSettings(); };
    hooks.resetPixelFormat555 = [] { setSpanPixelLayout(SpanPixelLayout{}); };
    hooks.setCensoredBloodColor = [](uint16_t color) { setCensoredBloodColor(color); };
    if (CensoredBloodColor >= 0) setCensoredBloodColor(static_cast<uint16_t>(CensoredBloodColor));
}

} // namespace kzdata
