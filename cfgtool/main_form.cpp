/** @file The settings editor's main form. */
#include "cfgtool/main_form.h"

#include "cfgtool/info_form.h"
#include "platform/fs/path.h"
#include "platform/process/process.h"

#include <cstdio>
#include <span>

namespace cfgtool {

using platform::forms::MessageButtons;
using platform::forms::MessageIcon;
using platform::forms::RadioGroup;

namespace {

constexpr const char* kIniName = "kzedit.ini";
constexpr const char* kBackupName = "KZcfg.bak";
constexpr size_t kIniPathLine = 1;
constexpr size_t kIniHintsLine = 4;

const char* const kPageTitles[] = {"General Properties", "Graphical Properties", "Sounds and Text", "KZ.cfg File",
                                   "Editor Options"};

bool readLines(const std::string& path, std::vector<std::string>& lines)
{
    // Only a regular file of sensible size: a line naming a device such as /dev/zero would
    // otherwise be read without end.
    auto bytes = platform::readWholeFile(path, platform::kMaxConfigFileBytes);
    if (!bytes)
        return false;
    lines = splitLines(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    return true;
}

bool writeLines(const std::string& path, const std::vector<std::string>& lines)
{
    const std::string text = joinLines(lines);
    return platform::replaceFileAtomically(
        path, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

std::string hexDigits(const platform::forms::Rgb& c)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.r, c.g, c.b);
    return text;
}

} // namespace

TForm1::TForm1(EditorServices& services) : services_(services)
{
    window_ = services.forms.createWindow({"cfgtool", false, false});
    for (int p = kGeneralPage; p <= kEditorPage; ++p)
        buildPage(window_->addPage(kPageTitles[p]), static_cast<Page>(p));

    auto& buttons = window_->body().addRow();
    buttons.addButton("Save").onClick([this] { BitBtn2Click(); });
    buttons.addButton("Save & Exit").onClick([this] { BitBtn5Click(); });
    buttons.addButton("Exit").onClick([this] { BitBtn3Click(); });
    buttons.addButton("Info").onClick([this] { BitBtn4Click(); });
    window_->onCloseRequest([this] { BitBtn3Click(); });
}

TForm1::~TForm1() = default;

void TForm1::buildPage(platform::forms::Container& page, Page which)
{
    using platform::forms::Container;
    Container* row = nullptr;
    int inRow = 0;
    for (int i = 0; i < kSettingCount; ++i) {
        const Setting& s = settings()[static_cast<size_t>(i)];
        if (s.page != which)
            continue;
        if (s.kind == SettingKind::OnOff || s.kind == SettingKind::YesNo) {
            if (row == nullptr || inRow == 4) {
                row = &page.addRow();
                inRow = 0;
            }
            ++inRow;
            groups_[static_cast<size_t>(i)] = &row->addRadioGroup(s.caption, {"On/Yes", "Off/No"}, s.key);
            groups_[static_cast<size_t>(i)]->onChange([this, i] { RadioGroupClick(i); });
            groups_[static_cast<size_t>(i)]->setHint(s.key);
        }
    }
    for (int i = 0; i < kSettingCount; ++i) {
        const Setting& s = settings()[static_cast<size_t>(i)];
        if (s.page != which || s.kind == SettingKind::OnOff || s.kind == SettingKind::YesNo)
            continue;
        Container& line = page.addRow();
        auto* field = &line.addEntry(s.caption, s.key);
        fields_[static_cast<size_t>(i)] = field;
        field->setHint(s.key);
        if (s.limit > 0)
            field->setMaxLength(s.limit);
        field->onChange([this, i] { FieldChange(i); });
        if (s.kind == SettingKind::Colour)
            line.addButton("Pick", std::string("Pick ") + s.key).onClick([this, i] { setcolor(i); });
    }

    switch (which) {
    case kGeneralPage: {
        auto& row2 = page.addRow();
        row2.addButton("System Defaults").onClick([this] { BitBtn7Click(); });
        row2.addButton("Launch Client.exe").onClick([this] { Button1Click(); });
        row2.addButton("Launch KZ.exe").onClick([this] { Button2Click(); });
        break;
    }
    case kGraphicalPage:
        page.addButton("Reset Combat Colors").onClick([this] { BitBtn6Click(); });
        break;
    case kSoundsPage:
        page.addButton("Reset Blood Color").onClick([this] { BitBtn8Click(); });
        break;
    case kFilePage: {
        location_ = &page.addEntry("KZ.cfg location:", "location");
        location_->onChange([this] { Edit3Change(); });
        auto& row2 = page.addRow();
        row2.addButton("Browse").onClick([this] { BitBtn17Click(); });
        locationSave_ = &row2.addButton("Save", "location Save");
        locationSave_->onClick([this] { BitBtn18Click(); });
        locationSave_->setEnabled(false);
        open_ = &row2.addButton("Open");
        open_->onClick([this] { BitBtn16Click(); });
        open_->setEnabled(false);
        row2.addButton("Restore Default").onClick([this] { FormCreate(); });
        break;
    }
    case kEditorPage:
        hints_ = &page.addCheckBox("Hints on");
        hints_->onToggle([this] { CheckBox1Click(); });
        page.addFolderList(services_.startFolder, "start folder");
        break;
    }
}

void TForm1::setItem(int setting, int item)
{
    RadioGroup* group = groups_[static_cast<size_t>(setting)];
    if (group->selected() == item)
        return;
    group->setSelected(item);
    RadioGroupClick(setting);
}

void TForm1::setText(int setting, const std::string& text)
{
    platform::forms::Entry* field = fields_[static_cast<size_t>(setting)];
    if (field->text() == text)
        return;
    field->setText(text);
    FieldChange(setting);
}

void TForm1::write(int setting, const std::string& line)
{
    const auto s = static_cast<size_t>(setting);
    if (found_[s]) {
        lines_[static_cast<size_t>(foundLine_[s])] = line;
        return;
    }
    // Insert before the first empty line (lines past the end count as empty); with none left
    // among the scanned lines, append.
    int at = insertionPoint_ < 0 ? static_cast<int>(lines_.size()) : insertionPoint_;
    if (at > static_cast<int>(lines_.size()))
        at = static_cast<int>(lines_.size());
    lines_.insert(lines_.begin() + at, line);
    for (int i = 0; i < kSettingCount; ++i)
        if (found_[static_cast<size_t>(i)] && foundLine_[static_cast<size_t>(i)] >= at)
            ++foundLine_[static_cast<size_t>(i)];
    found_[s] = true;
    foundLine_[s] = at;
    if (insertionPoint_ >= 0)
        insertionPoint_ = at + 1;
}

void TForm1::RadioGroupClick(int setting)
{
    const int item = groups_[static_cast<size_t>(setting)]->selected();
    if (item != RadioGroup::kNone)
        write(setting, settingLine(setting, item, {}));
}

void TForm1::FieldChange(int setting)
{
    write(setting, settingLine(setting, -1, fields_[static_cast<size_t>(setting)]->text()));
}

void TForm1::cannotOpen(const std::string& path)
{
    services_.forms.messageBox(window_.get(), "Cannot open file \"" + path + "\".", "cfgtool", MessageButtons::Ok,
                               MessageIcon::Stop);
}

void TForm1::cannotCreate(const std::string& path)
{
    services_.forms.messageBox(window_.get(), "Cannot create file \"" + path + "\".", "cfgtool", MessageButtons::Ok,
                               MessageIcon::Stop);
}

bool TForm1::readIni(std::vector<std::string>& lines)
{
    const std::string path = services_.startFolder + kIniName;
    if (readLines(path, lines))
        return true;
    cannotOpen(path);
    return false;
}

void TForm1::setIniLine(size_t index, const std::string& text)
{
    // A missing or short kzedit.ini gets the lines it lacks, empty.
    if (ini_.size() <= index)
        ini_.resize(index + 1);
    ini_[index] = text;
}

bool TForm1::saveIni()
{
    const std::string path = services_.startFolder + kIniName;
    if (writeLines(path, ini_))
        return true;
    cannotCreate(path);
    return false;
}

void TForm1::applyHints(bool on)
{
    setIniLine(kIniHintsLine, on ? "hints=on" : "hints=off");
    window_->setHintsEnabled(on);
    saveIni();
}

void TForm1::FormCreate()
{
    for (int i = 0; i < kSettingCount; ++i) {
        const auto s = static_cast<size_t>(i);
        if (groups_[s] != nullptr)
            groups_[s]->setSelected(RadioGroup::kNone);
        if (fields_[s] != nullptr)
            fields_[s]->setText("");
        found_[s] = false;
    }
    emptyLines_.clear();
    insertionPoint_ = -1;

    const std::string backup = services_.startFolder + kBackupName;
    if (loadState_ == 1) {
        locationChanges_ = 0;
        if (!readIni(ini_))
            return;
        const std::string hints = ini_.size() > kIniHintsLine ? ini_[kIniHintsLine] : std::string();
        if (hints == "hints=on" || hints == "hints=off") {
            hints_->setChecked(hints == "hints=on");
            applyHints(hints == "hints=on");
        }
        const std::string path = ini_.size() > kIniPathLine ? ini_[kIniPathLine] : std::string();
        // Filling the field is the load's own change, counted also when the text is already
        // there (after Open), so that the user's first change enables the location Save.
        location_->setText(path);
        Edit3Change();
        std::vector<std::string> config;
        if (!readLines(path, config)) {
            cannotOpen(path);
            return;
        }
        if (!writeLines(backup, config)) {
            cannotCreate(backup);
            return;
        }
        loadState_ = 2;
    }
    if (!readLines(backup, lines_)) {
        cannotOpen(backup);
        return;
    }

    for (int index = 0; index < kScannedLines; ++index) {
        if (index >= static_cast<int>(lines_.size()) || lines_[static_cast<size_t>(index)].empty()) {
            emptyLines_.push_back(index);
            continue;
        }
        const auto match = recogniseLine(lines_[static_cast<size_t>(index)]);
        if (!match)
            continue;
        const auto s = static_cast<size_t>(match->setting);
        found_[s] = true;
        foundLine_[s] = index;
        if (groups_[s] != nullptr)
            setItem(match->setting, match->item);
        else if (match->keepLine)
            fields_[s]->setText(match->text); // shown only: the line stays until the user edits
        else
            setText(match->setting, match->text);
    }
    insertionPoint_ = emptyLines_.empty() ? -1 : emptyLines_.front();
}

bool TForm1::save()
{
    std::vector<std::string> ini;
    if (!readIni(ini))
        return false;
    const std::string path = ini.size() > kIniPathLine ? ini[kIniPathLine] : std::string();
    if (writeLines(path, lines_))
        return true;
    cannotCreate(path);
    return false;
}

void TForm1::BitBtn2Click()
{
    save();
}

void TForm1::BitBtn5Click()
{
    if (save())
        window_->close();
}

void TForm1::BitBtn3Click()
{
    window_->close();
}

void TForm1::BitBtn4Click()
{
    window_->setEnabled(false);
    if (info_ != nullptr)
        info_->window().show();
}

void TForm1::BitBtn7Click()
{
    struct Default {
        const char* key;
        const char* value;
    };
    const Default defaults[] = {{"CacheSize", "25"},
                                {"HdUsage", "max"},
                                {"CdRomDataPath", kDefaultClientFolder},
                                {"JournalSaveFile", kDefaultJournalFile}};
    for (const Default& d : defaults) {
        const int i = findSetting(d.key);
        if (found_[static_cast<size_t>(i)])
            write(i, std::string(d.key) + "=" + d.value);
    }
    for (const Default& d : defaults)
        setText(findSetting(d.key), d.value);
}

void TForm1::BitBtn8Click()
{
    const int i = findSetting("Censoredbloodcolor");
    setText(i, "");
    // Only a line that is there is reset; a missing setting stays missing.
    if (found_[static_cast<size_t>(i)])
        write(i, "Censoredbloodcolor=");
}

void TForm1::BitBtn6Click()
{
    for (const char* key : {"HighlightColorInnocent", "HighlightColorFriend", "HighlightColorCanAttack",
                            "HighlightColorCriminal", "HighlightColorEnemy", "HighlightColorMurderer"}) {
        const int i = findSetting(key);
        setText(i, "");
        if (found_[static_cast<size_t>(i)])
            write(i, std::string(key) + "=");
    }
}

void TForm1::setcolor(int setting)
{
    // The exact colour picked, as RRGGBB: no detour through colour names.
    if (auto colour = services_.forms.chooseColour(window_.get(), std::nullopt))
        setText(setting, hexDigits(*colour));
}

void TForm1::launch(const char* program)
{
    // A failed start is not reported.
    services_.processes.spawn({fields_[static_cast<size_t>(findSetting("CdRomDataPath"))]->text() + "/" + program},
                              "");
}

void TForm1::Button1Click()
{
    launch("client");
}

void TForm1::Button2Click()
{
    launch("kz");
}

void TForm1::CheckBox1Click()
{
    applyHints(hints_->checked());
}

void TForm1::BitBtn16Click()
{
    open_->setEnabled(false);
    loadState_ = 1;
    FormCreate();
}

void TForm1::BitBtn17Click()
{
    platform::forms::FileDialogOptions options;
    options.title = "Select your KZ.cfg file:";
    options.filters.push_back({"KZ cfg files", {"kz.cfg"}});
    options.initialFolder = fields_[static_cast<size_t>(findSetting("CdRomDataPath"))]->text();
    if (auto path = services_.forms.openFile(window_.get(), options)) {
        if (location_->text() != *path) {
            location_->setText(*path);
            Edit3Change();
        }
    }
}

void TForm1::BitBtn18Click()
{
    setIniLine(kIniPathLine, location_->text());
    saveIni();
    open_->setEnabled(true);
    locationSave_->setEnabled(false);
}

void TForm1::Edit3Change()
{
    // The first change is the load filling the field; the user's changes come after it.
    if (++locationChanges_ > 1)
        locationSave_->setEnabled(true);
}

} // namespace cfgtool
