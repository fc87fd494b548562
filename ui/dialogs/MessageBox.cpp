#include "MessageBox.h"

#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

#include "UiThread.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(MessageBox)
};

}  // namespace

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
    if (request.nButtons == MSGBOX_OK) {
        box.setDefaultButton(box.addButton(Words::tr("确定"), QMessageBox::AcceptRole));
        box.exec();
        return MSGBOX_RESULT_OK;
    }
    if (request.nButtons == MSGBOX_OKCANCEL) {
        QPushButton* pAct = box.addButton(request.strAction, QMessageBox::AcceptRole);
        QPushButton* pCancel = box.addButton(Words::tr("取消"), QMessageBox::RejectRole);
        box.setDefaultButton(pAct);
        box.setEscapeButton(pCancel);
        box.exec();
        return box.clickedButton() == pAct ? MSGBOX_RESULT_OK : MSGBOX_RESULT_CANCEL;
    }
    // The "all" answers have no access key: one key press should not
    // decide about every file still to come.
    const bool bAll = request.nButtons == MSGBOX_YESNO_ALL;
    const std::pair<QPushButton*, int> answers[] = {
        {box.addButton(Words::tr("是(&Y)"), QMessageBox::YesRole), MSGBOX_RESULT_YES},
        {bAll ? box.addButton(Words::tr("全部是"), QMessageBox::YesRole) : nullptr,
         MSGBOX_RESULT_YES_ALL},
        {box.addButton(Words::tr("否(&N)"), QMessageBox::NoRole), MSGBOX_RESULT_NO},
        {bAll ? box.addButton(Words::tr("全部否"), QMessageBox::NoRole) : nullptr,
         MSGBOX_RESULT_NO_ALL},
    };
    QPushButton* pNo = answers[2].first;
    box.setDefaultButton(request.bDefaultNo ? pNo : answers[0].first);
    // Set, not left to Qt's guess, which finds none among two No buttons.
    box.setEscapeButton(pNo);
    box.exec();
    const QAbstractButton* pClicked = box.clickedButton();
    for (const auto& [pButton, nResult] : answers) {
        if (pButton && pButton == pClicked) return nResult;
    }
    return MSGBOX_RESULT_NO;
}

}  // namespace

QString ProgramCaption() {
    return Words::tr("Merovik保险柜");
}

namespace {

int ShowRequest(MessageBoxRequest& request, QWidget* pParent) {
    request.bFromOtherThread = QThread::currentThread() != qApp->thread();
    int nResult = MSGBOX_RESULT_OK;
    RunOnObjectThread(qApp, [&] {
        QWidget* pModal = QApplication::activeModalWidget();
        request.strActiveModal = pModal ? pModal->objectName() : QString();
        nResult = s_pActiveScript ? s_pActiveScript->Answer(request) : ExecBox(request, pParent);
    });
    return nResult;
}

}  // namespace

int ShowMessageBox(const QString& strText, unsigned nStyle, const QString& strCaption,
                   QWidget* pParent) {
    MessageBoxRequest request;
    request.strText = strText;
    request.strCaption = strCaption.isEmpty() ? ProgramCaption() : strCaption;
    request.nIcon = ShownIcon(nStyle, strCaption);
    const unsigned nButtons = nStyle & MSGBOX_BUTTON_MASK;
    request.nButtons =
        nButtons == MSGBOX_YESNO || nButtons == MSGBOX_YESNO_ALL ? nButtons : MSGBOX_OK;
    request.bDefaultNo = request.nButtons != MSGBOX_OK && (nStyle & MSGBOX_DEFAULT_NO);
    return ShowRequest(request, pParent);
}

bool ShowConfirmBox(const QString& strText, const QString& strAction, QWidget* pParent) {
    MessageBoxRequest request;
    request.strText = strText;
    request.strCaption = ProgramCaption();
    request.nIcon = MSGBOX_ICON_QUESTION;
    request.nButtons = MSGBOX_OKCANCEL;
    request.strAction = strAction;
    request.bDefaultNo = false;
    return ShowRequest(request, pParent) == MSGBOX_RESULT_OK;
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
    if (request.nButtons == MSGBOX_OKCANCEL) return MSGBOX_RESULT_CANCEL;
    return request.nButtons == MSGBOX_OK ? MSGBOX_RESULT_OK : MSGBOX_RESULT_NO;
}

}  // namespace quovex
