/** @file The null form kit: controls keep their state in memory and answer the tests' user actions. */
#include "platform/forms/null_forms.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace platform::forms {

namespace {

std::string lowered(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

bool NullControlBase::usable(bool enabled) const
{
    return enabled && window_.enabled() && window_.visible() && !window_.closed();
}

bool NullButton::click()
{
    if (!usable(enabled_))
        return false;
    if (handler_)
        handler_();
    return true;
}

bool NullCheckBox::toggle()
{
    if (!usable(enabled_))
        return false;
    checked_ = !checked_;
    if (handler_)
        handler_();
    return true;
}

bool NullEntry::type(const std::string& text)
{
    if (!usable(enabled_) || readOnly_)
        return false;
    std::string typed = text;
    if (maxLength_ > 0 && typed.size() > static_cast<size_t>(maxLength_))
        typed.resize(static_cast<size_t>(maxLength_));
    if (typed == text_)
        return true;
    text_ = typed;
    if (handler_)
        handler_();
    return true;
}

bool NullControlBase::pick(int& selected, int index, const std::function<void()>& handler)
{
    if (index != selected) {
        selected = index;
        if (handler)
            handler();
    }
    return true;
}

bool NullRadioGroup::choose(int index)
{
    if (!usable(enabled_) || index < 0 || index >= static_cast<int>(items_.size()))
        return false;
    return pick(selected_, index, handler_);
}

int NullListBox::add(const std::string& text)
{
    // Sorted without regard to case; equal keys go after the rows already there.
    const std::string key = lowered(text);
    auto at = std::upper_bound(rows_.begin(), rows_.end(), key,
                               [](const std::string& k, const std::string& row) { return k < lowered(row); });
    const int index = static_cast<int>(at - rows_.begin());
    rows_.insert(at, text);
    if (selected_ >= index)
        ++selected_;
    return index;
}

void NullListBox::removeAt(int index)
{
    if (index < 0 || index >= count())
        return;
    rows_.erase(rows_.begin() + index);
    if (selected_ == index)
        selected_ = kNone;
    else if (selected_ > index)
        --selected_;
}

std::string NullListBox::textAt(int index) const
{
    return index >= 0 && index < count() ? rows_[static_cast<size_t>(index)] : std::string();
}

int NullListBox::find(const std::string& text) const
{
    const std::string key = lowered(text);
    for (int i = 0; i < count(); ++i)
        if (lowered(rows_[static_cast<size_t>(i)]) == key)
            return i;
    return kNone;
}

void NullListBox::setSelected(int index)
{
    selected_ = index >= 0 && index < count() ? index : kNone;
}

bool NullListBox::choose(int index)
{
    if (!usable(enabled_) || index < kNone || index >= count())
        return false;
    return pick(selected_, index, handler_);
}

template <class T> T& NullWindow::adopt(const std::string& name, std::unique_ptr<T> control)
{
    if (byName_.count(name) != 0)
        throw std::logic_error("form control name used twice: " + name);
    T& ref = *control;
    byName_[name] = control.get();
    controls_.push_back(std::move(control));
    return ref;
}

template <class T> T& NullWindow::get(const std::string& name) const
{
    auto it = byName_.find(name);
    T* control = it == byName_.end() ? nullptr : dynamic_cast<T*>(it->second);
    if (control == nullptr)
        throw std::out_of_range("no such form control: " + name);
    return *control;
}

template NullLabel& NullWindow::get<NullLabel>(const std::string&) const;
template NullButton& NullWindow::get<NullButton>(const std::string&) const;
template NullCheckBox& NullWindow::get<NullCheckBox>(const std::string&) const;
template NullEntry& NullWindow::get<NullEntry>(const std::string&) const;
template NullRadioGroup& NullWindow::get<NullRadioGroup>(const std::string&) const;
template NullListBox& NullWindow::get<NullListBox>(const std::string&) const;
template NullFolderList& NullWindow::get<NullFolderList>(const std::string&) const;

Label& NullContainer::addLabel(const std::string& text, const std::string& name)
{
    auto label = std::make_unique<NullLabel>();
    label->setText(text);
    return window_.adopt(name.empty() ? text : name, std::move(label));
}

Button& NullContainer::addButton(const std::string& caption, const std::string& name)
{
    return window_.adopt(name.empty() ? caption : name, std::make_unique<NullButton>(window_));
}

Button& NullContainer::addLink(const std::string& caption, const std::string& name)
{
    return addButton(caption, name);
}

CheckBox& NullContainer::addCheckBox(const std::string& caption, const std::string& name)
{
    return window_.adopt(name.empty() ? caption : name, std::make_unique<NullCheckBox>(window_));
}

Entry& NullContainer::addEntry(const std::string& caption, const std::string& name)
{
    return window_.adopt(name.empty() ? caption : name, std::make_unique<NullEntry>(window_));
}

RadioGroup& NullContainer::addRadioGroup(const std::string& caption, const std::vector<std::string>& items,
                                         const std::string& name)
{
    return window_.adopt(name.empty() ? caption : name, std::make_unique<NullRadioGroup>(window_, items));
}

ListBox& NullContainer::addListBox(const std::string& name)
{
    return window_.adopt(name, std::make_unique<NullListBox>(window_));
}

FolderList& NullContainer::addFolderList(const std::string& folder, const std::string& name)
{
    auto list = std::make_unique<NullFolderList>();
    list->setFolder(folder);
    return window_.adopt(name.empty() ? folder : name, std::move(list));
}

Container& NullContainer::addGroup(const std::string&)
{
    window_.containers_.push_back(std::make_unique<NullContainer>(window_));
    return *window_.containers_.back();
}

Container& NullContainer::addRow()
{
    return addGroup({});
}

NullWindow::NullWindow(NullFormKit* kit, WindowOptions options)
    : kit_(kit), options_(std::move(options)), body_(*this)
{
}

NullWindow::~NullWindow()
{
    if (kit_ != nullptr)
        std::erase(kit_->windows_, this);
}

Container& NullWindow::addPage(const std::string& title)
{
    pages_.push_back(title);
    containers_.push_back(std::make_unique<NullContainer>(*this));
    return *containers_.back();
}

void NullWindow::close()
{
    closed_ = true;
    visible_ = false;
}

void NullWindow::requestClose()
{
    if (!visible_ || closed_)
        return;
    if (closeHandler_)
        closeHandler_();
    else
        close();
}

std::unique_ptr<Window> NullFormKit::createWindow(const WindowOptions& options)
{
    auto window = std::make_unique<NullWindow>(this, options);
    windows_.push_back(window.get());
    return window;
}

NullWindow& NullFormKit::window(const std::string& title) const
{
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if ((*it)->options().title == title)
            return **it;
    throw std::out_of_range("no such window: " + title);
}

MessageResult NullFormKit::messageBox(Window*, const std::string& text, const std::string& caption,
                                      MessageButtons buttons, MessageIcon icon)
{
    messages_.push_back({text, caption, buttons, icon});
    if (!messageAnswers_.empty()) {
        MessageResult answer = messageAnswers_.front();
        messageAnswers_.pop_front();
        return answer;
    }
    return buttons == MessageButtons::YesNo ? MessageResult::Yes : MessageResult::Ok;
}

std::optional<Rgb> NullFormKit::chooseColour(Window*, std::optional<Rgb>)
{
    ++colourDialogs_;
    if (colourAnswers_.empty())
        return std::nullopt;
    std::optional<Rgb> answer = colourAnswers_.front();
    colourAnswers_.pop_front();
    return answer;
}

std::optional<std::string> NullFormKit::openFile(Window*, const FileDialogOptions& options)
{
    fileDialogs_.push_back(options);
    if (fileAnswers_.empty())
        return std::nullopt;
    std::optional<std::string> answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return answer;
}

} // namespace platform::forms
