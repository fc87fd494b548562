#include "OpenedCopies.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "FolderChanges.h"
#include "PathText.h"
#include "TreeDeletion.h"

namespace quovex {

namespace {

const QString FOLDER_NAME = QStringLiteral("quovex-open");
const QString RECORD_SUFFIX = QStringLiteral(".json");
const QString LOCK_SUFFIX = QStringLiteral(".lock");
constexpr QFile::Permissions OWNER_ONLY = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

std::string Native(const QString& strPath) {
    return QFile::encodeName(strPath).toStdString();
}

QString FromNative(const std::string& strPath) {
    return QFile::decodeName(QByteArray::fromStdString(strPath));
}

FileStamp StampOf(CVaultEnv* pEnv, const QString& strPath) {
    FileStamp stamp;
    pEnv->GetStamp(Native(strPath), &stamp);
    return stamp;
}

QJsonObject StampRecord(const FileStamp& stamp) {
    QJsonObject record;
    if (stamp.kind != EntryKind::ENTRY_FILE) return record;
    // As text: inode numbers and nanosecond times do not all fit a double.
    record[QStringLiteral("device")] = QString::number(stamp.nDevice);
    record[QStringLiteral("inode")] = QString::number(stamp.nInode);
    record[QStringLiteral("size")] = QString::number(stamp.nSize);
    record[QStringLiteral("mtime")] = QString::number(stamp.nModSeconds);
    record[QStringLiteral("mtime_ns")] = QString::number(stamp.nModNanos);
    record[QStringLiteral("ctime")] = QString::number(stamp.nChangeSeconds);
    record[QStringLiteral("ctime_ns")] = QString::number(stamp.nChangeNanos);
    return record;
}

FileStamp StampFromRecord(const QJsonObject& record) {
    FileStamp stamp;
    if (!record.contains(QStringLiteral("inode"))) return stamp;
    stamp.kind = EntryKind::ENTRY_FILE;
    stamp.nDevice = record[QStringLiteral("device")].toString().toULongLong();
    stamp.nInode = record[QStringLiteral("inode")].toString().toULongLong();
    stamp.nSize = record[QStringLiteral("size")].toString().toULongLong();
    stamp.nModSeconds = record[QStringLiteral("mtime")].toString().toLongLong();
    stamp.nModNanos = record[QStringLiteral("mtime_ns")].toString().toLongLong();
    stamp.nChangeSeconds = record[QStringLiteral("ctime")].toString().toLongLong();
    stamp.nChangeNanos = record[QStringLiteral("ctime_ns")].toString().toLongLong();
    return stamp;
}

bool SameLocation(const QString& strA, const QString& strB) {
    return QDir::cleanPath(strA) == QDir::cleanPath(strB);
}

}  // namespace

QString OpenedCopiesFolder() {
    QString strBase = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (strBase.isEmpty() || !QDir::isAbsolutePath(strBase)) {
        strBase = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        if (strBase.isEmpty() || !QDir().mkpath(strBase)) return QString();
    }
    const QString strRoot = QDir(strBase).filePath(FOLDER_NAME);
    QDir().mkdir(strRoot, OWNER_ONLY);
    // Whatever lies there must be the user's own folder, not a link to
    // somewhere else; its mode is set again, in case it was widened.
    const QFileInfo info(strRoot);
    if (info.isSymLink() || !info.isDir() || info.ownerId() != ::geteuid()) return QString();
    return QFile::setPermissions(strRoot, OWNER_ONLY) ? strRoot : QString();
}

COpenedCopies::COpenedCopies(CVaultEnv* pEnv, QString strRoot)
    : m_pEnv(pEnv), m_strRoot(std::move(strRoot)) {
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &COpenedCopies::OnFileChanged);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &COpenedCopies::CopiesTouched);
}

COpenedCopies::~COpenedCopies() {
    CloseAll();
}

QString COpenedCopies::Root() {
    if (m_strRoot.isEmpty()) m_strRoot = OpenedCopiesFolder();
    return m_strRoot;
}

