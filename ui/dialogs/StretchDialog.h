// A dialog the user can resize by its border. At its initialisation it
// remembers its size, which becomes its minimum, opens enlarged, and from
// then on keeps the controls registered with AddAnchor in place as it
// grows; a size grip sits in the lower right corner. Interface thread.
#pragma once

#include <QDialog>

#include "AnchorManager.h"

namespace quovex {

class CStretchDialog : public QDialog {
    Q_OBJECT
public:
    explicit CStretchDialog(QWidget* pParent = nullptr);

    // The widget that holds the controls (the dialog itself unless a
    // menu bar sits above them); call before the dialog is first shown.
    void SetClientArea(QWidget* pClient);

    // Set-up with a growth percentage: records the current sizes in the
    // manager, fixes the minimum size and enlarges the window (see
    // EnlargedWindowRect). Call once, from OnInitDialog. Returns true.
    virtual bool InitSizing(int nGrowthPercent);

    // Registers a control of the client area; see CAnchorManager::AddAnchor.
    bool AddAnchor(QWidget* pControl, int nHorzMode, int nVertMode) {
        return m_anchors.AddAnchor(pControl, nHorzMode, nVertMode);
    }

    const CAnchorManager& Anchors() const { return m_anchors; }

protected:
    // Runs once, when the dialog is first shown, placed but not yet
    // visible. The default sets up sizing with a growth of 10.
    virtual bool OnInitDialog();

    void showEvent(QShowEvent* pEvent) override;
    // Moves the registered controls when the client area changes size,
    // except while the window is minimised.
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    CAnchorManager m_anchors;
    QWidget* m_pClient = this;
    bool m_bInitialised = false;
};

}  // namespace quovex
