#include "ClipboardSecret.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>

#include "PasswordEntry.h"

namespace quovex {

CClipboardSecret& CClipboardSecret::Instance() {
    static CClipboardSecret* s_pInstance = nullptr;
    if (!s_pInstance) s_pInstance = new CClipboardSecret();
    return *s_pInstance;
}

CClipboardSecret::CClipboardSecret() : QObject(qApp) {
    m_timer.setSingleShot(true);
    m_timer.setInterval(CLEAR_AFTER_MS);
    connect(&m_timer, &QTimer::timeout, this, &CClipboardSecret::OnElapsed);
}

void CClipboardSecret::Put(const QString& strText) {
    auto* pData = new QMimeData;
    pData->setText(strText);
    // Clipboard managers that honour it keep no history of this entry.
    pData->setData(QStringLiteral("x-kde-passwordManagerHint"), QByteArrayLiteral("secret"));
    QApplication::clipboard()->setMimeData(pData);
    WipeText(m_strPut);
    m_strPut = QString(strText.constData(), strText.size());
    m_timer.start();
}

void CClipboardSecret::OnElapsed() {
    QClipboard* pClipboard = QApplication::clipboard();
    // Something copied since is the user's, and stays.
    if (pClipboard->text() == m_strPut) {
        pClipboard->clear();
        emit Cleared();
    }
    WipeText(m_strPut);
    m_strPut.clear();
}

}  // namespace quovex
