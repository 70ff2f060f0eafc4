/** @file Which groups of a grouped table were written since the table was last blank. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kzdata {

/**
 * A table read from a file in groups (and patched group by group from the server) is reset to
 * blank before each read. Resetting only the groups written since the last reset makes a short
 * file cost what it holds instead of the whole table. The first reset blanks everything.
 */
class TouchedGroups {
public:
    explicit TouchedGroups(size_t groups) : marked_(groups, false) {}

    /** Calls blank(firstGroup, groupCount) for what may hold data, then forgets the marks. */
    template <typename Blank>
    void reset(Blank&& blank)
    {
        if (!everBlank_) {
            blank(size_t{0}, marked_.size());
            everBlank_ = true;
        } else {
            for (size_t g : list_) blank(g, size_t{1});
        }
        for (size_t g : list_) marked_[g] = false;
        list_.clear();
    }

    /** Notes that a group (in range) now holds data. */
    void mark(size_t group)
    {
        if (group >= marked_.size() || marked_[group]) return;
        marked_[group] = true;
        list_.push_back(group);
    }

private:
    std::vector<bool> marked_;
    std::vector<size_t> list_;
    bool everBlank_ = false;
};

} // namespace kzdata
