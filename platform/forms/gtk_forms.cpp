/** @file The GTK 3 form kit: each control wraps one GTK widget; user signals reach the tools' handlers. */
#include "platform/forms/gtk_forms.h"

#include <gtk/gtk.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace platform::forms {

namespace {

class GtkFormWindow;

/**
 * State shared by every control. quiet_ is raised while code changes a value, because GTK
 * emits the same signals for code and user; only the user's changes may reach a handler.
 */
class GtkControlState {
public:
    GtkControlState(GtkFormWindow& window, GtkWidget* widget) : window_(window), widget_(widget) {}
    bool userSignal() const;
    void enable(bool e) { gtk_widget_set_sensitive(widget_, e ? TRUE : FALSE); }
    bool isEnabled() const { return gtk_widget_get_sensitive(widget_) != FALSE; }
    void hint(const std::string& text);

    GtkFormWindow& window_;
    GtkWidget* widget_;
    int quiet_ = 0;
};

struct Quiet {
    explicit Quiet(GtkControlState& s) : s_(s) { ++s_.quiet_; }
    ~Quiet() { --s_.quiet_; }
    GtkControlState& s_;
};

class GtkFormLabel final : public Label, public GtkControlState {
public:
    GtkFormLabel(GtkFormWindow& w, const std::string& text) : GtkControlState(w, gtk_label_new(text.c_str()))
    {
        gtk_label_set_xalign(GTK_LABEL(widget_), 0.0f);
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    void setText(const std::string& t) override { gtk_label_set_text(GTK_LABEL(widget_), t.c_str()); }
    std::string text() const override { return gtk_label_get_text(GTK_LABEL(widget_)); }
};

class GtkFormButton final : public Button, public GtkControlState {
public:
    GtkFormButton(GtkFormWindow& w, const std::string& caption, bool link)
        : GtkControlState(w, gtk_button_new_with_label(caption.c_str()))
    {
        if (link)
            gtk_button_set_relief(GTK_BUTTON(widget_), GTK_RELIEF_NONE);
        g_signal_connect(widget_, "clicked", G_CALLBACK(+[](GtkButton*, gpointer self) {
                             auto* b = static_cast<GtkFormButton*>(self);
                             if (b->userSignal() && b->handler_)
                                 b->handler_();
                         }),
                         this);
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    void onClick(std::function<void()> h) override { handler_ = std::move(h); }
    GtkWidget* widget() const { return widget_; }

private:
    std::function<void()> handler_;
};

class GtkFormCheckBox final : public CheckBox, public GtkControlState {
public:
    GtkFormCheckBox(GtkFormWindow& w, const std::string& caption)
        : GtkControlState(w, gtk_check_button_new_with_label(caption.c_str()))
    {
        g_signal_connect(widget_, "toggled", G_CALLBACK(+[](GtkToggleButton*, gpointer self) {
                             auto* c = static_cast<GtkFormCheckBox*>(self);
                             if (c->userSignal() && c->handler_)
                                 c->handler_();
                         }),
                         this);
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    void setChecked(bool c) override
    {
        Quiet q(*this);
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(widget_), c ? TRUE : FALSE);
    }
    bool checked() const override { return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(widget_)) != FALSE; }
    void onToggle(std::function<void()> h) override { handler_ = std::move(h); }

private:
    std::function<void()> handler_;
};

class GtkFormEntry final : public Entry, public GtkControlState {
public:
    GtkFormEntry(GtkFormWindow& w, const std::string& caption)
        : GtkControlState(w, gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6)), entry_(gtk_entry_new())
    {
        if (!caption.empty()) {
            GtkWidget* label = gtk_label_new(caption.c_str());
            gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
            gtk_box_pack_start(GTK_BOX(widget_), label, FALSE, FALSE, 0);
        }
        gtk_box_pack_start(GTK_BOX(widget_), entry_, TRUE, TRUE, 0);
        g_signal_connect(entry_, "changed", G_CALLBACK(+[](GtkEditable*, gpointer self) {
                             auto* e = static_cast<GtkFormEntry*>(self);
                             if (e->userSignal() && e->handler_)
                                 e->handler_();
                         }),
                         this);
        // The typing limit is enforced here rather than with gtk_entry_set_max_length, which
        // would also cut text set from code.
        g_signal_connect(entry_, "insert-text",
                         G_CALLBACK(+[](GtkEditable* editable, gchar* text, gint length, gint*, gpointer self) {
                             auto* e = static_cast<GtkFormEntry*>(self);
                             if (e->quiet_ > 0 || e->maxLength_ <= 0)
                                 return;
                             const glong have = g_utf8_strlen(gtk_entry_get_text(GTK_ENTRY(editable)), -1);
                             const glong adding = g_utf8_strlen(text, length);
                             if (have + adding > e->maxLength_) {
                                 gtk_widget_error_bell(GTK_WIDGET(editable));
                                 g_signal_stop_emission_by_name(editable, "insert-text");
                             }
                         }),
                         this);
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    void setText(const std::string& t) override
    {
        Quiet q(*this);
        gtk_entry_set_text(GTK_ENTRY(entry_), t.c_str());
    }
    std::string text() const override { return gtk_entry_get_text(GTK_ENTRY(entry_)); }
    void setMaxLength(int length) override { maxLength_ = length; }
    void setPassword(bool p) override { gtk_entry_set_visibility(GTK_ENTRY(entry_), p ? FALSE : TRUE); }
    void setReadOnly(bool r) override { gtk_editable_set_editable(GTK_EDITABLE(entry_), r ? FALSE : TRUE); }
    void onChange(std::function<void()> h) override { handler_ = std::move(h); }

private:
    GtkWidget* entry_;
    int maxLength_ = 0;
    std::function<void()> handler_;
};

class GtkFormRadioGroup final : public RadioGroup, public GtkControlState {
public:
    GtkFormRadioGroup(GtkFormWindow& w, const std::string& caption, const std::vector<std::string>& items)
        : GtkControlState(w, gtk_frame_new(caption.c_str()))
    {
        GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 2);
        gtk_container_add(GTK_CONTAINER(widget_), box);
        // GTK radio groups always have one active button: a hidden extra button stands for "none".
        none_ = gtk_radio_button_new(nullptr);
        gtk_widget_set_no_show_all(none_, TRUE);
        gtk_box_pack_start(GTK_BOX(box), none_, FALSE, FALSE, 0);
        for (const std::string& item : items) {
            GtkWidget* b = gtk_radio_button_new_with_label_from_widget(GTK_RADIO_BUTTON(none_), item.c_str());
            gtk_box_pack_start(GTK_BOX(box), b, FALSE, FALSE, 0);
            g_signal_connect(b, "toggled", G_CALLBACK(+[](GtkToggleButton* t, gpointer self) {
                                 auto* r = static_cast<GtkFormRadioGroup*>(self);
                                 if (gtk_toggle_button_get_active(t) && r->userSignal() && r->handler_)
                                     r->handler_();
                             }),
                             this);
            buttons_.push_back(b);
        }
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    void setSelected(int index) override
    {
        Quiet q(*this);
        GtkWidget* target = index >= 0 && index < static_cast<int>(buttons_.size()) ? buttons_[static_cast<size_t>(index)] : none_;
        gtk_toggle_button_set_active(GTK_TOGGLE_BUTTON(target), TRUE);
    }
    int selected() const override
    {
        for (size_t i = 0; i < buttons_.size(); ++i)
            if (gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(buttons_[i])))
                return static_cast<int>(i);
        return kNone;
    }
    void onChange(std::function<void()> h) override { handler_ = std::move(h); }

private:
    GtkWidget* none_;
    std::vector<GtkWidget*> buttons_;
    std::function<void()> handler_;
};

std::string lowered(const std::string& text)
{
    gchar* folded = g_ascii_strdown(text.c_str(), -1);
    std::string out = folded;
    g_free(folded);
    return out;
}

class GtkFormListBox final : public ListBox, public GtkControlState {
public:
    explicit GtkFormListBox(GtkFormWindow& w)
        : GtkControlState(w, gtk_scrolled_window_new(nullptr, nullptr)), list_(gtk_list_box_new())
    {
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(widget_), GTK_POLICY_NEVER, GTK_POLICY_ALWAYS);
        gtk_widget_set_size_request(widget_, 200, 120);
        gtk_container_add(GTK_CONTAINER(widget_), list_);
        gtk_list_box_set_selection_mode(GTK_LIST_BOX(list_), GTK_SELECTION_SINGLE);
        g_signal_connect(list_, "row-selected", G_CALLBACK(+[](GtkListBox*, GtkListBoxRow*, gpointer self) {
                             auto* l = static_cast<GtkFormListBox*>(self);
                             if (l->userSignal() && l->handler_)
                                 l->handler_();
                         }),
                         this);
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    int add(const std::string& text) override
    {
        Quiet q(*this);
        const std::string key = lowered(text);
        size_t at = 0;
        while (at < rows_.size() && lowered(rows_[at]) <= key)
            ++at;
        rows_.insert(rows_.begin() + static_cast<long>(at), text);
        GtkWidget* label = gtk_label_new(text.c_str());
        gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
        gtk_list_box_insert(GTK_LIST_BOX(list_), label, static_cast<gint>(at));
        gtk_widget_show_all(list_);
        return static_cast<int>(at);
    }
    void removeAt(int index) override
    {
        if (index < 0 || index >= count())
            return;
        Quiet q(*this);
        rows_.erase(rows_.begin() + index);
        if (GtkListBoxRow* row = gtk_list_box_get_row_at_index(GTK_LIST_BOX(list_), index))
            gtk_widget_destroy(GTK_WIDGET(row));
    }
    int count() const override { return static_cast<int>(rows_.size()); }
    std::string textAt(int index) const override
    {
        return index >= 0 && index < count() ? rows_[static_cast<size_t>(index)] : std::string();
    }
    int find(const std::string& text) const override
    {
        const std::string key = lowered(text);
        for (size_t i = 0; i < rows_.size(); ++i)
            if (lowered(rows_[i]) == key)
                return static_cast<int>(i);
        return kNone;
    }
    void setSelected(int index) override
    {
        Quiet q(*this);
        GtkListBoxRow* row = index >= 0 ? gtk_list_box_get_row_at_index(GTK_LIST_BOX(list_), index) : nullptr;
        if (row != nullptr)
            gtk_list_box_select_row(GTK_LIST_BOX(list_), row);
        else
            gtk_list_box_unselect_all(GTK_LIST_BOX(list_));
    }
    int selected() const override
    {
        GtkListBoxRow* row = gtk_list_box_get_selected_row(GTK_LIST_BOX(list_));
        return row != nullptr ? gtk_list_box_row_get_index(row) : kNone;
    }
    void onSelectionChange(std::function<void()> h) override { handler_ = std::move(h); }

private:
    GtkWidget* list_;
    std::vector<std::string> rows_;
    std::function<void()> handler_;
};

class GtkFormFolderList final : public FolderList, public GtkControlState {
public:
    explicit GtkFormFolderList(GtkFormWindow& w)
        : GtkControlState(w, gtk_box_new(GTK_ORIENTATION_VERTICAL, 2)), label_(gtk_label_new("")),
          list_(gtk_list_box_new())
    {
        gtk_label_set_xalign(GTK_LABEL(label_), 0.0f);
        gtk_label_set_ellipsize(GTK_LABEL(label_), PANGO_ELLIPSIZE_START);
        gtk_box_pack_start(GTK_BOX(widget_), label_, FALSE, FALSE, 0);
        GtkWidget* scroll = gtk_scrolled_window_new(nullptr, nullptr);
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(scroll), GTK_POLICY_NEVER, GTK_POLICY_AUTOMATIC);
        gtk_widget_set_size_request(scroll, 200, 100);
        gtk_list_box_set_selection_mode(GTK_LIST_BOX(list_), GTK_SELECTION_NONE);
        gtk_container_add(GTK_CONTAINER(scroll), list_);
        gtk_box_pack_start(GTK_BOX(widget_), scroll, TRUE, TRUE, 0);
    }
    void setEnabled(bool e) override { enable(e); }
    bool enabled() const override { return isEnabled(); }
    void setHint(const std::string& h) override { hint(h); }
    void setFolder(const std::string& folder) override
    {
        folder_ = folder;
        gtk_label_set_text(GTK_LABEL(label_), folder.c_str());
        GList* rows = gtk_container_get_children(GTK_CONTAINER(list_));
        for (GList* r = rows; r != nullptr; r = r->next)
            gtk_widget_destroy(GTK_WIDGET(r->data));
        g_list_free(rows);
        std::vector<std::string> names;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->is_directory(typeError))
                names.push_back(it->path().filename().string());
        }
        std::sort(names.begin(), names.end());
        for (const std::string& name : names) {
            GtkWidget* row = gtk_label_new(name.c_str());
            gtk_label_set_xalign(GTK_LABEL(row), 0.0f);
            gtk_container_add(GTK_CONTAINER(list_), row);
        }
        gtk_widget_show_all(list_);
    }
    std::string folder() const override { return folder_; }

