/** @file Memory-mapped files: CMMF maps a whole file read-only, CMMF_Wr a file of fixed size read-write. */
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class MappedFile;
}

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
// file is created when absent, held exclusively, and flushed when the object is destroyed.
class CMMF_Wr {
public:
    CMMF_Wr(const char* name, int size);
    ~CMMF_Wr();
    CMMF_Wr(const CMMF_Wr&) = delete;
    CMMF_Wr& operator=(const CMMF_Wr&) = delete;

    /** Maps the file read-write; null when it cannot be opened or mapped. */
    uint8_t* Open();

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