QString COpenedCopies::RecordPath(const QString& strId) const {
    return QDir(m_strRoot).filePath(strId + RECORD_SUFFIX);
}

const OpenedCopy* COpenedCopies::Find(const QString& strStored) const {
    for (const OpenedCopy& copy : m_vCopies) {
        if (copy.strStored == strStored &&
            StampOf(m_pEnv, copy.strPath).kind == EntryKind::ENTRY_FILE)
            return &copy;
    }
    return nullptr;
}

QString COpenedCopies::Prepare(const QString& strStored, const QString& strLocation,
                               const std::string& strPlainName) {
    if (Root().isEmpty()) return QString();
    QTemporaryDir folder(QDir(m_strRoot).filePath(QStringLiteral("XXXXXX")));
    if (!folder.isValid()) return QString();
    folder.setAutoRemove(false);  // made with mode 0700
    OpenedCopy copy;
    copy.strId = QFileInfo(folder.path()).fileName();
    copy.strStored = strStored;
    copy.strVault = strLocation;
    const std::string strName =
        strPlainName.empty() ? RemoveExtension(LastComponent(Native(strStored))) : strPlainName;
    copy.strPath = QDir(folder.path()).filePath(FromNative(strName));
    std::unique_ptr<QLockFile> pLock = TakeLock(copy.strId);
    if (!pLock) {
        DeleteFiles(copy.strId);
        return QString();
    }
    WriteRecord(copy);
    m_locks[copy.strId] = std::move(pLock);
    m_vCopies.push_back(copy);
    return copy.strPath;
}

void COpenedCopies::Settle(const QString& strPath) {
    for (OpenedCopy& copy : m_vCopies) {
        if (copy.strPath != strPath) continue;
        copy.settled = StampOf(m_pEnv, strPath);
        WriteRecord(copy);
        Watch(copy);
    }
}

bool COpenedCopies::IsChanged(const OpenedCopy& copy) const {
    const FileStamp now = StampOf(m_pEnv, copy.strPath);
    return now.kind == EntryKind::ENTRY_FILE && !now.SameContent(copy.settled);
}

void COpenedCopies::Remove(const QString& strPath) {
    Forget(strPath, true);
}

void COpenedCopies::Close(const QString& strPath) {
    for (const OpenedCopy& copy : m_vCopies) {
        if (copy.strPath != strPath) continue;
        const bool bChanged = IsChanged(copy);
        Forget(strPath, !bChanged);
        return;
    }
}

void COpenedCopies::CloseAll() {
    while (!m_vCopies.empty()) {
        const QString strPath = m_vCopies.back().strPath;  // not a reference into the list
        Close(strPath);
    }
}

void COpenedCopies::Release(const QString& strPath) {
    Forget(strPath, false);
}

void COpenedCopies::Forget(const QString& strPath, bool bDelete) {
    for (auto it = m_vCopies.begin(); it != m_vCopies.end(); ++it) {
        if (it->strPath != strPath) continue;
        m_watcher.removePaths({it->strPath, QFileInfo(it->strPath).path()});
        if (bDelete) DeleteFiles(it->strId);
        m_locks.erase(it->strId);  // unlocks: the lock file goes last
        m_vCopies.erase(it);
        return;
    }
}

