#include "platform/registry/FileStore.h"

#include <algorithm>
#include <utility>

#include "platform/registry/FileIo.h"
#include "platform/registry/RegFile.h"

namespace diags::platform::registry {
namespace {

constexpr int kLockTimeoutMs = 15000;

std::size_t CountLines(std::string_view text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// Removes a temporary file unless it was handed over (renamed into place).
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!path_.empty()) io::RemoveFile(path_);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const noexcept { return path_; }
    void Release() noexcept { path_.clear(); }

private:
    std::string path_;
};

std::string WholeRegistryText(const RegKey& tree) {
    std::string text;
    for (const auto& hive : tree.Children()) FormatTree(*hive, hive->Name(), text);
    return text;
}

}  // namespace

class FileStore::Lock : public io::ExclusiveLock {};

void AppendTreeChanges(const RegKey& key, const std::string& path, std::vector<KeyChange>& out) {
    KeyChange change;
    change.path = path;
    change.values.reserve(key.Values().size());
    for (const auto v : key.Values()) change.values.push_back({std::string(v.name), v.value.Copy()});
    out.push_back(std::move(change));
    for (const auto& child : key.Children()) AppendTreeChanges(*child, path + "\\" + child->Name(), out);
}

Status WriteFileAtomically(const std::string& file, std::string_view bytes) {
    TemporaryFile temp(io::TemporaryNameFor(file));
    {
        io::File out;
        if (Status s = io::File::OpenWrite(temp.Path(), true, out); !s) return s;
        if (Status s = out.WriteAt(0, bytes); !s) return s;
        if (Status s = out.Sync(); !s) return s;
    }
    if (Status s = io::RenameOver(temp.Path(), file); !s) return s;
    temp.Release();
    return io::SyncDirectory(io::DirectoryOf(file));
}

void FileStore::NoteTail(std::string_view bytesEndingAtIntactEnd) {
    constexpr std::size_t kTail = 64;
    const std::size_t n = std::min(kTail, bytesEndingAtIntactEnd.size());
    tailCheck_ = std::string(bytesEndingAtIntactEnd.substr(bytesEndingAtIntactEnd.size() - n));
}

FileStore::FileStore(std::string path) : path_(std::move(path)) {}
FileStore::~FileStore() {
    // A batch left open (its owner never ended it): flush what it appended, best effort.
    if (unflushed_) (void)FlushBatch();
}

bool FileStore::WantsCompaction() const noexcept {
    if (!exists_) return false;
    const std::uint64_t appended = intactEnd_ - std::min(baseEnd_, intactEnd_);
    return appended >= minCompactBytes_ && static_cast<double>(appended) > compactRatio_ * static_cast<double>(baseEnd_);
}

Status FileStore::Refresh() {
    std::lock_guard guard(mutex_);
    Lock lock;
    const Status locked = lock.Acquire(path_ + ".lock", kLockTimeoutMs);
    // Without the lock (a read-only directory) the file is still read, but never rewritten.
    return Load(locked.ok(), locked.ok() ? &lock : nullptr);
}

// The file a batch keeps open, when it is still the one at the path (another process's
// compaction may have replaced it); null otherwise.
const io::File* FileStore::BatchFileIfCurrent() {
    if (!batchFile_.IsOpen() || !InBatch()) return nullptr;
    io::FileId now;
    bool missing = false;
    if (io::IdOfPath(path_, now, missing).ok() && !missing && now.device == batchFileId_.device &&
        now.inode == batchFileId_.inode)
        return &batchFile_;
    batchFile_ = io::File();
    return nullptr;
}

