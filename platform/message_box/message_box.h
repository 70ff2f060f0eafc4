/** @file Message boxes: a caption, a text and an icon shown to the user through a replaceable sink. */
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace platform {

enum class BoxIcon { None, Information, Warning, Error };

/**
 * Where message boxes go. show() blocks until the user has dismissed the box and returns the
 * button pressed (1 = OK). It may be called from any thread, so sinks must be thread-safe.
 */
class MessageBoxSink {
public:
    virtual ~MessageBoxSink() = default;
    virtual int show(const std::string& caption, const std::string& text, BoxIcon icon) = 0;
};

/** Shows a box through the installed sink; returns its result (1 for OK). */
int showMessageBox(const std::string& caption, const std::string& text, BoxIcon icon = BoxIcon::None);

/**
 * Installs a sink; nullptr restores the default, which writes "caption: text" to stderr and
 * returns 1. The sink is not owned and must outlive its installation.
 */
void setMessageBoxSink(MessageBoxSink* sink);
/** The sink installed now (never null). */
MessageBoxSink* messageBoxSink();

/** Keeps every box shown, in order, and answers each with answer(). For tests. */
class RecordingMessageBoxSink final : public MessageBoxSink {
public:
    struct Box {
        std::string caption;
        std::string text;
        BoxIcon icon;
    };

    int show(const std::string& caption, const std::string& text, BoxIcon icon) override;

    std::vector<Box> boxes() const;
    size_t count() const;
    void clear();
    void setAnswer(int answer);

private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    int answer_ = 1;
};

/** Installs a sink for the lifetime of the object, then restores the one before. */
class ScopedMessageBoxSink {
public:
    explicit ScopedMessageBoxSink(MessageBoxSink& sink);
    ~ScopedMessageBoxSink();
    ScopedMessageBoxSink(const ScopedMessageBoxSink&) = delete;
    ScopedMessageBoxSink& operator=(const ScopedMessageBoxSink&) = delete;

private:
    MessageBoxSink* previous_;
};

} // namespace platform
