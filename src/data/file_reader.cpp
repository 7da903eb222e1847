// SPDX-License-Identifier: MIT
#include "data/file_reader.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <system_error>

#include "veloxia/data.h"

namespace veloxia {

namespace {
LoadError lastError{{}, 0, {}};
}  // namespace

const LoadError& lastLoadError() { return lastError; }

namespace data {

std::string describe(const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return text;
}

int32_t loadFailure(const std::filesystem::path& file, int64_t offset, std::string reason) {
    lastError = LoadError{file, offset, std::move(reason)};
    return 0;
}

void loadSuccess(const std::filesystem::path& file) { lastError = LoadError{file, 0, {}}; }

bool FileReader::open(const std::filesystem::path& path) {
    path_ = path;
    std::error_code ec;
    // A directory or a device would open but has no meaningful size.
    if (!std::filesystem::is_regular_file(path, ec)) {
        loadFailure(path, 0, ec ? "the file cannot be found (" + ec.message() + ")" : "this is not a regular file");
        return false;
    }
    file_.reset(std::fopen(path.c_str(), "rb"));
    if (!file_) {
        loadFailure(path, 0, std::string("the file cannot be opened for reading (") + std::strerror(errno) + ")");
        return false;
    }
    if (std::fseek(file_.get(), 0, SEEK_END) != 0 || (size_ = std::ftell(file_.get())) < 0 ||
        std::fseek(file_.get(), 0, SEEK_SET) != 0) {
        loadFailure(path, 0, "the size of the file cannot be determined");
        return false;
    }
    if (size_ > kMaxDataFileBytes) {
        loadFailure(path, 0, describe("the file holds %lld bytes, more than the limit of %lld",
                                      static_cast<long long>(size_), static_cast<long long>(kMaxDataFileBytes)));
        return false;
    }
    offset_ = 0;
    return true;
}

bool FileReader::seek(int64_t offset) {
    if (offset < 0 || offset > size_ || std::fseek(file_.get(), long(offset), SEEK_SET) != 0) {
        fail(offset, "cannot seek to this offset");
        return false;
    }
    offset_ = offset;
    return true;
}

bool FileReader::read(void* out, size_t n) {
    if (int64_t(n) > remaining()) {
        fail(offset_, describe("the file ends here: %zu bytes needed, %lld left", n,
                               static_cast<long long>(remaining())));
        return false;
    }
    // The file may have shrunk since its size was taken.
    if (std::fread(out, 1, n, file_.get()) != n) {
        fail(offset_, "reading the file failed");
        return false;
    }
    offset_ += int64_t(n);
    return true;
}

bool FileReader::readI32(int32_t& value) {
    uint8_t bytes[4];
    if (!read(bytes, sizeof bytes)) return false;
    value = readLe32(bytes);
    return true;
}

int32_t FileReader::fail(int64_t offset, std::string reason) const {
    return loadFailure(path_, offset, std::move(reason));
}

}  // namespace data
}  // namespace veloxia