Status FileStore::Load(bool mayCompact, Lock* lock) {
    io::File opened;
    const io::File* kept = BatchFileIfCurrent();
    const io::File& file = kept ? *kept : opened;
    bool missing = false;
    if (!kept) {
        if (Status s = io::File::OpenRead(path_, opened, missing); !s) return s;
    }
    if (missing) {
        tree_ = RegKey();
        tailCheck_.clear();
        intactHash_ = RunningHash();
        verify_ = false;
        exists_ = false;
        loaded_ = true;
        intactEnd_ = baseEnd_ = 0;
        intactLines_ = 0;
        flushedEnd_ = 0;
        marked_ = false;
        return Status::Ok();
    }
    io::FileId id;
    if (Status s = file.Id(id); !s) return s;
    bool torn = false;
    // Only what other processes appended since we last looked is parsed, when the file is the
    // one we read: same identity, and the bytes just before the appended part as we left them
    // (an editor may have rewritten the file in place). After Invalidate every byte we read
    // before is checked against its running hash instead.
    std::string bytes;
    bool appendedOnly = loaded_ && exists_ && id.device == device_ && id.inode == inode_ && id.size >= intactEnd_;
    const bool verify = std::exchange(verify_, false);
    if (appendedOnly && verify) {
        // A fresh read: every byte read before must still be there, not only the last ones.
        // They are hashed piece by piece (the file may be large; the hash covers the length,
        // so a file cut short meanwhile differs), and only what follows them is kept.
        RunningHash before;
        if (Status s = file.ReadPieces(0, intactEnd_, [&](std::string_view piece) { before.Add(piece); }); !s)
            return s;
        appendedOnly = before == intactHash_;
        if (appendedOnly) {
            if (Status s = file.ReadFrom(intactEnd_, bytes); !s) return s;
        }
    } else if (appendedOnly) {
        const std::uint64_t checkFrom = intactEnd_ - std::min<std::uint64_t>(intactEnd_, tailCheck_.size());
        if (Status s = file.ReadFrom(checkFrom, bytes); !s) return s;
        appendedOnly = bytes.compare(0, tailCheck_.size(), tailCheck_) == 0 && bytes.size() >= tailCheck_.size();
        if (appendedOnly) bytes.erase(0, tailCheck_.size());
    }
    if (appendedOnly) {
        if (bytes.empty()) return Status::Ok();
        ParsedFile parsed;
        ParseOptions options;
        options.expectHeader = false;
        options.encoding = encoding_;
        options.firstLine = intactLines_ + 1;
        options.byteOffset = intactEnd_;
        if (Status s = ParseRegFile(bytes, path_, parsed, options); !s) return s;
        ApplyAll(tree_, parsed.changes);
        const std::string_view appended = std::string_view(bytes).substr(0, static_cast<std::size_t>(parsed.intactEnd - intactEnd_));
        NoteTail(tailCheck_ + std::string(appended));
        intactHash_.Add(appended);
        intactEnd_ = parsed.intactEnd;
        intactLines_ += parsed.intactLines;
        torn = parsed.tornTail;
    } else {
        if (Status s = file.ReadFrom(0, bytes); !s) return s;
        ParsedFile parsed;
        RegKey tree;
        ParseOptions options;
        options.applyTo = &tree;
        if (Status s = ParseRegFile(bytes, path_, parsed, options); !s) return s;
        ApplyAll(tree, std::move(parsed.changes));  // whatever a parse still collected comes after
        tree_ = std::move(tree);
        device_ = id.device;
        inode_ = id.inode;
        intactEnd_ = parsed.intactEnd;
        NoteTail(std::string_view(bytes).substr(0, static_cast<std::size_t>(intactEnd_)));
        intactHash_ = RunningHash();
        intactHash_.Add(std::string_view(bytes).substr(0, static_cast<std::size_t>(intactEnd_)));
        baseEnd_ = parsed.baseEnd;
        intactLines_ = parsed.intactLines;
        encoding_ = parsed.encoding;
        regedit4_ = parsed.regedit4;
        // Without a mark the file comes from an earlier version, which flushed every save.
        marked_ = parsed.flushedEnd != 0;
        flushedEnd_ = marked_ ? parsed.flushedEnd : intactEnd_;
        exists_ = true;
        loaded_ = true;
        torn = parsed.tornTail;
    }
    if (mayCompact && lock && (torn || WantsCompaction())) {
        // Best effort: the registry is read either way; a failed compaction leaves the file as it was.
        (void)Compact();
    }
    return Status::Ok();
}

Status FileStore::Compact() {
    std::lock_guard guard(mutex_);
    // The file is on disk whole before it gets its name: an empty flush mark says so.
    const std::string bytes = EncodedHeader(FileEncoding::Utf16Le) +
                              EncodeText(WholeRegistryText(tree_) + FormatFlushMark(0, Crc32({})), FileEncoding::Utf16Le);
    if (Status s = io::EnsureDirectoryFor(path_); !s) return s;
    if (Status s = WriteFileAtomically(path_, bytes); !s) return s;
    io::File file;
    bool missing = false;
    io::FileId id;
    if (Status s = io::File::OpenRead(path_, file, missing); !s || missing) {
        loaded_ = false;  // re-read from scratch next time
        return s;
    }
    if (Status s = file.Id(id); !s) {
        loaded_ = false;
        return s;
    }
    device_ = id.device;
    inode_ = id.inode;
    intactEnd_ = baseEnd_ = bytes.size();
    NoteTail(bytes);
    intactHash_ = RunningHash();
    intactHash_.Add(bytes);
    intactLines_ = CountLines(WholeRegistryText(tree_)) + 3;
    flushedEnd_ = bytes.size();
    marked_ = true;
    encoding_ = FileEncoding::Utf16Le;
    regedit4_ = false;
    exists_ = true;
    loaded_ = true;
    return Status::Ok();
}

void FileStore::Invalidate() noexcept {
    std::lock_guard guard(mutex_);
    verify_ = true;
}

