#include "VersionTexts.h"

#include <QDateTime>

#include "CoreTexts.h"
#include "SizeText.h"

namespace quovex {

namespace {

const QString UNKNOWN = QStringLiteral("未知");

}  // namespace

QString VersionsItemText(const QString& strShownName, int nCount) {
    // One arg() for both: a name that holds "%2" stays as it is.
    return QStringLiteral("%1（%2 个版本）").arg(strShownName, QString::number(nCount));
}

QString VersionsDialogHeadText(const QString& strShownPath, int nCount) {
    return QStringLiteral(
               "文件：%1\n有 %2 个版本（在两台电脑上分别存入，或同步软件留下的冲突副本）。")
        .arg(strShownPath, QString::number(nCount));
}

QStringList VersionColumnTexts() {
    return {QStringLiteral("版本"), QStringLiteral("存入时间"), QStringLiteral("大小"),
            QStringLiteral("摘要"), QStringLiteral("设备"),     QStringLiteral("原位置")};
}

QStringList VersionRowTexts(int nNumber, const StoredVersion& version) {
    const QString strNumber = QString::number(nNumber);
    const QString strDevice = QString::fromStdString(version.strDevice);
    if (!version.bRead) return {strNumber, UNKNOWN, UNKNOWN, UNKNOWN, strDevice, UNKNOWN};
    // To the second: two machines' stores of one name are often minutes apart at most.
    const QString strTime = QDateTime::fromSecsSinceEpoch(version.nStoredTime)
                                .toString(QStringLiteral("yyyy年M月d日 HH:mm:ss"));
    return {strNumber,
            strTime,
            QString::fromStdString(FormatSizeText(version.nPlainSize)),
            QString::fromStdString(version.strSummary),
            strDevice,
            QString::fromStdString(version.strSourcePath)};
}

QString ResolutionReportText(const VersionsResolution& resolution, const QStringList& vShownLeft) {
    const FileResult& result = resolution.result;
    if (result.nOutcome == FileOutcome::FILE_DONE) return {};
    const QString strWhy = result.nOutcome == FileOutcome::FILE_CHANGED
                               ? QStringLiteral("版本在此期间有了变化，请刷新后再试")
                               : FailReasonText(result.cause);
    QString strText = QStringLiteral("冲突没有完全解决（%1）。").arg(strWhy);
    if (!vShownLeft.isEmpty())
        strText += QStringLiteral("\n以下版本保持原样：\n") + vShownLeft.join(QLatin1Char('\n'));
    return strText;
}

}  // namespace quovex
