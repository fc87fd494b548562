// The wait cursor over the whole application while a guard lives.
// Interface thread only.
#pragma once

#include <QApplication>
#include <QCursor>

namespace quovex {

class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace quovex