Status FileStore::ReadTree(std::string_view path, std::optional<RegKey>& out) {
    std::lock_guard guard(mutex_);
    out.reset();
    if (Status s = Refresh(); !s) return s;
    if (const RegKey* key = tree_.FindPath(path)) out.emplace(*key);
    return Status::Ok();
}

Status FileStore::VisitTree(std::string_view path, const std::function<void(const RegKey*)>& visit) {
    std::lock_guard guard(mutex_);
    if (Status s = Refresh(); !s) return s;
    visit(tree_.FindPath(path));
    return Status::Ok();
}

Status FileStore::Apply(const std::vector<KeyChange>& changes) {
    std::lock_guard guard(mutex_);
    const bool batch = InBatch();
    // In a batch the previous save left the file in place; the directory needs no check.
    if (Status s = batch && loaded_ && exists_ ? Status::Ok() : io::EnsureDirectoryFor(path_); !s)
        return Status::Fail("cannot save to " + path_ + ": " + s.message());
    Lock own;
    if (batch && !batchLock_) batchLock_ = std::make_unique<Lock>();
    Lock& lock = batch ? *batchLock_ : own;
    if (Status s = lock.Acquire(path_ + ".lock", kLockTimeoutMs); !s)
        return Status::Fail("cannot save to " + path_ + ": " + s.message());
    struct Release {
        Lock& lock;
        ~Release() { lock.Release(); }
    } release{lock};
    if (Status s = Load(false, &lock); !s) return s;
    return ApplyLocked(changes);
}

Status FileStore::ApplyIfMissing(std::string_view path, const std::vector<KeyChange>& changes, bool& applied) {
    std::lock_guard guard(mutex_);
    applied = false;
    if (Status s = io::EnsureDirectoryFor(path_); !s) return Status::Fail("cannot save to " + path_ + ": " + s.message());
    Lock lock;
    if (Status s = lock.Acquire(path_ + ".lock", kLockTimeoutMs); !s)
        return Status::Fail("cannot save to " + path_ + ": " + s.message());
    if (Status s = Load(false, &lock); !s) return s;
    if (tree_.FindPath(path)) return Status::Ok();
    if (Status s = ApplyLocked(changes); !s) return s;
    applied = true;
    return Status::Ok();
}

Status FileStore::ApplyLocked(const std::vector<KeyChange>& changes) {
    if (!exists_ || regedit4_) {
        // A new file (or an ANSI one, which is rewritten in the current format): write it whole.
        RegKey saved = tree_;
        ApplyAll(tree_, changes);
        if (Status s = Compact(); !s) {
            tree_ = std::move(saved);
            return Status::Fail("cannot save to " + path_ + ": " + s.message());
        }
        return Status::Ok();
    }

    std::string sections;
    for (const auto& change : changes) sections += FormatChange(change);
    std::string text = FormatCommit(sections);
    std::string bytes = EncodeText(text, encoding_);

    io::File opened;
    const bool batch = InBatch();
    if (batch && !(batchFile_.IsOpen() && batchFileId_.device == device_ && batchFileId_.inode == inode_)) {
        batchFile_ = io::File();
        if (Status s = io::File::OpenWrite(path_, false, batchFile_); !s)
            return Status::Fail("cannot save to " + path_ + ": " + s.message());
        if (Status s = batchFile_.Id(batchFileId_); !s) {
            batchFile_ = io::File();
            return s;
        }
    } else if (!batch) {
        if (Status s = io::File::OpenWrite(path_, false, opened); !s)
            return Status::Fail("cannot save to " + path_ + ": " + s.message());
    }
    io::File& file = batch ? batchFile_ : opened;
    io::FileId id;
    if (Status s = file.Id(id); !s) return s;
    if (id.device != device_ || id.inode != inode_)
        return Status::Fail("cannot save to " + path_ + ": the file was replaced while it was being saved");
    auto undo = [&](const Status& why) {
        (void)file.Truncate(intactEnd_);  // best effort; a cut-off commit is ignored anyway
        (void)file.Sync();
        return Status::Fail("cannot save to " + path_ + ": " + why.message());
    };
    if (id.size > intactEnd_) {  // a commit a crashed writer left unfinished
        if (Status s = file.Truncate(intactEnd_); !s) return undo(s);
    }
    if (!marked_) {
        if (Status s = MarkEarlierVersion(file); !s) return undo(s);
    }
    if (!batch) {  // flushed right away: the commit carries its flush mark
        std::string mark;
        if (Status s = FlushMarkFor(file, bytes, mark); !s) return undo(s);
        text += mark;
        bytes += EncodeText(mark, encoding_);
    }
    if (Status s = file.WriteAt(intactEnd_, bytes); !s) return undo(s);
    if (!batch) {
        if (Status s = file.Sync(); !s) return undo(s);
    }

    ApplyAll(tree_, changes);
    NoteAppended(bytes, text);
    if (!batch) flushedEnd_ = intactEnd_;
    if (batch) {
        unflushed_ = true;  // flushed (and compacted when due) by EndBatch
    } else if (WantsCompaction()) {
        (void)Compact();  // the commit is already durable
    }
    return Status::Ok();
}

