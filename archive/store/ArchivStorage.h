#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The compound-file operations the archive store needs, behind one small
// interface: the production storage is a cfb file (CfbArchivStorage.h); tests
// put a storage with injected faults in front of it.
namespace archive {

enum class StorageStatus {
    Ok,
    NotFound,      // no stream or file of that name
    AlreadyExists, // a file of that name exists (create without overwrite)
    Locked,        // another holder has the file
    Failed,        // any other failure (I/O, damaged file, closed storage)
};

// One open stream. Every call is safe from any thread; a stream outlives a
// closed storage only to report failures.
class StorageStream {
public:
    virtual ~StorageStream() = default;
    // -1 on failure.
    virtual std::int64_t Size() = 0;
    // Bytes read (fewer only at the end of the stream), -1 on failure.
    virtual std::int64_t ReadAt(std::uint64_t offset, void* data, std::int64_t size) = 0;
    // All bytes or failure; a gap before offset reads as zeros.
    virtual bool WriteAt(std::uint64_t offset, const void* data, std::int64_t size) = 0;
    virtual bool SetSize(std::uint64_t size) = 0;
};

// An open compound file. Every call is safe from any thread; a call that
// changes the file either happens whole or not at all, also when the process
// is killed during it.
class Storage {
public:
    virtual ~Storage() = default;
    virtual std::unique_ptr<StorageStream> OpenStream(const std::string& name, StorageStatus* status = nullptr) = 0;
    // A new stream, or an existing one emptied.
    virtual std::unique_ptr<StorageStream> CreateStream(const std::string& name, StorageStatus* status = nullptr) = 0;
    virtual StorageStatus ReadStream(const std::string& name, QByteArray& data) = 0;
    // Creates or replaces the whole stream in one step.
    virtual StorageStatus WriteStream(const std::string& name, const QByteArray& data) = 0;
    virtual StorageStatus Destroy(const std::string& name) = 0;
    virtual bool Exists(const std::string& name) = 0;
    virtual std::vector<std::string> StreamNames() = 0;
    // Puts everything written so far on disk.
    virtual StorageStatus Flush() = 0;
    // Releases the file; later calls fail.
    virtual void Close() = 0;
    // Whether a write would change no byte beyond the ones written: a
    // container that is not whole, or holds space a writer would give back,
    // is rewritten by any write.
    virtual bool IsSettled() { return true; }
};

// Opens and creates files. Files opened for writing are held exclusively
// until closed.
class StorageProvider {
public:
    virtual ~StorageProvider() = default;
    virtual std::shared_ptr<Storage> Open(const QString& path, StorageStatus* status = nullptr) = 0;
    // For reading only: not a byte of the file changes, also when it closes,
    // and other readers are not shut out. Writes through it fail.
    virtual std::shared_ptr<Storage> OpenReadOnly(const QString& path, StorageStatus* status = nullptr)
    {
        return Open(path, status);
    }
    // Without overwrite an existing file gives AlreadyExists.
    virtual std::shared_ptr<Storage> Create(const QString& path, bool overwrite, StorageStatus* status = nullptr) = 0;
};

} // namespace archive
