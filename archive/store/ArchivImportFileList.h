#pragma once

#include "platform/Time32.h"

#include <QString>

#include <vector>

// The archive files that receive an import of downloaded records, one per
// calendar period of the instrument's file interval: an existing file that
// covers the period, or a new name built from the period's start.
//
// Names: base (the data folder and the instrument's name) + the period start
// as "_Y%yD%m%dH%H." + extension; when a file of that name exists, "DUP1",
// "DUP2", ... stand before the dot until a free name is found.
struct CArchivImportFileEntry {
    QString fileName;
    platform::CTime first;
    platform::CTime last;
};

class CArchivImportFileList {
public:
    // Appends name + "." + extension with its time range.
    void AddFile(const QString& name, const QString& extension, platform::CTime first, platform::CTime last);

    // Lists the existing archives base + "_Y*." + extension whose records
    // reach into [from, to] (calendar-aligned by `fileInterval` seconds),
    // then plans the periods from the one that contains `from` up to `to`.
    // Files that cannot be opened are left out. Returns the number of periods.
    int FindFiles(const QString& base, const QString& extension, platform::CTime from, platform::CTime to,
                  int fileInterval);

    // The plan (after FindFiles) or the files added.
    const std::vector<CArchivImportFileEntry>& Entries() const { return m_entries; }
    // The existing files FindFiles found.
    const std::vector<CArchivImportFileEntry>& Found() const { return m_found; }

    // A name for the period starting at `start` that no file has yet.
    static QString NewFileName(const QString& base, const QString& extension, platform::CTime start);

private:
    std::vector<CArchivImportFileEntry> m_entries;
    std::vector<CArchivImportFileEntry> m_found;
};
