// One page of a property sheet (SetPropertySheet.h): it loads its controls
// when first shown, tells the sheet whether it holds changes, and takes
// its values over when the sheet applies. Interface thread.
#pragma once

#include <QWidget>

namespace quovex {

class CPropertyPage : public QWidget {
    Q_OBJECT
public:
    explicit CPropertyPage(QWidget* pParent = nullptr);

    // Marks the page as holding changes (or not); the sheet enables its
    // Apply button while any page is marked.
    void SetModified(bool bChanged = true);
    bool IsModified() const { return m_bModified; }

    // True once the page has been shown and has loaded its controls. The
    // sheet applies only such pages, as the others hold nothing typed.
    bool IsInitialised() const { return m_bInitialised; }

    // Takes the page's values over (OK or Apply). False refuses them: the
    // sheet stays open on this page. The default accepts.
    virtual bool OnApply() { return true; }

signals:
    // The page's changed state is now bChanged.
    void ModifiedChanged(bool bChanged);

protected:
    // Called once, before the page is first shown: loads the controls.
    virtual void OnInitDialog() {}
    void showEvent(QShowEvent* pEvent) override;

private:
    bool m_bModified = false;
    bool m_bInitialised = false;
};

}  // namespace quovex
