// The about box. Interface thread.
#pragma once

#include <QDialog>

namespace quovex {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};

}  // namespace quovex