private:
    GtkWidget* label_;
    GtkWidget* list_;
    std::string folder_;
};

class GtkFormContainer final : public Container {
public:
    GtkFormContainer(GtkFormWindow& window, GtkWidget* box) : window_(window), box_(box) {}
    Label& addLabel(const std::string& text, const std::string&) override;
    Button& addButton(const std::string& caption, const std::string&) override;
    Button& addLink(const std::string& caption, const std::string&) override;
    CheckBox& addCheckBox(const std::string& caption, const std::string&) override;
    Entry& addEntry(const std::string& caption, const std::string&) override;
    RadioGroup& addRadioGroup(const std::string& caption, const std::vector<std::string>& items,
                              const std::string&) override;
    ListBox& addListBox(const std::string&) override;
    FolderList& addFolderList(const std::string& folder, const std::string&) override;
    Container& addGroup(const std::string& caption) override;
    Container& addRow() override;

private:
    template <class T> T& place(std::unique_ptr<T> control, GtkWidget* widget);
    GtkFormWindow& window_;
    GtkWidget* box_;
};

class GtkFormWindow final : public Window {
public:
    explicit GtkFormWindow(const WindowOptions& options) : window_(gtk_window_new(GTK_WINDOW_TOPLEVEL))
    {
        gtk_window_set_title(GTK_WINDOW(window_), options.title.c_str());
        gtk_window_set_resizable(GTK_WINDOW(window_), options.resizable ? TRUE : FALSE);
        if (options.toolWindow) {
            gtk_window_set_type_hint(GTK_WINDOW(window_), GDK_WINDOW_TYPE_HINT_UTILITY);
            gtk_window_set_skip_taskbar_hint(GTK_WINDOW(window_), TRUE);
        }
        gtk_window_set_position(GTK_WINDOW(window_), GTK_WIN_POS_CENTER);
        content_ = gtk_box_new(GTK_ORIENTATION_VERTICAL, 6);
        gtk_container_set_border_width(GTK_CONTAINER(content_), 8);
        gtk_container_add(GTK_CONTAINER(window_), content_);
        GtkWidget* bodyBox = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
        gtk_box_pack_end(GTK_BOX(content_), bodyBox, FALSE, FALSE, 0);
        body_ = std::make_unique<GtkFormContainer>(*this, bodyBox);
        g_signal_connect(window_, "delete-event", G_CALLBACK(+[](GtkWidget*, GdkEvent*, gpointer self) -> gboolean {
                             auto* w = static_cast<GtkFormWindow*>(self);
                             if (w->closeHandler_)
                                 w->closeHandler_();
                             else
                                 w->close();
                             return TRUE; // the window is hidden by close(), never destroyed by GTK
                         }),
                         this);
    }
    ~GtkFormWindow() override
    {
        dying_ = true;
        gtk_widget_destroy(window_);
    }

