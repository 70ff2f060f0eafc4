/** @file The speech display of the game screen: the text manager's system texts, the handlers' speech and the world's overhead texts shown as bark gumps, and the typed line shown in its gump. */
#include "client/gumps/game/speech_display.h"

#include "client/gumps/framework/gump_manager.h"
#include "client/gumps/framework/input_window.h"
#include "client/gumps/game/bark_gump.h"
#include "client/gumps/game/input_gump.h"
#include "client/gumps/game/world_view.h"
#include "client/core/config_store.h"
#include "client/core/player_files.h"
#include "client/core/shared_functions.h"
#include "client/data/translation_link.h"
#include "client/net/game_handlers.h"
#include "client/net/game_state.h"
#include "client/net/text_services.h"
#include "client/render/text_manager.h"
#include "client/world/object_manager.h"
#include "client/world/world_objects.h"
#include "client/world/world_services.h"

namespace {

/** Translated texts, like hovered ones, show in hue 53. */
constexpr int32_t kTranslatedHue = 53;

/** The notices of the core (queued speech, connection notes) as system texts. */
constexpr int32_t kNoticeHue = 946;
constexpr int32_t kNoticeFont = 3;

class BarkOverheadMessages final : public OverheadMessageServices {
public:
    void TrimOverheadMessages(CObj& object) override
    {
        int count = 0;
        CBarkGump* oldest = nullptr;
        for (CBarkGump* b = object.overheadMessages; b != nullptr; b = b->Older()) {
            ++count;
            oldest = b;
        }
        // From the oldest end: non-persistent texts go while more than two remain.
        for (CBarkGump* b = oldest; b != nullptr && count > 2;) {
            CBarkGump* newer = b->Newer();
            if (!b->persistent) {
                b->Close();
                --count;
            }
            b = newer;
        }
    }
    void ClearOverheadMessages(CObj& object) override { CBarkGump::DeleteChain(object, true); }
    void DeleteAllOverheadMessages(CObj& object) override
    {
        CBarkGump::DeleteChain(object, false);
        object.overheadMessages = nullptr;
    }
    void AddOverheadMessage(CObj& object, const char* text, int32_t hue, int32_t font) override
    {
        new CBarkGump(&object, text, hue, font, nullptr, 0);
    }
    void RepositionOverheadMessages(CObj& object) override
    {
        for (CBarkGump* b = object.overheadMessages; b != nullptr; b = b->Older())
            b->Reposition();
    }
};

class BarkSpeechDisplay final : public NetTextServices {
public:
    void SystemLine(const char* text, int32_t hue, int32_t font) override
    {
        TextManager::AddSystemMessage(hue, font, text != nullptr ? text : "");
    }
    void SystemUnicodeLine(const std::u16string& text, int32_t hue, int32_t font, const char* language) override
    {
        TextManager::PrefixMode() = 1;
        new CUnicodeBarkGump(nullptr, text, hue, font, language, nullptr);
    }
    void SpeakOver(CObj& object, const std::u16string& text, int32_t hue, int32_t font, SpeechKind kind,
                   const char* language) override
    {
        // Speech replaces the speaker's earlier texts; the journal names the speaker. A label
        // (speech of type 6) reads "You see: ..." and belongs to the open gump of the item's
        // container, which takes it along when it closes.
        CBarkGump::DeleteChain(object, true);
        const bool label = LastSpeaker.kind == 3;
        TextManager::PrefixMode() = label ? 3 : 2;
        TextManager::SpeakerName() = label ? std::string() : LastSpeaker.name;
        void* gump = label && object.parent != nullptr ? CGumpManager::FindGumpOfContainer(&object) : nullptr;
        auto* bark = new CUnicodeBarkGump(&object, text, hue, font, language, gump);
        if (IsLiveGump(bark))
            bark->persistent = kind == SpeechKind::Persistent;
    }
    bool IsSerialIgnored(uint32_t serial) override { return ::IsSerialIgnored(serial); }
};

class GumpInputLineDisplay final : public InputLineDisplay {
public:
    ~GumpInputLineDisplay() override { Close(); }
    void Show(const char* text, int32_t hue, int32_t font) override
    {
        if (gump_ == nullptr || !IsLiveGump(gump_))
            gump_ = new CInputGump(text, hue, font);
        else
            gump_->Redraw(text, hue, font);
    }
    void ShowUnicode(const char16_t* text, int32_t hue) override
    {
        if (gump_ == nullptr || !IsLiveGump(gump_))
            gump_ = new CInputGump(text, hue);
        else
            gump_->RedrawUnicode(text, hue);
    }
    void Close() override
    {
        if (gump_ != nullptr && IsLiveGump(gump_))
            CGumpManager::DestroyGump(gump_);
        gump_ = nullptr;
    }

private:
    CInputGump* gump_ = nullptr;
};

BarkOverheadMessages g_overhead;
BarkSpeechDisplay g_speech;
GumpInputLineDisplay g_inputDisplay;

} // namespace

void ShowClickedTranslation(void*, int32_t serial, const WideChar*, const WideChar* text)
{
    CDynamicObj* object = serial != 0 ? CObjectManager::FindObject(static_cast<uint32_t>(serial)) : nullptr;
    if (object == nullptr || text == nullptr)
        return;
    TextManager::PrefixMode() = 1;
    new CUnicodeBarkGump(object, text, kTranslatedHue, BarkUnicodeFont(), nullptr, nullptr);
}

void InstallSpeechDisplay(bool on)
{
    if (on) {
        TextManager::SetBarkMaker([](const char* text, int32_t hue, int32_t font) -> CGump* {
            return new CBarkGump(nullptr, text, hue, font, nullptr, 0);
        });
        SetNetTextServices(&g_speech);
        SetOverheadMessageServices(&g_overhead);
        sharedFunctionHooks().showSystemText = [](const std::string& text) {
            TextManager::AddSystemMessage(kNoticeHue, kNoticeFont, text.c_str());
        };
        SetInputLineDisplay(&g_inputDisplay);
        BarkWorldHooks& hooks = barkWorldHooks();
        hooks.lastPressPoint = [](int& x, int& y) {
            const CMapGump* view = MapGump();
            if (view == nullptr)
                return false;
            x = view->LastPointerX();
            y = view->LastPointerY();
            return true;
        };
        hooks.useObject = [](CObj* object) {
            if (CMapGump* view = MapGump())
                view->UseObject(object);
            else
                CObjectManager::DoubleClick(object);
        };
        hooks.targetObject = [](CObj* object) {
            if (!TargetCursorUp() || CGumpManager::Modal() != nullptr)
                return false;
            AnswerTarget(object);
            return true;
        };
        hooks.translate = [](const std::u16string& text, const char* language, uint32_t serial) {
            if (TranslationServerAutomatic == 0 || serial == 0 || !LanguageTranslationServer::setSourceLanguage(language))
                return;
            // The serial rides along as the request's value (serials stay below the sign bit).
            LanguageTranslationServer::Packet::request(nullptr, text.c_str(), ShowClickedTranslation, nullptr,
                                                       static_cast<int32_t>(serial & 0x7FFFFFFF));
        };
        return;
    }
    barkWorldHooks() = BarkWorldHooks{};
    SetInputLineDisplay(nullptr);
    g_inputDisplay.Close();
    sharedFunctionHooks().showSystemText = nullptr;
    SetOverheadMessageServices(nullptr);
    SetNetTextServices(nullptr);
    TextManager::SetBarkMaker(nullptr);
}
