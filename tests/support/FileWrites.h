#pragma once

#include <QFile>
#include <QFileInfo>
#include <QString>

#ifdef Q_OS_LINUX
#include <sys/inotify.h>
#include <unistd.h>
#endif

#include <cstring>

namespace testsupport {

// Counts the times a file is saved from now on as the settings are: a
// finished copy renamed over it (the copy's closing, which may come after,
// is not counted again). Linux only; elsewhere Valid() is false.
class FileWrites {
public:
    explicit FileWrites(const QString& path) : m_name(QFile::encodeName(QFileInfo(path).fileName()))
    {
#ifdef Q_OS_LINUX
        m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_fd >= 0
            && ::inotify_add_watch(m_fd, QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                   IN_MOVED_TO)
                   < 0) {
            ::close(m_fd);
            m_fd = -1;
        }
#endif
    }
    ~FileWrites()
    {
#ifdef Q_OS_LINUX
        if (m_fd >= 0)
            ::close(m_fd);
#endif
    }
    FileWrites(const FileWrites&) = delete;
    FileWrites& operator=(const FileWrites&) = delete;

    bool Valid() const { return m_fd >= 0; }

    // The writes so far.
    int Count()
    {
#ifdef Q_OS_LINUX
        alignas(inotify_event) char buffer[16384];
        for (;;) {
            const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            for (ssize_t at = 0; at < n;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                if (event->len > 0 && m_name == QByteArray(event->name, int(::strnlen(event->name, event->len))))
                    ++m_count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
#endif
        return m_count;
    }

private:
    QByteArray m_name;
    int m_fd = -1;
    int m_count = 0;
};

} // namespace testsupport