    Container& addPage(const std::string& title) override
    {
        if (notebook_ == nullptr) {
            notebook_ = gtk_notebook_new();
            gtk_box_pack_start(GTK_BOX(content_), notebook_, TRUE, TRUE, 0);
        }
        GtkWidget* page = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
        gtk_container_set_border_width(GTK_CONTAINER(page), 6);
        gtk_notebook_append_page(GTK_NOTEBOOK(notebook_), page, gtk_label_new(title.c_str()));
        containers_.push_back(std::make_unique<GtkFormContainer>(*this, page));
        return *containers_.back();
    }
    Container& body() override { return *body_; }
    void show() override
    {
        if (!closed_)
            gtk_widget_show_all(window_);
    }
    void hide() override { gtk_widget_hide(window_); }
    bool visible() const override { return gtk_widget_get_visible(window_) != FALSE; }
    void setEnabled(bool e) override { gtk_widget_set_sensitive(content_, e ? TRUE : FALSE); }
    bool enabled() const override { return gtk_widget_get_sensitive(content_) != FALSE; }
    void setHintsEnabled(bool e) override
    {
        hintsOn_ = e;
        for (auto& [widget, text] : hints_)
            gtk_widget_set_tooltip_text(widget, e ? text.c_str() : nullptr);
    }
    void onCloseRequest(std::function<void()> h) override { closeHandler_ = std::move(h); }
    void close() override
    {
        closed_ = true;
        gtk_widget_hide(window_);
    }
    bool closed() const override { return closed_; }

