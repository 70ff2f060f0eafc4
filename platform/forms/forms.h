/** @file The form kit: windows with tabbed pages and plain controls, dialogs and message boxes for the two tools. */
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::forms {

enum class MessageIcon { None, Exclamation, Stop, Question, Information };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageResult { Ok, Cancel, Yes, No };

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

/** One filter row of a file dialog: a name shown to the user and the file-name patterns it lets through. */
struct FileFilter {
    std::string name;
    std::vector<std::string> patterns; ///< Empty: executable files only.
};

struct FileDialogOptions {
    std::string title;
    std::vector<FileFilter> filters;
    std::string initialFolder;
};

/**
 * Every control: enabling and hints. Controls belong to their window and live as long as it.
 *
 * Contract shared by all controls: callbacks (onClick, onChange, ...) fire for the user's
 * actions only. Setting a value from code never fires them, so the tools call their own
 * handlers explicitly when a programmatic change must be followed by one.
 * All calls come from the thread that runs the kit.
 */
class Control {
public:
    virtual ~Control() = default;
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    /** Text shown when the pointer rests on the control while the window's hints are on. */
    virtual void setHint(const std::string& hint) = 0;
};

class Label : public Control {
public:
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
};

/** A push button, or a link label (a clickable text) when created with addLink. */
class Button : public Control {
public:
    virtual void onClick(std::function<void()> handler) = 0;
};

class CheckBox : public Control {
public:
    virtual void setChecked(bool checked) = 0;
    virtual bool checked() const = 0;
    virtual void onToggle(std::function<void()> handler) = 0;
};

/** A one-line text field with its caption in front. */
class Entry : public Control {
public:
    virtual void setText(const std::string& text) = 0;
    virtual std::string text() const = 0;
    /** The most characters the user may type; 0 = no limit. Text set from code is never cut. */
    virtual void setMaxLength(int length) = 0;
    /** Shows bullets in place of the characters. */
    virtual void setPassword(bool password) = 0;
    virtual void setReadOnly(bool readOnly) = 0;
    virtual void onChange(std::function<void()> handler) = 0;
};

/** A captioned group of mutually exclusive items that may also have no item selected. */
class RadioGroup : public Control {
public:
    static constexpr int kNone = -1;
    virtual void setSelected(int index) = 0; ///< kNone clears the choice.
    virtual int selected() const = 0;
    virtual void onChange(std::function<void()> handler) = 0;
};

/** A list of texts kept sorted without regard to case, with at most one selected row. */
class ListBox : public Control {
public:
    static constexpr int kNone = -1;
    /** Inserts at its sorted place; returns the row index. */
    virtual int add(const std::string& text) = 0;
    virtual void removeAt(int index) = 0;
    virtual int count() const = 0;
    virtual std::string textAt(int index) const = 0;
    /** The first row equal to text without regard to case, or kNone. */
    virtual int find(const std::string& text) const = 0;
    virtual void setSelected(int index) = 0; ///< kNone clears the selection.
    virtual int selected() const = 0;
    virtual void onSelectionChange(std::function<void()> handler) = 0;
};

/** A read-only view of a folder: its path, with the names of its subfolders below it. */
class FolderList : public Control {
public:
    virtual void setFolder(const std::string& folder) = 0;
    virtual std::string folder() const = 0;
};

/** A place that holds controls, top to bottom (a page, a group) or left to right (a row). */
class Container {
public:
    virtual ~Container() = default;
    /** name identifies the control in its window for tests; empty = the caption. Names are unique per window. */
    virtual Label& addLabel(const std::string& text, const std::string& name = {}) = 0;
    virtual Button& addButton(const std::string& caption, const std::string& name = {}) = 0;
    virtual Button& addLink(const std::string& caption, const std::string& name = {}) = 0;
    virtual CheckBox& addCheckBox(const std::string& caption, const std::string& name = {}) = 0;
    virtual Entry& addEntry(const std::string& caption, const std::string& name = {}) = 0;
    virtual RadioGroup& addRadioGroup(const std::string& caption, const std::vector<std::string>& items,
                                      const std::string& name = {}) = 0;
    virtual ListBox& addListBox(const std::string& name) = 0;
    virtual FolderList& addFolderList(const std::string& folder, const std::string& name) = 0;
    /** A framed group with a caption, filled top to bottom. */
    virtual Container& addGroup(const std::string& caption) = 0;
    /** A row filled left to right. */
    virtual Container& addRow() = 0;
};

struct WindowOptions {
    std::string title;
    bool resizable = false;
    /** A small tool window (thin caption, no task-bar entry). */
    bool toolWindow = false;
};

/** A top-level window: tabbed pages above a body area. Created hidden. */
class Window {
public:
    virtual ~Window() = default;
    /** Adds a tab page; the first call creates the tab strip. */
    virtual Container& addPage(const std::string& title) = 0;
    /** The area below the pages (button rows). */
    virtual Container& body() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool visible() const = 0;
    /** A disabled window takes no input (a box that it opened is in front). */
    virtual void setEnabled(bool enabled) = 0;
    virtual bool enabled() const = 0;
    virtual void setHintsEnabled(bool enabled) = 0;
    /**
     * Called when the user asks to close the window (its close button). Without a handler the
     * window closes; with one, the handler decides by calling close() or not.
     */
    virtual void onCloseRequest(std::function<void()> handler) = 0;
    /** Hides the window for good; the kit's run() returns when its main window is closed. */
    virtual void close() = 0;
    virtual bool closed() const = 0;
};

/**
 * The toolkit: creates windows and runs the modal dialogs. One kit per program, chosen at
 * start-up (the GTK backend when a display is there); tests use NullFormKit.
 */
class FormKit {
public:
    virtual ~FormKit() = default;
    /** True for a kit that shows real windows. */
    virtual bool hasGui() const = 0;
    virtual std::unique_ptr<Window> createWindow(const WindowOptions& options) = 0;
    /** Shows a modal message box and returns the button pressed (closing it counts as Cancel or No). */
    virtual MessageResult messageBox(Window* parent, const std::string& text, const std::string& caption,
                                     MessageButtons buttons, MessageIcon icon) = 0;
    /** The full colour dialog; empty when cancelled. */
    virtual std::optional<Rgb> chooseColour(Window* parent, std::optional<Rgb> initial) = 0;
    /** The open-file dialog; the chosen path, or empty when cancelled. */
    virtual std::optional<std::string> openFile(Window* parent, const FileDialogOptions& options) = 0;
    /** Shows main and runs the event loop until main is closed. */
    virtual void run(Window& main) = 0;
};

} // namespace platform::forms
