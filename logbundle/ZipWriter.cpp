#include "logbundle/ZipWriter.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <filesystem>

#include <zlib.h>

#include "base/CalendarTime.h"

namespace diags::logbundle {
namespace {

constexpr std::size_t kChunk = 256 * 1024;
constexpr std::uint32_t kMax32 = 0xFFFFFFFFu;
constexpr std::uint16_t kVersion = 20, kVersionZip64 = 45;
constexpr std::uint16_t kUtf8Names = 0x0800;
constexpr std::uint16_t kDeflate = 8;
// Files expected to reach this size get a zip64 local header: they may still grow while read.
constexpr std::uint64_t kZip64LocalFrom = 0xC0000000ull;

void Put16(std::string& b, std::uint16_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>(v >> 8);
}
void Put32(std::string& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void Put64(std::string& b, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) b += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// MS-DOS time and date of a moment (UTC; DOS has no zone). Before 1980 is 1980-01-01.
void DosTime(std::int64_t seconds, std::uint16_t& time, std::uint16_t& date) {
    const std::tm tm = base::UtcParts(seconds);
    if (tm.tm_year < 80) {
        time = 0;
        date = (1 << 5) | 1;
        return;
    }
    time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    date = static_cast<std::uint16_t>(((tm.tm_year - 80) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
}

int Seek(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(offset), SEEK_SET);
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

// Streams `read` through deflate, handing every compressed piece to `sink`.
bool Deflate(const ReadFn& read, std::vector<char>& in, std::vector<char>& out, std::uint32_t& crc,
             std::uint64_t& size, const std::function<bool(const char*, std::size_t)>& sink, std::string& readError,
             std::string& why) {
    z_stream z{};
    if (deflateInit2(&z, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        why = "deflate could not start";
        return false;
    }
    struct End {
        z_stream& z;
        ~End() { deflateEnd(&z); }
    } end{z};
    in.resize(kChunk);
    out.resize(kChunk);
    crc = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
    size = 0;
    int flush = Z_NO_FLUSH;
    while (flush != Z_FINISH) {
        const std::int64_t got = read(in.data(), in.size(), readError);
        if (got <= 0) {
            flush = Z_FINISH;  // a read that failed ends the entry with what was read
        } else {
            crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(in.data()), static_cast<uInt>(got)));
            size += static_cast<std::uint64_t>(got);
        }
        z.next_in = reinterpret_cast<Bytef*>(in.data());
        z.avail_in = got > 0 ? static_cast<uInt>(got) : 0;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            const int r = deflate(&z, flush);
            if (r == Z_STREAM_ERROR) {
                why = "deflate failed";
                return false;
            }
            const std::size_t produced = out.size() - z.avail_out;
            if (produced > 0 && !sink(out.data(), produced)) {
                why = std::strerror(errno);
                return false;
            }
        } while (z.avail_out == 0);
    }
    return true;
}

}  // namespace

ZipWriter::~ZipWriter() {
    if (file_) std::fclose(file_);
}

bool ZipWriter::Open(const std::string& path, std::string& why) {
#ifdef _WIN32
    // The name is UTF-8: opened by its wide form, so no character is lost to the code page.
    const std::filesystem::path name(std::u8string(path.begin(), path.end()));
    file_ = _wfopen(name.c_str(), L"wb");
#else
    file_ = std::fopen(path.c_str(), "wb");
#endif
    if (!file_) {
        why = "cannot create " + path + ": " + std::strerror(errno);
        return false;
    }
    std::setvbuf(file_, nullptr, _IOFBF, 1 << 20);
    return true;
}

bool ZipWriter::Write(const void* data, std::size_t size) {
    if (std::fwrite(data, 1, size, file_) != size) return false;
    offset_ += size;
    return true;
}

bool ZipWriter::WriteLocalHeader(Entry& e, std::int64_t modified) {
    DosTime(modified, e.time, e.date);
    e.offset = offset_;
    std::string h;
    Put32(h, 0x04034b50);
    Put16(h, e.zip64Local ? kVersionZip64 : kVersion);
    Put16(h, kUtf8Names);
    Put16(h, kDeflate);
    Put16(h, e.time);
    Put16(h, e.date);
    Put32(h, e.crc);
    Put32(h, e.zip64Local ? kMax32 : static_cast<std::uint32_t>(e.compressed));
    Put32(h, e.zip64Local ? kMax32 : static_cast<std::uint32_t>(e.size));
    Put16(h, static_cast<std::uint16_t>(e.name.size()));
    Put16(h, e.zip64Local ? 20 : 0);
    h += e.name;
    if (e.zip64Local) {
        Put16(h, 0x0001);
        Put16(h, 16);
        Put64(h, e.size);
        Put64(h, e.compressed);
    }
    return Write(h.data(), h.size());
}

bool ZipWriter::PatchLocalHeader(const Entry& e) {
    std::string h;
    Put32(h, e.crc);
    Put32(h, e.zip64Local ? kMax32 : static_cast<std::uint32_t>(e.compressed));
    Put32(h, e.zip64Local ? kMax32 : static_cast<std::uint32_t>(e.size));
    if (Seek(file_, e.offset + 14) != 0 || std::fwrite(h.data(), 1, h.size(), file_) != h.size()) return false;
    if (e.zip64Local) {
        std::string sizes;
        Put64(sizes, e.size);
        Put64(sizes, e.compressed);
        if (Seek(file_, e.offset + 30 + e.name.size() + 4) != 0 ||
            std::fwrite(sizes.data(), 1, sizes.size(), file_) != sizes.size())
            return false;
    }
    return Seek(file_, offset_) == 0;
}

bool ZipWriter::Add(const std::string& name, std::int64_t modified, std::uint64_t sizeHint, const ReadFn& read,
                    std::string& why) {
    Entry e;
    e.name = name;
    e.zip64Local = sizeHint >= kZip64LocalFrom;
    if (!WriteLocalHeader(e, modified)) {
        why = std::strerror(errno);
        return false;
    }
    const std::uint64_t dataStart = offset_;
    std::string readError, writeError;
    const bool ok = Deflate(read, in_, out_, e.crc, e.size,
                            [&](const char* data, std::size_t n) { return Write(data, n); }, readError, writeError);
    if (!ok) {
        why = writeError;
        return false;
    }
    e.compressed = offset_ - dataStart;
    if (!e.zip64Local && (e.size >= kMax32 || e.compressed >= kMax32)) {
        why = name + " grew past 4 GiB while it was read";
        return false;
    }
    if (!PatchLocalHeader(e)) {
        why = std::strerror(errno);
        return false;
    }
    entries_.push_back(std::move(e));
    why = readError;  // a read that failed part way: the entry holds what was read
    return true;
}

bool ZipWriter::AddBytes(const std::string& name, std::int64_t modified, std::string_view data, std::string& why) {
    std::size_t at = 0;
    return Add(name, modified, data.size(),
               [&](char* buffer, std::size_t capacity, std::string&) -> std::int64_t {
                   const std::size_t n = std::min(capacity, data.size() - at);
                   std::memcpy(buffer, data.data() + at, n);
                   at += n;
                   return static_cast<std::int64_t>(n);
               },
               why);
}

bool ZipWriter::AddDeflated(const std::string& name, std::int64_t modified, std::uint32_t crc, std::uint64_t size,
                            const std::vector<std::string>& deflated, std::string& why) {
    Entry e;
    e.name = name;
    e.crc = crc;
    e.size = size;
    for (const std::string& piece : deflated) e.compressed += piece.size();
    e.zip64Local = e.size >= kMax32 || e.compressed >= kMax32;
    if (!WriteLocalHeader(e, modified)) {
        why = std::strerror(errno);
        return false;
    }
    for (const std::string& piece : deflated)
        if (!Write(piece.data(), piece.size())) {
            why = std::strerror(errno);
            return false;
        }
    entries_.push_back(std::move(e));
    return true;
}

bool ZipWriter::Finish(std::string& why) {
    const std::uint64_t directoryStart = offset_;
    for (const Entry& e : entries_) {
        std::string extra;
        if (e.size >= kMax32) Put64(extra, e.size);
        if (e.compressed >= kMax32) Put64(extra, e.compressed);
        if (e.offset >= kMax32) Put64(extra, e.offset);
        const bool zip64 = !extra.empty();
        std::string h;
        Put32(h, 0x02014b50);
        Put16(h, kVersionZip64);
        Put16(h, zip64 || e.zip64Local ? kVersionZip64 : kVersion);
        Put16(h, kUtf8Names);
        Put16(h, kDeflate);
        Put16(h, e.time);
        Put16(h, e.date);
        Put32(h, e.crc);
        Put32(h, e.compressed >= kMax32 ? kMax32 : static_cast<std::uint32_t>(e.compressed));
        Put32(h, e.size >= kMax32 ? kMax32 : static_cast<std::uint32_t>(e.size));
        Put16(h, static_cast<std::uint16_t>(e.name.size()));
        Put16(h, static_cast<std::uint16_t>(zip64 ? extra.size() + 4 : 0));
        Put16(h, 0);  // comment
        Put16(h, 0);  // disk
        Put16(h, 0);  // internal attributes
        Put32(h, 0);  // external attributes
        Put32(h, e.offset >= kMax32 ? kMax32 : static_cast<std::uint32_t>(e.offset));
        h += e.name;
        if (zip64) {
            Put16(h, 0x0001);
            Put16(h, static_cast<std::uint16_t>(extra.size()));
            h += extra;
        }
        if (!Write(h.data(), h.size())) {
            why = std::strerror(errno);
            return false;
        }
    }
    const std::uint64_t directoryEnd = offset_, directorySize = directoryEnd - directoryStart;
    const std::uint64_t count = entries_.size();
    std::string t;
    const bool zip64 = count >= 0xFFFF || directorySize >= kMax32 || directoryStart >= kMax32;
    if (zip64) {
        Put32(t, 0x06064b50);
        Put64(t, 44);
        Put16(t, kVersionZip64);
        Put16(t, kVersionZip64);
        Put32(t, 0);
        Put32(t, 0);
        Put64(t, count);
        Put64(t, count);
        Put64(t, directorySize);
        Put64(t, directoryStart);
        Put32(t, 0x07064b50);
        Put32(t, 0);
        Put64(t, directoryEnd);
        Put32(t, 1);
    }
    Put32(t, 0x06054b50);
    Put16(t, 0);
    Put16(t, 0);
    Put16(t, zip64 ? 0xFFFF : static_cast<std::uint16_t>(count));
    Put16(t, zip64 ? 0xFFFF : static_cast<std::uint16_t>(count));
    Put32(t, zip64 ? kMax32 : static_cast<std::uint32_t>(directorySize));
    Put32(t, zip64 ? kMax32 : static_cast<std::uint32_t>(directoryStart));
    Put16(t, 0);
    const bool written = Write(t.data(), t.size());
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!written || !closed) {
        why = std::strerror(errno);
        return false;
    }
    return true;
}

bool DeflateAll(const ReadFn& read, std::uint32_t& crc, std::uint64_t& size, std::vector<std::string>& deflated,
                std::string& why) {
    std::vector<char> in, out;
    std::string readError;
    const bool ok = Deflate(read, in, out, crc, size,
                            [&](const char* data, std::size_t n) {
                                deflated.emplace_back(data, n);
                                return true;
                            },
                            readError, why);
    if (ok) why = readError;
    return ok;
}

}  // namespace diags::logbundle