    void addHint(GtkWidget* widget, const std::string& text)
    {
        for (auto& [w, t] : hints_)
            if (w == widget) {
                t = text;
                setHintsEnabled(hintsOn_);
                return;
            }
        hints_.emplace_back(widget, text);
        setHintsEnabled(hintsOn_);
    }
    template <class T> T& own(std::unique_ptr<T> control)
    {
        T& ref = *control;
        controls_.push_back(std::move(control));
        return ref;
    }
    GtkWindow* gtkWindow() const { return GTK_WINDOW(window_); }
    bool dying() const { return dying_; }
    std::vector<std::unique_ptr<GtkFormContainer>> containers_;

private:
    GtkWidget* window_;
    GtkWidget* content_ = nullptr;
    GtkWidget* notebook_ = nullptr;
    std::unique_ptr<GtkFormContainer> body_;
    std::vector<std::unique_ptr<Control>> controls_;
    std::vector<std::pair<GtkWidget*, std::string>> hints_;
    std::function<void()> closeHandler_;
    bool closed_ = false;
    bool dying_ = false;
    bool hintsOn_ = true;
};

bool GtkControlState::userSignal() const
{
    return quiet_ == 0 && !window_.dying();
}

void GtkControlState::hint(const std::string& text)
{
    window_.addHint(widget_, text);
}

