#pragma once
// The file store: the registry kept in one registry export file.
//
// Durability and concurrency:
// - Apply appends the changes as one commit (see RegFile.h) and flushes the file to disk
//   before it returns; a commit cut off by a crash is dropped when the file is next read.
// - Writers take an exclusive lock on "<file>.lock"; before appending, a writer reads what
//   other processes appended since it last looked (only that part), so nobody's saved keys
//   are lost.
// - When the appended commits outgrow the rest of the file (or a cut-off commit is found),
//   the file is compacted: the whole registry is written to a temporary file in the same
//   directory, flushed, and renamed over the old one. A reader always sees either file whole.
// - A file that cannot be parsed is reported (file, line, what is wrong) and left alone.
// - Every flush is recorded in the file by a flush mark (RegFile.h) covering what was appended
//   since the writer's previous flush, so after a power cut the reader keeps what was on disk
//   and drops the cut-off tail. The first save into a file of an earlier version (no marks)
//   first marks, and flushes, everything in it.
// - In a batch (BeginBatch/EndBatch) each Apply still takes the lock, reads what others
//   appended and appends its own checksummed commit, exactly as above, but skips the flush
//   and the compaction (and keeps the lock file and the file open between saves); EndBatch
//   flushes the file once and compacts when due. The lock is not
//   held across the batch: other processes (and other stores in this one) save and read
//   between the batch's commits without waiting for the batch, and cannot be starved or
//   time out behind it. Their flushes cover the batch's earlier commits too (a flush is per
//   file), and a compaction by another process writes them into the new file, flushed.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/registry/FileIo.h"
#include "platform/registry/RegFile.h"
#include "platform/registry/RunningHash.h"
#include "platform/registry/Store.h"

namespace diags::platform::registry {

class FileStore final : public Store {
public:
    explicit FileStore(std::string path);
    ~FileStore() override;
    FileStore(const FileStore&) = delete;
    FileStore& operator=(const FileStore&) = delete;

    std::string Location() const override { return path_; }
    void Invalidate() noexcept override;
    Status ReadTree(std::string_view path, std::optional<RegKey>& out) override;
    Status VisitTree(std::string_view path, const std::function<void(const RegKey*)>& visit) override;
    Status Apply(const std::vector<KeyChange>& changes) override;
    Status ApplyIfMissing(std::string_view path, const std::vector<KeyChange>& changes,
                          bool& applied) override;
    void BeginBatch() override;
    Status EndBatch() override;

    // Brings the in-memory registry up to date with the file (reading only what was appended
    // since the last look); Tree() stays valid until the next call on this store.
    Status Refresh();
    const RegKey& Tree() const noexcept { return tree_; }

    // Rewrites the file as one compact registry file (no commits).
    Status Compact();

    // Writes the whole registry under `path` to a separate file (UTF-16LE, importable).
    static Status ExportTree(const RegKey& key, const std::string& keyPath, const std::string& file);

    // Tuning for tests and benchmarks: compaction when the appended part exceeds this
    // fraction of the compacted part (and at least minCompactBytes).
    void SetCompaction(double ratio, std::uint64_t minBytes) noexcept {
        compactRatio_ = ratio;
        minCompactBytes_ = minBytes;
    }

private:
    class Lock;
    Status Load(bool mayCompact, Lock* lock);
    bool WantsCompaction() const noexcept;
    Status ApplyLocked(const std::vector<KeyChange>& changes);
    bool InBatch() const;
    const io::File* BatchFileIfCurrent();
    Status FlushBatch();
    void NoteTail(std::string_view bytesEndingAtIntactEnd);
    // Bookkeeping after `bytes` (holding `text`'s lines) were appended at intactEnd_.
    void NoteAppended(std::string_view bytes, std::string_view text);
    // A flush mark for what was appended since flushedEnd_, followed by `more`, ready to be
    // written at intactEnd_ of `file` (a file of an earlier version is marked first).
    Status FlushMarkFor(io::File& file, std::string_view more, std::string& mark);
    Status MarkEarlierVersion(io::File& file);

    mutable std::recursive_mutex mutex_;  // one process may use the store from several threads
    std::string path_;
    RegKey tree_;
    bool loaded_ = false;
    bool exists_ = false;
    std::uint64_t device_ = 0, inode_ = 0;
    std::uint64_t intactEnd_ = 0;   // bytes of the file reflected in tree_
    std::uint64_t baseEnd_ = 0;     // size of the compacted part
    std::size_t intactLines_ = 0;
    std::string tailCheck_;         // the last bytes before intactEnd_, to notice a rewrite in place
    RunningHash intactHash_;        // of the first intactEnd_ bytes, to notice an edit anywhere in them
    bool verify_ = false;           // the next load reads the whole file and checks intactHash_
    FileEncoding encoding_ = FileEncoding::Utf16Le;
    bool regedit4_ = false;
    double compactRatio_ = 1.0;
    std::uint64_t minCompactBytes_ = 256 * 1024;
    std::map<std::thread::id, int> batchDepth_;  // open batches per thread
    bool unflushed_ = false;                     // a batch appended commits not yet flushed
    std::uint64_t flushedEnd_ = 0;  // bytes of the file known to be on disk (marked or old)
    bool marked_ = false;           // the file holds a trusted flush mark
    // Kept open while a batch lasts, so its saves skip opening the lock file and the file
    // (the lock itself is still taken and given up per save).
    std::unique_ptr<Lock> batchLock_;
    io::File batchFile_;                         // read and write; checked against the path
    io::FileId batchFileId_;
};

// Writes `bytes` to `file` atomically and durably (temporary file, flush, rename, flush of
// the directory). Never leaves a partial file under the name.
Status WriteFileAtomically(const std::string& file, std::string_view bytes);

}  // namespace diags::platform::registry
