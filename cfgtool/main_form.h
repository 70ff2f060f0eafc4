/** @file The settings editor's main form: five pages of settings over a working copy of kz.cfg. */
#pragma once

#include "cfgtool/settings.h"
#include "platform/forms/forms.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace platform {
class ProcessLauncher;
}

namespace cfgtool {

class TForm2;

/** What the editor works with; every reference outlives the form. */
struct EditorServices {
    platform::forms::FormKit& forms;
    platform::ProcessLauncher& processes;
    /** The folder current at start-up, with a trailing "/": kzedit.ini and KZcfg.bak live there. */
    std::string startFolder;
};

/**
 * The main form. Every change of a control is written at once into the working copy (the
 * setting's line replaced, or a missing setting inserted at the first empty line); Save writes
 * the working copy over the file named in line 1 of kzedit.ini. Controls set by the editor
 * itself run the same change handlers as the user's changes, so a recognised line is rewritten
 * in the editor's own form; a value its control cannot give back whole keeps its line as it
 * stands until the user changes that control.
 */
class TForm1 {
public:
    explicit TForm1(EditorServices& services);
    ~TForm1();

    platform::forms::Window& window() { return *window_; }
    void setInfoBox(TForm2* info) { info_ = info; }

    /** Load: from kzedit.ini and the file it names when the load state is 1, then from KZcfg.bak. */
    void FormCreate();
    void RadioGroupClick(int setting);
    /** A colour, short or path field changed. */
    void FieldChange(int setting);
    void BitBtn2Click();  ///< Save
    void BitBtn5Click();  ///< Save & Exit
    void BitBtn3Click();  ///< Exit
    void BitBtn4Click();  ///< Info
    void BitBtn7Click();  ///< system defaults
    void BitBtn8Click();  ///< blood colour reset
    void BitBtn6Click();  ///< combat colour reset
    void setcolor(int setting);
    void Button1Click();  ///< Launch the client
    void Button2Click();  ///< Launch kz
    void CheckBox1Click(); ///< hints on or off
    void BitBtn16Click(); ///< Open
    void BitBtn17Click(); ///< Browse
    void BitBtn18Click(); ///< location Save
    void Edit3Change();   ///< location field

    const std::vector<std::string>& workingCopy() const { return lines_; }

private:
    void buildPage(platform::forms::Container& page, Page which);
    void setItem(int setting, int item);
    void setText(int setting, const std::string& text);
    void write(int setting, const std::string& line);
    bool readIni(std::vector<std::string>& lines);
    bool saveIni();
    void setIniLine(size_t index, const std::string& text);
    void applyHints(bool on);
    void cannotOpen(const std::string& path);
    void cannotCreate(const std::string& path);
    bool save();
    void launch(const char* program);

    EditorServices& services_;
    std::unique_ptr<platform::forms::Window> window_;
    TForm2* info_ = nullptr;
    std::array<platform::forms::RadioGroup*, kSettingCount> groups_{};
    std::array<platform::forms::Entry*, kSettingCount> fields_{};
    std::array<bool, kSettingCount> found_{};
    std::array<int, kSettingCount> foundLine_{};
    platform::forms::Entry* location_ = nullptr;
    platform::forms::CheckBox* hints_ = nullptr;
    platform::forms::Button* open_ = nullptr;
    platform::forms::Button* locationSave_ = nullptr;
    std::vector<std::string> lines_;    // the working copy
    std::vector<std::string> ini_;      // kzedit.ini
    std::vector<int> emptyLines_;
    int insertionPoint_ = -1;           // -1: append at the end
    int loadState_ = 1;
    int locationChanges_ = 0;
};

} // namespace cfgtool
