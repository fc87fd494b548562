// The window's words for the versions of one stored file: the tree's item,
// the versions dialog's rows, and what resolving them left undone.
// Stateless; any thread.
#pragma once

#include <QString>
#include <QStringList>

#include "StoredVersions.h"
#include "VersionsResolve.h"

namespace quovex {

// The tree's text of a stored file of nCount versions: "报告.doc.$（2 个版本）".
QString VersionsItemText(const QString& strShownName, int nCount);
// The versions dialog's line above its rows.
QString VersionsDialogHeadText(const QString& strShownPath, int nCount);
// The column captions of the versions dialog: 版本, 存入时间, 大小, 摘要, 设备.
QStringList VersionColumnTexts();
// One version's row under those captions (nNumber from 1); what was not
// read reads "未知".
QStringList VersionRowTexts(int nNumber, const StoredVersion& version);
// What resolving left undone, with the paths (as shown) of the versions
// concerned; "" when everything went through.
QString ResolutionReportText(const VersionsResolution& resolution, const QStringList& vShownLeft);

}  // namespace quovex