template <class T> T& GtkFormContainer::place(std::unique_ptr<T> control, GtkWidget* widget)
{
    const bool row = gtk_orientable_get_orientation(GTK_ORIENTABLE(box_)) == GTK_ORIENTATION_HORIZONTAL;
    gtk_box_pack_start(GTK_BOX(box_), widget, row ? TRUE : FALSE, row ? TRUE : FALSE, 0);
    return window_.own(std::move(control));
}

Label& GtkFormContainer::addLabel(const std::string& text, const std::string&)
{
    auto c = std::make_unique<GtkFormLabel>(window_, text);
    GtkWidget* w = c->widget_;
    return place(std::move(c), w);
}

Button& GtkFormContainer::addButton(const std::string& caption, const std::string&)
{
    auto c = std::make_unique<GtkFormButton>(window_, caption, false);
    GtkWidget* w = c->widget();
    return place(std::move(c), w);
}

Button& GtkFormContainer::addLink(const std::string& caption, const std::string&)
{
    auto c = std::make_unique<GtkFormButton>(window_, caption, true);
    GtkWidget* w = c->widget();
    return place(std::move(c), w);
}

CheckBox& GtkFormContainer::addCheckBox(const std::string& caption, const std::string&)
{
    auto c = std::make_unique<GtkFormCheckBox>(window_, caption);
    GtkWidget* w = c->widget_;
    return place(std::move(c), w);
}

