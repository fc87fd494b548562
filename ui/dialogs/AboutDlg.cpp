#include "AboutDlg.h"

#include "DialogBuilder.h"

namespace quovex {

CAboutDlg::CAboutDlg(QWidget* pParent) : QDialog(pParent) {
    BuildDialog(this, RES_DLG_ABOUT);
}

}  // namespace quovex
