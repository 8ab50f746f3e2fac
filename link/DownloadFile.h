#pragma once

#include "model/PrevodTyp.h"

#include <QFile>
#include <QString>

#include <stdexcept>

// A file operation of a download failed (create, write, close).
class CDownloadFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The temporary file of a download: records serialised one after the other,
// each put on disk as soon as it is stored. A download that does not reach
// Finish is removed with Discard, so that a file of that name is always a
// whole download.
class CDownloadFile {
public:
    CDownloadFile() = default;
    CDownloadFile(const CDownloadFile&) = delete;
    CDownloadFile& operator=(const CDownloadFile&) = delete;
    // A file still open here was not finished: it goes.
    ~CDownloadFile();

    // Creates (or empties) the file for writing; false when it cannot.
    bool Create(const QString& path);
    bool IsOpen() const { return m_file.isOpen(); }
    const QString& Path() const { return m_path; }

    // Throw CDownloadFileError when the file refuses the bytes, or
    // platform::ArchiveError from the record's serialisation.
    void Store(CPrevodTyp& record);
    void Store(const QByteArray& bytes);
    // Stores the empty block that ends a download and closes the file.
    void Finish();
    // Closes and removes the file (a failure to remove is ignored).
    void Discard();

private:
    QFile m_file;
    QString m_path;
};
