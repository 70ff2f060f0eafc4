/** @file Memory-mapped files: CMMF maps a whole file read-only, CMMF_Wr a file of fixed size read-write. */
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/fs/mapped_file.h"

// Data files are used in place through a read-only mapping. The view stays valid until Close
// or destruction; Close keeps the name so that Open can map the file again after it was
// rewritten (a file must not be truncated while it is mapped).
class CMMF {
public:
    explicit CMMF(const char* name);
    ~CMMF();
    CMMF(const CMMF&) = delete;
    CMMF& operator=(const CMMF&) = delete;

    /** Maps the whole file; null (after a message box) when it cannot be opened or mapped. */
    const uint8_t* Open();
    /**
     * Copies length bytes of the view at offset into destination and returns length; a range
     * outside the mapping (or no mapping) copies nothing and returns 0.
     */
    uint32_t Read(uint32_t offset, uint32_t length, void* destination) const;
    void Close();

    bool IsOpen() const;
    uint32_t GetSize() const { return size_; }
    const uint8_t* GetView() const { return view_; }
    const char* GetName() const { return name_.c_str(); }

private:
    std::string name_;
    std::unique_ptr<platform::MappedFile> file_;
    const uint8_t* view_ = nullptr;
    uint32_t size_ = 0;
};

// A read-write mapping of exactly the size given at construction (the disk cache file): the
// file is made afresh (never through a link, its bytes allocated on the disk), held
// exclusively, and flushed when the object is destroyed. A file of that name that another
// process holds is never touched.
class CMMF_Wr {
public:
    CMMF_Wr(const char* name, int size);
    ~CMMF_Wr();
    CMMF_Wr(const CMMF_Wr&) = delete;
    CMMF_Wr& operator=(const CMMF_Wr&) = delete;

    /** Maps the file read-write; null (after a message box or a log line) when it cannot be made or mapped. */
    uint8_t* Open();
    /** As Open, but a failure is only described in *failure, for a caller that can do without the file. */
    uint8_t* Open(platform::MappedFile::Failure* failure);

    bool IsOpen() const;
    uint32_t GetSize() const { return size_; }
    uint8_t* GetView() const { return view_; }
    const char* GetName() const { return name_.c_str(); }

private:
    std::string name_;
    std::unique_ptr<platform::MappedFile> file_;
    uint8_t* view_ = nullptr;
    uint32_t size_ = 0;
};
