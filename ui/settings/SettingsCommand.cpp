#include "SettingsCommand.h"

#include <QCoreApplication>

#include "NormalPage.h"
#include "SetPropertySheet.h"
#include "VaultSettings.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(SettingsCommand)
};

}  // namespace

int RunSettingsCommand(COpenVault& vault, CVaultSettings& settings, QWidget* pOwner) {
    // The framework places a sheet without a parent over the main window;
    // here that owner is named, so the sheet is modal over it and centred on it.
    CSetPropertySheet sheet(Words::tr("参数设置"), pOwner, 0);
    auto* pPage = new CNormalPage(vault, settings);
    sheet.AddPage(pPage);
    const int nResult = sheet.exec();
    if (nResult == QDialog::Accepted && !settings.m_bSettingsChanged)
        TakeOverSettings(*pPage, vault, settings);
    return nResult;
}

}  // namespace quovex