QStringList COpenedCopies::AdoptLeftovers(const QString& strLocation) {
    QStringList vAdopted;
    if (Root().isEmpty()) return vAdopted;
    // Every id that has a record or a folder (one killed before its record
    // was written). Other names (locks, a record being written) are not
    // leftovers of their own.
    QStringList vIds;
    const QDir root(m_strRoot);
    for (const QFileInfo& entry :
         root.entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::Hidden)) {
        const QString strName = entry.fileName();
        QString strId;
        if (entry.isDir() && !entry.isSymLink()) {
            strId = strName;
        } else if (strName.endsWith(RECORD_SUFFIX)) {
            strId = strName.chopped(RECORD_SUFFIX.size());
        }
        if (!strId.isEmpty() && !vIds.contains(strId) && !m_locks.count(strId)) vIds << strId;
    }
    for (const QString& strId : vIds) {
        std::unique_ptr<QLockFile> pLock = TakeLock(strId);
        if (!pLock) continue;  // a running program's
        QFile file(RecordPath(strId));
        const QJsonObject record = file.open(QIODevice::ReadOnly)
                                       ? QJsonDocument::fromJson(file.readAll()).object()
                                       : QJsonObject();
        OpenedCopy copy;
        copy.strId = strId;
        copy.strVault = record[QStringLiteral("vault")].toString();
        copy.strStored = record[QStringLiteral("stored")].toString();
        const QString strName = record[QStringLiteral("copy")].toString();
        if (copy.strStored.isEmpty() || strName.isEmpty() || strName.contains(QLatin1Char('/'))) {
            DeleteFiles(strId);  // nothing to store it back to
            continue;
        }
        if (!SameLocation(copy.strVault, strLocation)) continue;  // lock let go
        copy.strPath = root.filePath(strId + QLatin1Char('/') + strName);
        const QJsonObject settled = record[QStringLiteral("settled")].toObject();
        copy.settled = StampFromRecord(settled);
        // Records written before stamps held the status change time tell
        // an edit by the rest alone: the copy's own time stands in for it.
        if (!settled.contains(QStringLiteral("ctime"))) {
            const FileStamp now = StampOf(m_pEnv, copy.strPath);
            copy.settled.nChangeSeconds = now.nChangeSeconds;
            copy.settled.nChangeNanos = now.nChangeNanos;
        }
        m_locks[strId] = std::move(pLock);
        m_vCopies.push_back(copy);
        Watch(copy);
        vAdopted << copy.strPath;
    }
    return vAdopted;
}

void COpenedCopies::WriteRecord(const OpenedCopy& copy) const {
    QJsonObject record;
    record[QStringLiteral("vault")] = copy.strVault;
    record[QStringLiteral("stored")] = copy.strStored;
    record[QStringLiteral("copy")] = QFileInfo(copy.strPath).fileName();
    record[QStringLiteral("settled")] = StampRecord(copy.settled);
    QSaveFile file(RecordPath(copy.strId));
    if (file.open(QIODevice::WriteOnly)) {
        file.write(QJsonDocument(record).toJson());
        file.commit();
    }
}

std::unique_ptr<QLockFile> COpenedCopies::TakeLock(const QString& strId) const {
    auto pLock = std::make_unique<QLockFile>(QDir(m_strRoot).filePath(strId + LOCK_SUFFIX));
    // Only a lock whose process is gone is stale, however old it is.
    pLock->setStaleLockTime(0);
    return pLock->tryLock(0) ? std::move(pLock) : nullptr;
}

void COpenedCopies::DeleteFiles(const QString& strId) const {
    const std::string strFolder = Native(QDir(m_strRoot).filePath(strId));
    if (m_pEnv->GetKind(strFolder) == EntryKind::ENTRY_FOLDER) {
        DeleteFolderTree(strFolder, m_pEnv);
    } else {
        DeleteOneFile(strFolder, m_pEnv);
    }
    DeleteOneFile(Native(RecordPath(strId)), m_pEnv);
}

void COpenedCopies::Watch(const OpenedCopy& copy) {
    // The folder too: many applications save by writing a new file and
    // renaming it over the copy, which the file's watch does not outlive.
    const QString strFolder = QFileInfo(copy.strPath).path();
    if (!m_watcher.directories().contains(strFolder)) m_watcher.addPath(strFolder);
    if (QFileInfo::exists(copy.strPath) && !m_watcher.files().contains(copy.strPath))
        m_watcher.addPath(copy.strPath);
}

void COpenedCopies::OnFileChanged(const QString& strPath) {
    for (const OpenedCopy& copy : m_vCopies) {
        if (copy.strPath == strPath) Watch(copy);
    }
    emit CopiesTouched();
}

}  // namespace quovex
