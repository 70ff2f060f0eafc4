/** @file The null form kit: windows without a screen that tests drive as a user would and read back. */
#pragma once

#include "platform/forms/forms.h"

#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform::forms {

class NullWindow;
class NullFormKit;

/**
 * Base of the null controls. The user-side calls (click, type, choose, toggle) act only when
 * the control and its window are enabled, as a real pointer would; they return whether they acted.
 */
class NullControlBase {
public:
    explicit NullControlBase(const NullWindow& window) : window_(window) {}
    bool usable(bool enabled) const;
    /** A user's choice of index (already checked): stored, and the handler run when it changed. */
    static bool pick(int& selected, int index, const std::function<void()>& handler);
    std::string hint_;

private:
    const NullWindow& window_;
};

class NullLabel final : public Label {
public:
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string&) override {}
    void setText(const std::string& t) override { text_ = t; }
    std::string text() const override { return text_; }

private:
    bool enabled_ = true;
    std::string text_;
};

class NullButton final : public Button, public NullControlBase {
public:
    using NullControlBase::NullControlBase;
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string& h) override { hint_ = h; }
    void onClick(std::function<void()> h) override { handler_ = std::move(h); }
    /** The user clicks it. */
    bool click();

private:
    bool enabled_ = true;
    std::function<void()> handler_;
};

class NullCheckBox final : public CheckBox, public NullControlBase {
public:
    using NullControlBase::NullControlBase;
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string& h) override { hint_ = h; }
    void setChecked(bool c) override { checked_ = c; }
    bool checked() const override { return checked_; }
    void onToggle(std::function<void()> h) override { handler_ = std::move(h); }
    /** The user clicks it. */
    bool toggle();

private:
    bool enabled_ = true;
    bool checked_ = false;
    std::function<void()> handler_;
};

class NullEntry final : public Entry, public NullControlBase {
public:
    using NullControlBase::NullControlBase;
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string& h) override { hint_ = h; }
    void setText(const std::string& t) override { text_ = t; }
    std::string text() const override { return text_; }
    void setMaxLength(int n) override { maxLength_ = n; }
    void setPassword(bool p) override { password_ = p; }
    void setReadOnly(bool r) override { readOnly_ = r; }
    void onChange(std::function<void()> h) override { handler_ = std::move(h); }
    /** The user replaces the text (cut at the typing limit); the change handler runs when it differs. */
    bool type(const std::string& text);
    int maxLength() const { return maxLength_; }
    bool password() const { return password_; }

private:
    bool enabled_ = true;
    bool password_ = false;
    bool readOnly_ = false;
    int maxLength_ = 0;
    std::string text_;
    std::function<void()> handler_;
};

class NullRadioGroup final : public RadioGroup, public NullControlBase {
public:
    NullRadioGroup(const NullWindow& w, std::vector<std::string> items) : NullControlBase(w), items_(std::move(items)) {}
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string& h) override { hint_ = h; }
    void setSelected(int i) override { selected_ = i; }
    int selected() const override { return selected_; }
    void onChange(std::function<void()> h) override { handler_ = std::move(h); }
    /** The user picks an item; the handler runs when the choice changes. */
    bool choose(int index);
    const std::vector<std::string>& items() const { return items_; }

private:
    bool enabled_ = true;
    int selected_ = kNone;
    std::vector<std::string> items_;
    std::function<void()> handler_;
};

class NullListBox final : public ListBox, public NullControlBase {
public:
    using NullControlBase::NullControlBase;
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string& h) override { hint_ = h; }
    int add(const std::string& text) override;
    void removeAt(int index) override;
    int count() const override { return static_cast<int>(rows_.size()); }
    std::string textAt(int index) const override;
    int find(const std::string& text) const override;
    void setSelected(int index) override;
    int selected() const override { return selected_; }
    void onSelectionChange(std::function<void()> h) override { handler_ = std::move(h); }
    /** The user selects a row (kNone clicks beside the rows); the handler runs on a change. */
    bool choose(int index);
    const std::vector<std::string>& rows() const { return rows_; }

private:
    bool enabled_ = true;
    int selected_ = kNone;
    std::vector<std::string> rows_;
    std::function<void()> handler_;
};

/** Keeps the folder it shows; it lists nothing, as the null kit never reads the disk. */
class NullFolderList final : public FolderList {
public:
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHint(const std::string&) override {}
    void setFolder(const std::string& folder) override { folder_ = folder; }
    std::string folder() const override { return folder_; }

private:
    bool enabled_ = true;
    std::string folder_;
};

