// The recovery key of a new protected vault, shown once, "恢复密钥": the
// key in its groups (selectable, in a fixed-width font), the advice to
// write it down and keep it apart from the computer, and the check box
// "我已抄下恢复密钥", which must be ticked before the dialog ends.
// Interface thread.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

namespace quovex {

class CSecretBytes;

class CRecoveryKeyDlg : public QDialog {
    Q_OBJECT
public:
    // strKeyText: the key as the core words it (groups of four joined by '-').
    explicit CRecoveryKeyDlg(const QString& strKeyText, QWidget* pParent = nullptr);

    // OK is enabled only while the check box is ticked; the dialog ends by
    // it alone, so that the key cannot be passed over by Escape or a close
    // (QDialog's close event goes through reject and stays refused).
    void accept() override;
    void reject() override {}

    // The text shown for a key: its groups, a few to a line.
    static QString KeyLines(const QString& strKeyText);

private:
    QCheckBox* m_pWrittenCheck;
    QPushButton* m_pOkButton;
};

// Shows the recovery key text (as the core gives it) over pParent until
// the user has ticked the check box and pressed OK.
void ShowRecoveryKey(const CSecretBytes& keyText, QWidget* pParent);

}  // namespace quovex
