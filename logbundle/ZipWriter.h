#pragma once
// Writes a zip file entry by entry: each entry compressed with zlib's deflate (or stored when
// that is smaller to say), its header patched once its sizes are known, and the container
// switching to zip64 where a size, an offset or the number of entries needs it.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace diags::logbundle {

// One entry's bytes as they come: fills the buffer, returns how many bytes it put there (0 at
// the end), or -1 when reading failed (then `why` says why).
using ReadFn = std::function<std::int64_t(char* buffer, std::size_t capacity, std::string& why)>;

class ZipWriter {
public:
    ZipWriter() = default;
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // Creates the file. False and `why` when it cannot be created.
    bool Open(const std::string& path, std::string& why);
    // Adds an entry named `name` (UTF-8, '/' separated) with the modification time given as
    // seconds since 1970 (UTC); `sizeHint` is how large the data are expected to be (a file
    // that may pass 4 GiB gets a zip64 local header). False and `why` when the data could not
    // be read or written; an entry whose data failed is not listed in the archive.
    bool Add(const std::string& name, std::int64_t modified, std::uint64_t sizeHint, const ReadFn& read,
             std::string& why);
    bool AddBytes(const std::string& name, std::int64_t modified, std::string_view data, std::string& why);
    // Adds an entry whose deflated data were made elsewhere (by DeflateAll): no reading.
    bool AddDeflated(const std::string& name, std::int64_t modified, std::uint32_t crc, std::uint64_t size,
                     const std::vector<std::string>& deflated, std::string& why);
    // Writes the central directory and closes the file. False and `why` on failure.
    bool Finish(std::string& why);
    std::uint64_t BytesWritten() const noexcept { return offset_; }

private:
    struct Entry {
        std::string name;
        std::uint16_t time = 0, date = 0;
        std::uint32_t crc = 0;
        std::uint64_t compressed = 0, size = 0, offset = 0;
        bool zip64Local = false;
    };
    bool Write(const void* data, std::size_t size);
    bool WriteLocalHeader(Entry& entry, std::int64_t modified);
    bool PatchLocalHeader(const Entry& entry);

    std::FILE* file_ = nullptr;
    std::uint64_t offset_ = 0;
    std::vector<Entry> entries_;
    std::vector<char> in_, out_;
};

// Deflates everything `read` yields into memory, in pieces; the CRC-32 and size of the input.
bool DeflateAll(const ReadFn& read, std::uint32_t& crc, std::uint64_t& size, std::vector<std::string>& deflated,
                std::string& why);

}  // namespace diags::logbundle
