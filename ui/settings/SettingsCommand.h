// The settings command of the main window's File menu. Interface thread.
#pragma once

class QWidget;

namespace quovex {

class COpenVault;
class CVaultSettings;

// Runs the settings sheet with its general page modally over pOwner, on
// the open vault and the settings record. Once the sheet has closed with
// OK, the page's values are taken over again if the settings are not yet
// marked as changed (applying the page already does that, so this only
// catches a page that was never applied). Returns the sheet's result
// (QDialog::Accepted or Rejected).
int RunSettingsCommand(COpenVault& vault, CVaultSettings& settings, QWidget* pOwner);

}  // namespace quovex
