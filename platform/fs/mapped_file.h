/** @file Files mapped into memory: read-only views and fixed-size read-write views. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace platform {

/**
 * A file mapped into memory. The mapping and the open file are released when the object dies.
 * Paths go through the same separator and case resolution as openFile. An empty file cannot be
 * mapped. The object may be used from any thread; access to the bytes is the caller's business.
 */
class MappedFile {
public:
    /** Why opening failed: at opening the file, or at mapping it; code is the system's errno value. */
    struct Failure {
        enum class Stage { Open, Map } stage = Stage::Open;
        int code = 0;
        /** The system ran out of memory (or address space) for the mapping. */
        bool outOfMemory() const;
    };

    /** Maps an existing, non-empty file for reading; nullptr on failure (described in *failure when given). */
    static std::unique_ptr<MappedFile> openReadOnly(std::string_view path, Failure* failure = nullptr);
    /**
     * Opens or creates the file, lengthens it to size when it is shorter (a longer file keeps its
     * length), and maps size bytes shared for reading and writing (changes reach the file). With exclusive, nobody else may have it mapped: opening
     * fails while another mapping of the file is alive, and other openings fail while this one
     * is. Without exclusive, openings share the file but fail while an exclusive one holds it.
     * A lock conflict is a failure at the Open stage with code EWOULDBLOCK. size must be above 0.
     * nullptr on failure (described in *failure when given).
     */
    static std::unique_ptr<MappedFile> openReadWrite(std::string_view path, size_t size, bool exclusive,
                                                     Failure* failure = nullptr);

    /**
     * A scratch file of exactly size bytes made afresh and mapped shared for reading and writing,
     * held exclusively (as openReadWrite with exclusive) until the object dies. A file of that
     * name that another holder has is left alone: failure at the Open stage with EWOULDBLOCK.
     * Anything else of that name (a stale file, a link, even one to another file) is removed and
     * the file created new, never opened through a link. The bytes are allocated on the disk
     * before they are mapped, so that writing to the mapping can never meet a full disk: when the
     * disk (or the process's file size limit) cannot take them, the new file is removed again and
     * the failure is at the Map stage with ENOSPC or EFBIG.
     */
    static std::unique_ptr<MappedFile> createScratch(std::string_view path, size_t size,
                                                     Failure* failure = nullptr);

    ~MappedFile();
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    const uint8_t* data() const { return data_; }
    /** The bytes for writing; nullptr for a read-only mapping. */
    uint8_t* writableData() { return writable_ ? data_ : nullptr; }
    size_t size() const { return size_; }
    bool isWritable() const { return writable_; }
    /** Writes changed pages to the file and waits for it; true for read-only mappings. Done on destruction too. */
    bool flush();

private:
    MappedFile(int fd, uint8_t* data, size_t size, bool writable);

    int fd_;
    uint8_t* data_;
    size_t size_;
    bool writable_;
};

} // namespace platform
