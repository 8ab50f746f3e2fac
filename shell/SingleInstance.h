#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QLocalServer;

// One running program per user: the first start listens on a local socket,
// a later start hands it the file it was asked to open and ends. A later
// start without a file (or with a file that does not exist) waits a while
// for the first one to end and then gives up.
class CSingleInstance : public QObject {
    Q_OBJECT
public:
    using Pause = std::function<void(int ms)>;

    // The socket name of the current user's program.
    static QString DefaultName();
    // The waits of a start that found the program already running.
    static std::vector<int> RetryWaitsMs() { return {2000, 5000, 10000}; }

    explicit CSingleInstance(const QString& name = DefaultName(), QObject* parent = nullptr);
    ~CSingleInstance() override;

    // True when this process is now the one instance (it listens). False
    // when another instance runs: the file went to it, or it did not end
    // within the waits.
    bool Acquire(const QString& filePath, const Pause& pause);

signals:
    // A later start asked this instance to open the file.
    void FileRequested(const QString& path);

private:
    bool IsOtherRunning() const;
    bool HandOver(const QString& filePath) const;
    bool Listen();
    void OnConnection();

    QString m_name;
    QLocalServer* m_server = nullptr;
};
