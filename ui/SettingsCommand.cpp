#include "SettingsCommand.h"

#include "NormalPage.h"
#include "SetPropertySheet.h"
#include "VaultApp.h"

namespace quovex {

int RunSettingsCommand(QWidget* pOwner) {
    // The framework places a sheet without a parent over the main window;
    // here that owner is named, so the sheet is modal over it and centred on it.
    CSetPropertySheet sheet(QStringLiteral("参数设置"), pOwner, 0);
    auto* pPage = new CNormalPage;
    sheet.AddPage(pPage);
    const int nResult = sheet.exec();
    const CVaultApp* pApp = CVaultApp::Instance();
    if (nResult == QDialog::Accepted && pApp && !pApp->m_bSettingsChanged) TakeOverSettings(*pPage);
    return nResult;
}

}  // namespace quovex
