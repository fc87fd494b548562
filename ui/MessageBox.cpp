#include "MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "UiThread.h"

namespace quovex {

namespace {

CMessageBoxScript* s_pActiveScript = nullptr;

unsigned ShownIcon(unsigned nStyle, const QString& strCaption) {
    const unsigned nIcon = nStyle & MSGBOX_ICON_MASK;
    if (nIcon || !strCaption.isEmpty()) return nIcon;
    return MSGBOX_ICON_WARNING;
}

QMessageBox::Icon QtIcon(unsigned nIcon) {
    switch (nIcon) {
        case MSGBOX_ICON_ERROR:
            return QMessageBox::Critical;
        case MSGBOX_ICON_QUESTION:
            return QMessageBox::Question;
        case MSGBOX_ICON_WARNING:
            return QMessageBox::Warning;
        case MSGBOX_ICON_INFORMATION:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

QWidget* DefaultOwner() {
    if (QWidget* pModal = QApplication::activeModalWidget()) return pModal;
    return QApplication::activeWindow();
}

int ExecBox(const MessageBoxRequest& request, QWidget* pParent) {
    QMessageBox box(QtIcon(request.nIcon), request.strCaption, request.strText,
                    QMessageBox::NoButton, pParent ? pParent : DefaultOwner());
    if (request.nButtons == MSGBOX_YESNO) {
        QPushButton* pYes = box.addButton(QStringLiteral("是(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("否(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(pYes);
        box.exec();
        return box.clickedButton() == pYes ? MSGBOX_RESULT_YES : MSGBOX_RESULT_NO;
    }
    box.setDefaultButton(box.addButton(QStringLiteral("确定"), QMessageBox::AcceptRole));
    box.exec();
    return MSGBOX_RESULT_OK;
}

}  // namespace

int ShowMessageBox(const QString& strText, unsigned nStyle, const QString& strCaption,
                   QWidget* pParent) {
    MessageBoxRequest request;
    request.strText = strText;
    request.strCaption = strCaption.isEmpty() ? QApplication::applicationName() : strCaption;
    request.nIcon = ShownIcon(nStyle, strCaption);
    request.nButtons = (nStyle & MSGBOX_BUTTON_MASK) == MSGBOX_YESNO ? MSGBOX_YESNO : MSGBOX_OK;
    request.bFromOtherThread = QThread::currentThread() != qApp->thread();

    int nResult = MSGBOX_RESULT_OK;
    RunOnObjectThread(qApp, [&] {
        QWidget* pModal = QApplication::activeModalWidget();
        request.strActiveModal = pModal ? pModal->objectName() : QString();
        nResult = s_pActiveScript ? s_pActiveScript->Answer(request) : ExecBox(request, pParent);
    });
    return nResult;
}

CMessageBoxScript::CMessageBoxScript() {
    s_pActiveScript = this;
}

CMessageBoxScript::~CMessageBoxScript() {
    if (s_pActiveScript == this) s_pActiveScript = nullptr;
}

CMessageBoxScript* CMessageBoxScript::Active() {
    return s_pActiveScript;
}

int CMessageBoxScript::Answer(const MessageBoxRequest& request) {
    m_vRequests.push_back(request);
    if (m_fnOnRequest) m_fnOnRequest(request);
    if (!m_vAnswers.empty()) {
        const int nAnswer = m_vAnswers.front();
        m_vAnswers.erase(m_vAnswers.begin());
        return nAnswer;
    }
    return request.nButtons == MSGBOX_YESNO ? MSGBOX_RESULT_NO : MSGBOX_RESULT_OK;
}

}  // namespace quovex
