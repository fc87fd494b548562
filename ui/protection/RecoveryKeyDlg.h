// The recovery key of a new protected vault, shown once, "恢复密钥": the
// key in its groups (selectable, in a fixed-width font), the advice to
// write it down and keep it apart from the computer, and the check box
// "我已抄下恢复密钥", which must be ticked before the dialog ends. Beside
// it: 复制 (the whole key as one line, on the clipboard for a while:
// CClipboardSecret), 打印... and 另存为 PDF... (one page with the key).
// Interface thread.
#pragma once

#include <QDialog>
#include <QString>

class QCheckBox;
class QPagedPaintDevice;
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
    // Clears the key from the label and wipes the text shown, so that the
    // key stays in memory no longer than the dialog is open. Copies Qt made
    // on its own (the label's text document and layout, a selection put on
    // the clipboard) are freed without being wiped.
    void done(int nResult) override;

    // The text shown for a key: its groups, a few to a line, in a string
    // of its own (no intermediate copies are left behind).
    static QString KeyLines(const QString& strKeyText);

    // The page printed or saved: a heading, the key in large fixed-width
    // type, the advice. Public for tests.
    void PrintKey(QPagedPaintDevice* pDevice) const;
    // 另存为 PDF...: true when a PDF was written.
    bool SaveKeyAsPdf();

private:
    void CopyKey();
    void PrintKeyOnPrinter();

    QLabel* m_pKeyLabel;
    QCheckBox* m_pWrittenCheck;
    QPushButton* m_pOkButton;
    QString m_strShown;
    QString m_strKey;  // as the core words it, one line
};

// Shows the recovery key text (as the core gives it) over pParent until
// the user has ticked the check box and pressed OK; the text made from
// keyText is wiped before it returns.
void ShowRecoveryKey(const CSecretBytes& keyText, QWidget* pParent);

}  // namespace quovex