class NullContainer final : public Container {
public:
    explicit NullContainer(NullWindow& window) : window_(window) {}
    Label& addLabel(const std::string& text, const std::string& name) override;
    Button& addButton(const std::string& caption, const std::string& name) override;
    Button& addLink(const std::string& caption, const std::string& name) override;
    CheckBox& addCheckBox(const std::string& caption, const std::string& name) override;
    Entry& addEntry(const std::string& caption, const std::string& name) override;
    RadioGroup& addRadioGroup(const std::string& caption, const std::vector<std::string>& items,
                              const std::string& name) override;
    ListBox& addListBox(const std::string& name) override;
    FolderList& addFolderList(const std::string& folder, const std::string& name) override;
    Container& addGroup(const std::string& caption) override;
    Container& addRow() override;

private:
    NullWindow& window_;
};

class NullWindow final : public Window {
public:
    NullWindow(NullFormKit* kit, WindowOptions options);
    ~NullWindow() override;
    Container& addPage(const std::string& title) override;
    Container& body() override { return body_; }
    void show() override { visible_ = true; }
    void hide() override { visible_ = false; }
    bool visible() const override { return visible_; }
    void setEnabled(bool e) override { enabled_ = e; }
    bool enabled() const override { return enabled_; }
    void setHintsEnabled(bool e) override { hintsEnabled_ = e; }
    void onCloseRequest(std::function<void()> h) override { closeHandler_ = std::move(h); }
    void close() override;
    bool closed() const override { return closed_; }

    /** The user presses the window's close button. */
    void requestClose();

    const WindowOptions& options() const { return options_; }
    const std::vector<std::string>& pages() const { return pages_; }
    bool hintsEnabled() const { return hintsEnabled_; }

    // Controls by name; a missing name or a control of another kind throws std::out_of_range.
    NullLabel& label(const std::string& name) const { return get<NullLabel>(name); }
    NullButton& button(const std::string& name) const { return get<NullButton>(name); }
    NullCheckBox& checkBox(const std::string& name) const { return get<NullCheckBox>(name); }
    NullEntry& entry(const std::string& name) const { return get<NullEntry>(name); }
    NullRadioGroup& radioGroup(const std::string& name) const { return get<NullRadioGroup>(name); }
    NullListBox& listBox(const std::string& name) const { return get<NullListBox>(name); }
    NullFolderList& folderList(const std::string& name) const { return get<NullFolderList>(name); }
    bool has(const std::string& name) const { return byName_.count(name) != 0; }

private:
    friend class NullContainer;
    template <class T> T& adopt(const std::string& name, std::unique_ptr<T> control);
    template <class T> T& get(const std::string& name) const;

    NullFormKit* kit_;
    WindowOptions options_;
    NullContainer body_;
    std::vector<std::string> pages_;
    std::vector<std::unique_ptr<NullContainer>> containers_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::map<std::string, Control*> byName_;
    std::function<void()> closeHandler_;
    bool visible_ = false;
    bool enabled_ = true;
    bool closed_ = false;
    bool hintsEnabled_ = true;
};

/** One message box as it was shown. */
struct ShownMessage {
    std::string text;
    std::string caption;
    MessageButtons buttons;
    MessageIcon icon;
};

class NullFormKit final : public FormKit {
public:
    bool hasGui() const override { return false; }
    std::unique_ptr<Window> createWindow(const WindowOptions& options) override;
    MessageResult messageBox(Window* parent, const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override;
    std::optional<Rgb> chooseColour(Window* parent, std::optional<Rgb> initial) override;
    std::optional<std::string> openFile(Window* parent, const FileDialogOptions& options) override;
    /** Shows main and returns: tests drive the windows between calls instead of an event loop. */
    void run(Window& main) override { main.show(); }

    /** The window created with this title (the latest one); throws std::out_of_range when none. */
    NullWindow& window(const std::string& title) const;

    // Scripted answers, used in order. An unscripted message box answers with its first
    // button (Ok or Yes); an unscripted colour or file dialog is cancelled.
    void answerMessage(MessageResult result) { messageAnswers_.push_back(result); }
    void answerColour(std::optional<Rgb> colour) { colourAnswers_.push_back(colour); }
    void answerFile(std::optional<std::string> path) { fileAnswers_.push_back(std::move(path)); }

    const std::vector<ShownMessage>& messages() const { return messages_; }
    const std::vector<FileDialogOptions>& fileDialogs() const { return fileDialogs_; }
    int colourDialogs() const { return colourDialogs_; }
    void clearMessages() { messages_.clear(); }

private:
    friend class NullWindow;
    std::vector<NullWindow*> windows_;
    std::deque<MessageResult> messageAnswers_;
    std::deque<std::optional<Rgb>> colourAnswers_;
    std::deque<std::optional<std::string>> fileAnswers_;
    std::vector<ShownMessage> messages_;
    std::vector<FileDialogOptions> fileDialogs_;
    int colourDialogs_ = 0;
};

} // namespace platform::forms