Entry& GtkFormContainer::addEntry(const std::string& caption, const std::string&)
{
    auto c = std::make_unique<GtkFormEntry>(window_, caption);
    GtkWidget* w = c->widget_;
    return place(std::move(c), w);
}

RadioGroup& GtkFormContainer::addRadioGroup(const std::string& caption, const std::vector<std::string>& items,
                                            const std::string&)
{
    auto c = std::make_unique<GtkFormRadioGroup>(window_, caption, items);
    GtkWidget* w = c->widget_;
    RadioGroup& group = place(std::move(c), w);
    group.setSelected(RadioGroup::kNone);
    return group;
}

ListBox& GtkFormContainer::addListBox(const std::string&)
{
    auto c = std::make_unique<GtkFormListBox>(window_);
    GtkWidget* w = c->widget_;
    return place(std::move(c), w);
}

FolderList& GtkFormContainer::addFolderList(const std::string& folder, const std::string&)
{
    auto c = std::make_unique<GtkFormFolderList>(window_);
    GtkWidget* w = c->widget_;
    FolderList& list = place(std::move(c), w);
    list.setFolder(folder);
    return list;
}

Container& GtkFormContainer::addGroup(const std::string& caption)
{
    GtkWidget* frame = gtk_frame_new(caption.empty() ? nullptr : caption.c_str());
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_VERTICAL, 4);
    gtk_container_set_border_width(GTK_CONTAINER(box), 4);
    gtk_container_add(GTK_CONTAINER(frame), box);
    gtk_box_pack_start(GTK_BOX(box_), frame, FALSE, FALSE, 0);
    window_.containers_.push_back(std::make_unique<GtkFormContainer>(window_, box));
    return *window_.containers_.back();
}

Container& GtkFormContainer::addRow()
{
    GtkWidget* box = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 6);
    gtk_box_pack_start(GTK_BOX(box_), box, FALSE, FALSE, 0);
    window_.containers_.push_back(std::make_unique<GtkFormContainer>(window_, box));
    return *window_.containers_.back();
}

GtkWindow* parentOf(Window* parent)
{
    return parent != nullptr ? static_cast<GtkFormWindow*>(parent)->gtkWindow() : nullptr;
}

gboolean isExecutable(const GtkFileFilterInfo* info, gpointer)
{
    if (info->filename == nullptr)
        return FALSE;
    std::error_code ec;
    const auto status = std::filesystem::status(info->filename, ec);
    if (ec || !std::filesystem::is_regular_file(status))
        return FALSE;
    using std::filesystem::perms;
    return (status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) != perms::none;
}

class GtkFormKit final : public FormKit {
public:
    bool hasGui() const override { return true; }
    std::unique_ptr<Window> createWindow(const WindowOptions& options) override
    {
        return std::make_unique<GtkFormWindow>(options);
    }

