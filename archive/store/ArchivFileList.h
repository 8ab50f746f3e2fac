#pragma once

#include "archive/store/ArchivStorage.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class IArchivHost;

// One open archive file, shared by every archive object of the process that
// works on it. The file is held exclusively; objects reach it only through
// their entry. An entry that could not be put back on disk is dead: its
// storage is gone and every user sees the failure, none a dangling pointer.
class CArchivFileEntry {
public:
    const QString& GetPath() const { return m_path; }
    // The open storage; null once the entry is dead.
    std::shared_ptr<archive::Storage> GetStorage() const;
    bool IsDead() const;
    int GetRefCount() const;
    // Opened only for reading: nobody in this process has written to it or
    // recorded into it.
    bool IsReadOnly() const;

    // Writes the "hlavicka" stream so that it reads as `image`: the whole
    // stream when its name or size changed, else only the entries that differ
    // from what this process last wrote or read (every entry is one step that
    // a crash cannot split).
    bool WriteHeaderImage(const QByteArray& image);
    // What a read found on disk.
    void NoteHeaderImage(const QByteArray& image);

private:
    friend class CArchivFileList;
    explicit CArchivFileEntry(QString path) : m_path(std::move(path)) {}

    const QString m_path;
    mutable std::mutex m_mutex; // storage and header image
    std::shared_ptr<archive::Storage> m_storage;
    // A private copy: Qt's shared byte arrays are not handed between threads.
    std::string m_headerOnDisk;
    bool m_dead = false;
    bool m_readOnly = false;
    int m_refCount = 0; // guarded by the list's lock
};

// The process-wide list of open archive files, one entry per path (exact,
// case-sensitive comparison). A file opened for reading is opened read-only:
// viewing never changes a byte of it and leaves other readers in. The first
// writer (a recording, a merge, a settings write) reopens it for writing for
// all its users. Safe from every thread; questions to the user go through the
// host with no lock held.
class CArchivFileList {
public:
    static CArchivFileList& Instance();

    explicit CArchivFileList(std::shared_ptr<archive::StorageProvider> provider);
    CArchivFileList(const CArchivFileList&) = delete;
    CArchivFileList& operator=(const CArchivFileList&) = delete;

    // Tests put a storage with injected faults in front of the files.
    void SetProvider(std::shared_ptr<archive::StorageProvider> provider);
    std::shared_ptr<archive::StorageProvider> GetProvider() const;

    // Reading: an entry in use gains a reference, else the file is opened
    // read-only.
    // Writing with useExisting: the same, and a missing (or unreadable) file is
    // created, asking 32254 before replacing an existing one. Writing without
    // useExisting: a file in use is replaced for all its users after 32258,
    // any other file created (32254 before replacing). Null on failure or No.
    std::shared_ptr<CArchivFileEntry> Open(const QString& path, bool forWriting, bool useExisting,
                                           IArchivHost& host);
    // For recording into a file that exists: an entry in use gains a
    // reference, else the file is opened; it is never created. Null with the
    // storage's status (Failed: the file cannot be read as an archive).
    std::shared_ptr<CArchivFileEntry> OpenExisting(const QString& path, archive::StorageStatus* status);
    // Renames the file at `path` to `aside` unchanged. An entry of that path
    // leaves the list first: its users keep reading the renamed file and a
    // later open of `path` finds the new one.
    bool MoveAside(const QString& path, const QString& aside);
    // Creates the file anew without asking (download import).
    std::shared_ptr<CArchivFileEntry> CreateNew(const QString& path);
    // The entry opened for writing (see Storage::IsSettled for `onlyIfSettled`:
    // a file only read so far is left as it is when a write would rewrite
    // it). False when it cannot be written; the entry then stays as it was.
    bool MakeWritable(const std::shared_ptr<CArchivFileEntry>& entry, bool onlyIfSettled,
                      archive::StorageStatus* status = nullptr);
    // Drops one reference; the last one closes the file.
    void Release(const std::shared_ptr<CArchivFileEntry>& entry);
    // Puts what was written on disk. When that fails the file is opened
    // again as it is on disk (the entry lives on, false); when even that
    // fails the entry dies, leaves the list and, with a name, the host is
    // told to stop recording to it.
    bool Reopen(const std::shared_ptr<CArchivFileEntry>& entry, const QString& reportName, IArchivHost& host);

    std::shared_ptr<CArchivFileEntry> Find(const QString& path) const;
    int GetOpenCount() const;

private:
    std::shared_ptr<CArchivFileEntry> FindLocked(const QString& path) const;
    std::shared_ptr<CArchivFileEntry> AddLocked(const QString& path, std::shared_ptr<archive::Storage> storage,
                                                bool readOnly = false);
    bool MakeWritableLocked(const std::shared_ptr<CArchivFileEntry>& entry, bool onlyIfSettled,
                            archive::StorageStatus* status);
    bool RecreateLocked(const std::shared_ptr<CArchivFileEntry>& entry);
    // The open entry, started afresh for one more user; null when it cannot be.
    std::shared_ptr<CArchivFileEntry> ReuseAfreshLocked(const std::shared_ptr<CArchivFileEntry>& entry);
    bool OpenAgainLocked(const std::shared_ptr<CArchivFileEntry>& entry);
    void KillLocked(const std::shared_ptr<CArchivFileEntry>& entry);

    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<CArchivFileEntry>> m_entries;
    std::shared_ptr<archive::StorageProvider> m_provider;
};