void FileStore::NoteAppended(std::string_view bytes, std::string_view text) {
    intactEnd_ += bytes.size();
    NoteTail(tailCheck_ + std::string(bytes));
    intactHash_.Add(bytes);
    intactLines_ += CountLines(text);
}

Status FileStore::FlushMarkFor(io::File& file, std::string_view more, std::string& mark) {
    std::string unflushed;
    if (flushedEnd_ < intactEnd_) {
        if (Status s = file.ReadFrom(flushedEnd_, unflushed); !s) return s;
        unflushed.resize(static_cast<std::size_t>(std::min<std::uint64_t>(unflushed.size(), intactEnd_ - flushedEnd_)));
    }
    const std::uint64_t length = unflushed.size() + more.size();
    mark = FormatFlushMark(length, Crc32(more, Crc32(unflushed)));
    return Status::Ok();
}

// A file written by an earlier version holds no marks; it flushed every save, so everything
// in it is on disk. That is marked, and flushed, before anything is appended after it.
Status FileStore::MarkEarlierVersion(io::File& file) {
    const std::string text = "\n" + FormatFlushMark(0, Crc32({}));
    const std::string bytes = EncodeText(text, encoding_);
    if (Status s = file.WriteAt(intactEnd_, bytes); !s) return s;
    if (Status s = file.Sync(); !s) return s;
    NoteAppended(bytes, text);
    flushedEnd_ = intactEnd_;
    marked_ = true;
    return Status::Ok();
}

bool FileStore::InBatch() const { return batchDepth_.count(std::this_thread::get_id()) != 0; }

void FileStore::BeginBatch() {
    std::lock_guard guard(mutex_);
    ++batchDepth_[std::this_thread::get_id()];
}

Status FileStore::EndBatch() {
    std::lock_guard guard(mutex_);
    const auto it = batchDepth_.find(std::this_thread::get_id());
    if (it == batchDepth_.end()) return Status::Ok();
    if (--it->second > 0) return Status::Ok();
    batchDepth_.erase(it);
    if (batchDepth_.empty()) {
        batchFile_ = io::File();
        batchLock_.reset();
    }
    return unflushed_ ? FlushBatch() : Status::Ok();
}

// One flush of the file covers every commit appended to it. Commits that went into a file
// another process has since compacted are in the new file, which that process flushed before
// renaming it into place.
Status FileStore::FlushBatch() {
    Lock lock;
    const bool locked = lock.Acquire(path_ + ".lock", kLockTimeoutMs).ok() && Load(false, &lock).ok();
    {
        io::File file;
        if (Status s = io::File::OpenWrite(path_, false, file); !s)
            return Status::Fail("cannot save to " + path_ + ": " + s.message());
        // Under the lock, in the file the batch appended to, its flush is marked: what was
        // appended since the last flush, by this store or by others, is covered by the mark.
        io::FileId id;
        if (locked && marked_ && flushedEnd_ < intactEnd_ && file.Id(id).ok() && id.device == device_ &&
            id.inode == inode_ && id.size >= intactEnd_) {
            std::string mark;
            if (Status s = FlushMarkFor(file, {}, mark); !s) return Status::Fail("cannot save to " + path_ + ": " + s.message());
            const std::string bytes = EncodeText(mark, encoding_);
            if (id.size > intactEnd_) {
                if (Status s = file.Truncate(intactEnd_); !s) return Status::Fail("cannot save to " + path_ + ": " + s.message());
            }
            if (Status s = file.WriteAt(intactEnd_, bytes); !s) return Status::Fail("cannot save to " + path_ + ": " + s.message());
            if (Status s = file.Sync(); !s) return Status::Fail("cannot save to " + path_ + ": " + s.message());
            NoteAppended(bytes, mark);
            flushedEnd_ = intactEnd_;
        } else if (Status s = file.Sync(); !s) {
            return Status::Fail("cannot save to " + path_ + ": " + s.message());
        }
    }
    unflushed_ = false;
    // The compactions the batch's saves skipped; best effort, the saves are durable already.
    if (locked && WantsCompaction()) (void)Compact();
    return Status::Ok();
}

Status FileStore::ExportTree(const RegKey& key, const std::string& keyPath, const std::string& file) {
    std::string text;
    FormatTree(key, keyPath, text);
    return WriteFileAtomically(file, EncodedHeader(FileEncoding::Utf16Le) + EncodeText(text, FileEncoding::Utf16Le));
}

}  // namespace diags::platform::registry
