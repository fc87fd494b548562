// The one way the program shows a message box.
#pragma once

#include <QString>
#include <functional>
#include <utility>
#include <vector>

class QWidget;

namespace quovex {

// Buttons, icon and default button of a box (combinable: one button set,
// at most one icon, MSGBOX_DEFAULT_NO or not).
enum MessageBoxStyle : unsigned {
    MSGBOX_OK = 0x0,
    // An action named on its button (ShowConfirmBox), and 取消.
    MSGBOX_OKCANCEL = 0x1,
    MSGBOX_YESNO = 0x4,
    // 是, 全部是, 否, 全部否: a question that may come again in the same run,
    // where an "all" answer stands for the rest of it.
    MSGBOX_YESNO_ALL = 0x8,
    MSGBOX_ICON_ERROR = 0x10,
    MSGBOX_ICON_QUESTION = 0x20,
    MSGBOX_ICON_WARNING = 0x30,
    MSGBOX_ICON_INFORMATION = 0x40,
    // Enter answers 否 rather than 是: for a question whose 是 deletes or
    // replaces something, so that a key pressed without reading loses nothing.
    MSGBOX_DEFAULT_NO = 0x100,
};
constexpr unsigned MSGBOX_BUTTON_MASK = 0x0F;
constexpr unsigned MSGBOX_ICON_MASK = 0xF0;

// The button that closed a box.
enum MessageBoxResult : int {
    MSGBOX_RESULT_OK = 1,
    MSGBOX_RESULT_CANCEL = 2,
    MSGBOX_RESULT_YES = 6,
    MSGBOX_RESULT_NO = 7,
    MSGBOX_RESULT_YES_ALL = 12,  // 全部是
    MSGBOX_RESULT_NO_ALL = 13,   // 全部否
};

// Shows strText and waits for an answer. With no caption the box carries
// the program's title, "Merovik保险柜", and, unless nStyle names an icon,
// the warning icon; with a caption, only the icon nStyle
// names. The owner is pParent, else the active modal dialog or window. In
// a question, Enter answers 是 (否 with MSGBOX_DEFAULT_NO); Escape and
// closing the box answer 否.
// Callable from any thread: from a thread other than the interface thread
// the box is shown by the interface thread while the caller waits.
int ShowMessageBox(const QString& strText, unsigned nStyle = MSGBOX_OK,
                   const QString& strCaption = QString(), QWidget* pParent = nullptr);

// Asks strText with the buttons strAction (the default, Enter) and 取消
// (Escape, closing the box), the question icon and the program's title.
// True for strAction. Interface thread.
bool ShowConfirmBox(const QString& strText, const QString& strAction, QWidget* pParent = nullptr);

// The caption of every message box that names none.
QString ProgramCaption();

// One box as it was asked for, recorded by CMessageBoxScript.
struct MessageBoxRequest {
    QString strText;
    QString strCaption;      // as shown
    unsigned nIcon;          // as shown: one of MSGBOX_ICON_*, or 0 for none
    unsigned nButtons;       // MSGBOX_OK, MSGBOX_OKCANCEL, MSGBOX_YESNO or MSGBOX_YESNO_ALL
    QString strAction;       // MSGBOX_OKCANCEL: the text of the button that acts
    bool bDefaultNo;         // a question Enter answers with 否
    QString strActiveModal;  // objectName of the modal dialog up at the time
    bool bFromOtherThread;   // asked from a thread other than the interface thread
};

// For tests: while an object of this class exists, no box is shown. Each
// one is recorded and answered with the next scripted answer, or, when
// none is left, with OK (No for a question, Cancel for a confirmation).
// Interface thread only.
class CMessageBoxScript {
public:
    CMessageBoxScript();
    ~CMessageBoxScript();
    CMessageBoxScript(const CMessageBoxScript&) = delete;
    CMessageBoxScript& operator=(const CMessageBoxScript&) = delete;

    void SetNextAnswer(int nAnswer) { m_vAnswers.push_back(nAnswer); }
    // Called with each request before it is answered, on the interface
    // thread while the asker waits: what a user might do while a box is up.
    void SetOnRequest(std::function<void(const MessageBoxRequest&)> fn) {
        m_fnOnRequest = std::move(fn);
    }
    const std::vector<MessageBoxRequest>& Requests() const { return m_vRequests; }

    // Used by ShowMessageBox: records the request and returns its answer.
    int Answer(const MessageBoxRequest& request);
    static CMessageBoxScript* Active();

private:
    std::vector<int> m_vAnswers;
    std::function<void(const MessageBoxRequest&)> m_fnOnRequest;
    std::vector<MessageBoxRequest> m_vRequests;
};

}  // namespace quovex
