#include "archive/store/CfbArchivStorage.h"

#include "platform/cfb/cfb.h"

#include <QFile>

#include <mutex>
#include <span>

namespace archive {

namespace {

StorageStatus ToStatus(cfb::Errc code)
{
    switch (code) {
    case cfb::Errc::ok:
        return StorageStatus::Ok;
    case cfb::Errc::not_found:
        return StorageStatus::NotFound;
    case cfb::Errc::file_exists:
    case cfb::Errc::already_exists:
        return StorageStatus::AlreadyExists;
    // A pipe, a folder, a link to nothing or a file we may not write are,
    // like a file another holds, not ours to use and not damaged: never set
    // aside.
    case cfb::Errc::locked:
    case cfb::Errc::not_regular_file:
    case cfb::Errc::access_denied:
        return StorageStatus::Locked;
    default:
        return StorageStatus::Failed;
    }
}

void Put(StorageStatus* out, StorageStatus value)
{
    if (out)
        *out = value;
}

std::string LocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::span<const std::uint8_t> Bytes(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), std::size_t(data.size())};
}

// The file and the one lock that cfb asks its callers to hold around every
// call on the file and on its stream handles.
struct CfbFile {
    std::mutex mutex;
    std::unique_ptr<cfb::CompoundFile> file;
};

class CfbStream final : public StorageStream {
public:
    CfbStream(std::shared_ptr<CfbFile> file, cfb::Stream stream) : m_file(std::move(file)), m_stream(stream) {}

    std::int64_t Size() override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file)
            return -1;
        auto size = m_stream.size();
        return size ? std::int64_t(*size) : -1;
    }

    std::int64_t ReadAt(std::uint64_t offset, void* data, std::int64_t size) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file || size < 0)
            return -1;
        auto got = m_stream.readAt(offset, {static_cast<std::uint8_t*>(data), std::size_t(size)});
        return got ? std::int64_t(*got) : -1;
    }

    bool WriteAt(std::uint64_t offset, const void* data, std::int64_t size) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file || size < 0)
            return false;
        return m_stream.writeAt(offset, {static_cast<const std::uint8_t*>(data), std::size_t(size)}).ok();
    }

    bool SetSize(std::uint64_t size) override
    {
        std::lock_guard lock(m_file->mutex);
        return m_file->file && m_stream.setSize(size).ok();
    }

private:
    std::shared_ptr<CfbFile> m_file;
    cfb::Stream m_stream;
};

class CfbStorage final : public Storage {
public:
    explicit CfbStorage(std::unique_ptr<cfb::CompoundFile> file) : m_file(std::make_shared<CfbFile>())
    {
        m_file->file = std::move(file);
    }
    ~CfbStorage() override { Close(); }

    std::unique_ptr<StorageStream> OpenStream(const std::string& name, StorageStatus* status) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file) {
            Put(status, StorageStatus::Failed);
            return nullptr;
        }
        auto stream = m_file->file->openStream(m_file->file->root(), name);
        Put(status, ToStatus(stream.code()));
        return stream ? std::make_unique<CfbStream>(m_file, *stream) : nullptr;
    }

    std::unique_ptr<StorageStream> CreateStream(const std::string& name, StorageStatus* status) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file) {
            Put(status, StorageStatus::Failed);
            return nullptr;
        }
        auto stream = m_file->file->createStream(m_file->file->root(), name, true);
        Put(status, ToStatus(stream.code()));
        return stream ? std::make_unique<CfbStream>(m_file, *stream) : nullptr;
    }

    StorageStatus ReadStream(const std::string& name, QByteArray& data) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file)
            return StorageStatus::Failed;
        auto bytes = m_file->file->readStream(name);
        if (!bytes)
            return ToStatus(bytes.code());
        data = QByteArray(reinterpret_cast<const char*>(bytes->data()), qsizetype(bytes->size()));
        return StorageStatus::Ok;
    }

    StorageStatus WriteStream(const std::string& name, const QByteArray& data) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file)
            return StorageStatus::Failed;
        return ToStatus(m_file->file->writeStream(name, Bytes(data)).code());
    }

    StorageStatus Destroy(const std::string& name) override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file)
            return StorageStatus::Failed;
        return ToStatus(m_file->file->destroy(m_file->file->root(), name).code());
    }

    bool Exists(const std::string& name) override
    {
        std::lock_guard lock(m_file->mutex);
        return m_file->file && m_file->file->exists(m_file->file->root(), name);
    }

    std::vector<std::string> StreamNames() override
    {
        std::lock_guard lock(m_file->mutex);
        std::vector<std::string> names;
        if (!m_file->file)
            return names;
        if (auto list = m_file->file->list()) {
            for (const cfb::ElementInfo& info : *list) {
                if (info.type == cfb::ElementType::Stream)
                    names.push_back(info.name);
            }
        }
        return names;
    }

    StorageStatus Flush() override
    {
        std::lock_guard lock(m_file->mutex);
        if (!m_file->file)
            return StorageStatus::Failed;
        return ToStatus(m_file->file->flush().code());
    }

    void Close() override
    {
        std::lock_guard lock(m_file->mutex);
        if (m_file->file) {
            (void)m_file->file->close();
            m_file->file.reset();
        }
    }

    bool IsSettled() override
    {
        std::lock_guard lock(m_file->mutex);
        return m_file->file && m_file->file->isSettled();
    }

private:
    std::shared_ptr<CfbFile> m_file;
};

using Prepare = std::function<void(cfb::CompoundFile&)>;

std::shared_ptr<Storage> Wrap(cfb::Result<std::unique_ptr<cfb::CompoundFile>>& file, StorageStatus* status,
                              const Prepare& prepare)
{
    Put(status, ToStatus(file.code()));
    if (!file)
        return nullptr;
    if (prepare)
        prepare(**file);
    return std::make_shared<CfbStorage>(std::move(*file));
}

class CfbProvider final : public StorageProvider {
public:
    explicit CfbProvider(Prepare prepare) : m_prepare(std::move(prepare)) {}

    std::shared_ptr<Storage> Open(const QString& path, StorageStatus* status) override
    {
        auto file = cfb::CompoundFile::open(LocalPath(path), cfb::OpenMode::ReadWrite);
        return Wrap(file, status, m_prepare);
    }

    std::shared_ptr<Storage> OpenReadOnly(const QString& path, StorageStatus* status) override
    {
        auto file = cfb::CompoundFile::open(LocalPath(path), cfb::OpenMode::ReadOnly);
        return Wrap(file, status, m_prepare);
    }

    std::shared_ptr<Storage> Create(const QString& path, bool overwrite, StorageStatus* status) override
    {
        cfb::CreateOptions options;
        options.overwrite = overwrite;
        auto file = cfb::CompoundFile::create(LocalPath(path), options);
        return Wrap(file, status, m_prepare);
    }

private:
    Prepare m_prepare;
};

} // namespace

std::shared_ptr<Storage> OpenCfbReadOnly(const QString& path, StorageStatus* status)
{
    auto file = cfb::CompoundFile::open(LocalPath(path), cfb::OpenMode::ReadOnly);
    return Wrap(file, status, {});
}

std::shared_ptr<StorageProvider> CreateCfbStorageProvider(std::function<void(cfb::CompoundFile&)> prepare)
{
    return std::make_shared<CfbProvider>(std::move(prepare));
}

} // namespace archive