    MessageResult messageBox(Window* parent, const std::string& text, const std::string& caption,
                             MessageButtons buttons, MessageIcon icon) override
    {
        GtkMessageType type = GTK_MESSAGE_OTHER;
        switch (icon) {
        case MessageIcon::Exclamation: type = GTK_MESSAGE_WARNING; break;
        case MessageIcon::Stop: type = GTK_MESSAGE_ERROR; break;
        case MessageIcon::Question: type = GTK_MESSAGE_QUESTION; break;
        case MessageIcon::Information: type = GTK_MESSAGE_INFO; break;
        case MessageIcon::None: break;
        }
        GtkButtonsType set = buttons == MessageButtons::Ok         ? GTK_BUTTONS_OK
                             : buttons == MessageButtons::OkCancel ? GTK_BUTTONS_OK_CANCEL
                                                                   : GTK_BUTTONS_YES_NO;
        GtkWidget* dialog = gtk_message_dialog_new(parentOf(parent), GTK_DIALOG_MODAL, type, set, "%s", text.c_str());
        gtk_window_set_title(GTK_WINDOW(dialog), caption.c_str());
        const gint response = gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
        switch (response) {
        case GTK_RESPONSE_OK: return MessageResult::Ok;
        case GTK_RESPONSE_YES: return MessageResult::Yes;
        case GTK_RESPONSE_NO: return MessageResult::No;
        default:
            if (buttons == MessageButtons::YesNo)
                return MessageResult::No;
            return buttons == MessageButtons::Ok ? MessageResult::Ok : MessageResult::Cancel;
        }
    }

    std::optional<Rgb> chooseColour(Window* parent, std::optional<Rgb> initial) override
    {
        GtkWidget* dialog = gtk_color_chooser_dialog_new("Color", parentOf(parent));
        gtk_color_chooser_set_use_alpha(GTK_COLOR_CHOOSER(dialog), FALSE);
        if (initial) {
            GdkRGBA rgba{initial->r / 255.0, initial->g / 255.0, initial->b / 255.0, 1.0};
            gtk_color_chooser_set_rgba(GTK_COLOR_CHOOSER(dialog), &rgba);
        }
        std::optional<Rgb> result;
        if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_OK) {
            GdkRGBA rgba;
            gtk_color_chooser_get_rgba(GTK_COLOR_CHOOSER(dialog), &rgba);
            auto channel = [](double v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
            result = Rgb{channel(rgba.red), channel(rgba.green), channel(rgba.blue)};
        }
        gtk_widget_destroy(dialog);
        return result;
    }

    std::optional<std::string> openFile(Window* parent, const FileDialogOptions& options) override
    {
        GtkWidget* dialog = gtk_file_chooser_dialog_new(options.title.c_str(), parentOf(parent),
                                                        GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel", GTK_RESPONSE_CANCEL,
                                                        "_Open", GTK_RESPONSE_ACCEPT, nullptr);
        for (const FileFilter& f : options.filters) {
            GtkFileFilter* filter = gtk_file_filter_new();
            gtk_file_filter_set_name(filter, f.name.c_str());
            if (f.patterns.empty())
                gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_FILENAME, isExecutable, nullptr, nullptr);
            for (const std::string& p : f.patterns)
                gtk_file_filter_add_pattern(filter, p.c_str());
            gtk_file_chooser_add_filter(GTK_FILE_CHOOSER(dialog), filter);
        }
        if (!options.initialFolder.empty())
            gtk_file_chooser_set_current_folder(GTK_FILE_CHOOSER(dialog), options.initialFolder.c_str());
        std::optional<std::string> result;
        if (gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
            if (gchar* name = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog))) {
                result = std::string(name);
                g_free(name);
            }
        }
        gtk_widget_destroy(dialog);
        return result;
    }

    void run(Window& main) override
    {
        main.show();
        if (std::getenv("KZ_FORMS_SMOKE") != nullptr) {
            // Let the window map and draw, then close it as its user would.
            g_timeout_add(700, +[](gpointer w) -> gboolean {
                static_cast<Window*>(w)->close();
                return G_SOURCE_REMOVE;
            }, &main);
        }
        while (!main.closed())
            gtk_main_iteration_do(TRUE);
        while (gtk_events_pending())
            gtk_main_iteration_do(FALSE);
    }
};

} // namespace

std::unique_ptr<FormKit> makeGtkFormKit()
{
    if (!gtk_init_check(nullptr, nullptr))
        return nullptr;
    return std::make_unique<GtkFormKit>();
}

} // namespace platform::forms
