// The plain copies of stored files that the user opened. Each copy lies in
// a folder of its own below a private folder (OpenedCopiesFolder), so that
// two files of the same name never meet, beside a small record (the vault,
// the stored file, the copy's stamp when it was opened) and a lock file
// held while this program runs: copies whose lock is free were left by a
// program that was killed, and the next login finds them by their records.
// Interface thread.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "VaultEnv.h"

class QLockFile;

namespace quovex {

// One opened copy.
struct OpenedCopy {
    QString strId;      // the name of its folder, record and lock in the private folder
    QString strStored;  // the stored file it was restored from
    QString strVault;   // the location of the vault that holds it
    QString strPath;    // the copy
    FileStamp settled;  // the copy when opened, stored back or kept; none while unknown
};

// The private folder of opened copies: $XDG_RUNTIME_DIR/quovex-open
// (memory-backed and the user's alone), or without that variable
// quovex-open in the cache folder (QStandardPaths::CacheLocation). Made
// with mode 0700 where missing, and set to it; "" when it cannot be made or
// is not a folder of the user's own (a link, another owner).
QString OpenedCopiesFolder();

class COpenedCopies : public QObject {
    Q_OBJECT
public:
    // strRoot: the private folder ("" for OpenedCopiesFolder(), looked up
    // when the first copy is prepared). pEnv: the file system of stamps and
    // deletions.
    explicit COpenedCopies(CVaultEnv* pEnv, QString strRoot = QString());
    // CloseAll.
    ~COpenedCopies() override;
    COpenedCopies(const COpenedCopies&) = delete;
    COpenedCopies& operator=(const COpenedCopies&) = delete;

    const std::vector<OpenedCopy>& Copies() const { return m_vCopies; }
    // The copy of strStored whose file is there, or nullptr.
    const OpenedCopy* Find(const QString& strStored) const;

    // Makes a new folder (mode 0700) for a copy of strStored, a stored file
    // of the vault at strLocation, with its record and lock; returns the
    // path the copy is to take: that folder, then strPlainName (UTF-8), the
    // name a restore below the folder gives it, or when that is "" the
    // stored file's name without its last extension. "" when the private
    // folder cannot be had.
    QString Prepare(const QString& strStored, const QString& strLocation,
                    const std::string& strPlainName = std::string());
    // The copy at strPath is as it should be now (just opened, stored
    // back, or its change declined): its stamp now is recorded as settled,
    // and the copy and its folder are watched.
    void Settle(const QString& strPath);
    // Whether the copy's file is there and is not the settled one (another
    // file, size or modification time).
    bool IsChanged(const OpenedCopy& copy) const;
    // Deletes the copy at strPath: its folder with whatever the
    // application left in it (a link is removed, never followed), its
    // record and its lock.
    void Remove(const QString& strPath);
    // Lets go of the copy at strPath without deleting anything: its record
    // stays, and the next login (AdoptLeftovers) finds it as a killed
    // program's copy.
    void Release(const QString& strPath);
    // Removes the copy at strPath unless it changed since it was settled
    // (a change that could not be stored back): that one is released, so
    // that no change is lost.
    void Close(const QString& strPath);
    void CloseAll();

    // Takes over the copies of the vault at strLocation that a program no
    // longer running left (their lock is free): they are this object's
    // from now on, settled as they were recorded. Leftovers without a
    // readable record are deleted; those of other vaults stay. Returns the
    // paths of the copies taken over.
    QStringList AdoptLeftovers(const QString& strLocation);

signals:
    // A copy or its folder changed on disk (IsChanged tells whether the
    // copy itself did). Emitted from the event loop.
    void CopiesTouched();

private:
    QString Root();
    QString RecordPath(const QString& strId) const;
    void WriteRecord(const OpenedCopy& copy) const;
    // Takes the lock of strId; null when a running program holds it.
    std::unique_ptr<QLockFile> TakeLock(const QString& strId) const;
    // Stops watching the copy at strPath and lets go of its lock; with
    // bDelete, its folder and record are deleted first.
    void Forget(const QString& strPath, bool bDelete);
    // Deletes the folder and record of strId (its lock is the caller's).
    void DeleteFiles(const QString& strId) const;
    void Watch(const OpenedCopy& copy);
    void OnFileChanged(const QString& strPath);

    CVaultEnv* m_pEnv;
    QString m_strRoot;
    std::vector<OpenedCopy> m_vCopies;
    std::map<QString, std::unique_ptr<QLockFile>> m_locks;  // by id, one per copy
    QFileSystemWatcher m_watcher;
};

}  // namespace quovex
