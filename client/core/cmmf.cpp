/** @file Memory-mapped files: the read-only CMMF and the fixed-size read-write CMMF_Wr. */
#include "client/core/cmmf.h"

#include "client/core/kz_report.h"

#include "platform/fs/mapped_file.h"
#include "platform/message_box/message_box.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

using Stage = platform::MappedFile::Failure::Stage;

std::string checkedName(const char* name)
{
    if (!name)
        KZReport::fatal("CMMF::setName: new_name == NULL\n");
    return name;
}

// what: "open mmf", "create mapping for mmf", ...
void showMmfError(const char* what, const std::string& name, int code)
{
    char text[1200];
    std::snprintf(text, sizeof text, "Failed to %s %s: Error %d.", what, name.c_str(), code);
    platform::showMessageBox("MMF Error", text, platform::BoxIcon::Error);
}

void reportWrMappingError(const std::string& name, int code)
{
    char text[1200];
    std::snprintf(text, sizeof text, "Failed to create mapping for mmf_wr %s: Error %d.", name.c_str(), code);
    KZReport::error("CMMF_Wr::Open: %s", text);
}

/** Running out of memory is not a file error: the application's out-of-memory handler ends the program. */
void handleOutOfMemory(const platform::MappedFile::Failure& failure)
{
    if (!failure.outOfMemory())
        return;
    if (std::new_handler handler = std::get_new_handler())
        handler();
}

} // namespace

CMMF::CMMF(const char* name)
{
    KZReport::message("CMMF::CMMF: begin. file '%s'\n", name ? name : "(null)");
    name_ = checkedName(name);
}

CMMF::~CMMF()
{
    Close();
}

const uint8_t* CMMF::Open()
{
    if (name_.empty())
        return nullptr;
    Close();
    platform::MappedFile::Failure failure;
    file_ = platform::MappedFile::openReadOnly(name_, &failure);
    if (file_ && file_->size() > UINT32_MAX) {
        // Offsets into data files are 32-bit; a larger file cannot be addressed.
        file_.reset();
        failure = {Stage::Map, EFBIG};
    }
    if (!file_) {
        handleOutOfMemory(failure);
        showMmfError(failure.stage == Stage::Open ? "open mmf" : "create mapping for mmf", name_, failure.code);
        return nullptr;
    }
    view_ = file_->data();
    size_ = static_cast<uint32_t>(file_->size());
    return view_;
}

uint32_t CMMF::Read(uint32_t offset, uint32_t length, void* destination) const
{
    if (!view_ || !destination || offset > size_ || length > size_ - offset) {
        KZReport::error("CMMF::Read: range %u+%u is outside the %u bytes of '%s'.\n", offset, length, size_,
                        name_.c_str());
        return 0;
    }
    std::memcpy(destination, view_ + offset, length);
    return length;
}

void CMMF::Close()
{
    file_.reset();
    view_ = nullptr;
    size_ = 0;
}

bool CMMF::IsOpen() const
{
    return view_ != nullptr;
}

CMMF_Wr::CMMF_Wr(const char* name, int size)
{
    KZReport::message("CMMF_Wr::CMMF_Wr(const char *theName, int theSize): begin.\n");
    name_ = checkedName(name);
    size_ = size > 0 ? static_cast<uint32_t>(size) : 0;
}

CMMF_Wr::~CMMF_Wr()
{
    if (file_)
        file_->flush();
}

uint8_t* CMMF_Wr::Open()
{
    if (file_)
        return view_;
    if (size_ == 0) {
        reportWrMappingError(name_, EINVAL);
        return nullptr;
    }
    platform::MappedFile::Failure failure;
    if (Open(&failure))
        return view_;
    handleOutOfMemory(failure);
    if (failure.stage == Stage::Open)
        showMmfError("open mmf_wr", name_, failure.code);
    else
        reportWrMappingError(name_, failure.code);
    return nullptr;
}

uint8_t* CMMF_Wr::Open(platform::MappedFile::Failure* failure)
{
    if (file_)
        return view_;
    // Exclusive, like a file opened without sharing: a second writer fails at the open step.
    file_ = platform::MappedFile::createScratch(name_, size_, failure);
    view_ = file_ ? file_->writableData() : nullptr;
    return view_;
}

bool CMMF_Wr::IsOpen() const
{
    return view_ != nullptr;
}
