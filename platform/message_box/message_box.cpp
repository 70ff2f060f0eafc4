/** @file Message box routing and the stderr and recording sinks. */
#include "platform/message_box/message_box.h"

#include <atomic>
#include <cstdio>

namespace platform {

namespace {

class StderrMessageBoxSink final : public MessageBoxSink {
public:
    int show(const std::string& caption, const std::string& text, BoxIcon) override
    {
        std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
        std::fflush(stderr);
        return 1;
    }
};

StderrMessageBoxSink& defaultSink()
{
    static StderrMessageBoxSink sink;
    return sink;
}

std::atomic<MessageBoxSink*>& installedSink()
{
    static std::atomic<MessageBoxSink*> sink{nullptr};
    return sink;
}

} // namespace

int showMessageBox(const std::string& caption, const std::string& text, BoxIcon icon)
{
    return messageBoxSink()->show(caption, text, icon);
}

void setMessageBoxSink(MessageBoxSink* sink)
{
    installedSink().store(sink);
}

MessageBoxSink* messageBoxSink()
{
    MessageBoxSink* sink = installedSink().load();
    return sink ? sink : &defaultSink();
}

int RecordingMessageBoxSink::show(const std::string& caption, const std::string& text, BoxIcon icon)
{
    std::lock_guard<std::mutex> guard(mutex_);
    boxes_.push_back(Box{caption, text, icon});
    return answer_;
}

std::vector<RecordingMessageBoxSink::Box> RecordingMessageBoxSink::boxes() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return boxes_;
}

size_t RecordingMessageBoxSink::count() const
{
    std::lock_guard<std::mutex> guard(mutex_);
    return boxes_.size();
}

void RecordingMessageBoxSink::clear()
{
    std::lock_guard<std::mutex> guard(mutex_);
    boxes_.clear();
}

void RecordingMessageBoxSink::setAnswer(int answer)
{
    std::lock_guard<std::mutex> guard(mutex_);
    answer_ = answer;
}

ScopedMessageBoxSink::ScopedMessageBoxSink(MessageBoxSink& sink)
    : previous_(installedSink().exchange(&sink))
{
}

ScopedMessageBoxSink::~ScopedMessageBoxSink()
{
    installedSink().store(previous_);
}

} // namespace platform
