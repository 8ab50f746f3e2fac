#include "link/DownloadFile.h"

#include "model/UniTyp.h"
#include "platform/Archive.h"

CDownloadFile::~CDownloadFile()
{
    Discard();
}

bool CDownloadFile::Create(const QString& path)
{
    if (m_file.isOpen())
        m_file.close();
    m_path = path;
    m_file.setFileName(path);
    return !path.isEmpty() && m_file.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

void CDownloadFile::Store(CPrevodTyp& record)
{
    platform::SerialArchive ar;
    record.Serialize(ar);
    Store(ar.buffer());
}

void CDownloadFile::Store(const QByteArray& bytes)
{
    if (!m_file.isOpen() || m_file.write(bytes) != bytes.size() || !m_file.flush())
        throw CDownloadFileError("download file write failed");
}

void CDownloadFile::Finish()
{
    CUniTyp end;
    Store(end);
    m_file.close();
    if (m_file.error() != QFileDevice::NoError) {
        QFile::remove(m_path);
        throw CDownloadFileError("download file close failed");
    }
}

void CDownloadFile::Discard()
{
    if (!m_file.isOpen())
        return;
    m_file.close();
    QFile::remove(m_path);
}
