#include "VersionTexts.h"

#include <QCoreApplication>
#include <QDateTime>

#include "CoreTexts.h"
#include "SizeText.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(VersionTexts)
};

}  // namespace

namespace {

QString UnknownText() {
    return Words::tr("未知");
}

}  // namespace

QString VersionsItemText(const QString& strShownName, int nCount) {
    // One arg() for both: a name that holds "%2" stays as it is.
    return Words::tr("%1（%n 个版本）", nullptr, nCount).arg(strShownName);
}

QString VersionsDialogHeadText(const QString& strShownPath, int nCount) {
    return Words::tr("文件：%1\n有 %n 个版本（在两台电脑上分别存入，或同步软件留下的冲突副本）。",
                     nullptr, nCount)
        .arg(strShownPath);
}

QStringList VersionColumnTexts() {
    return {Words::tr("版本"), Words::tr("存入时间"), Words::tr("大小"),
            Words::tr("摘要"), Words::tr("设备"),     Words::tr("原位置")};
}

QStringList VersionRowTexts(int nNumber, const StoredVersion& version) {
    const QString strNumber = QString::number(nNumber);
    const QString strDevice = QString::fromStdString(version.strDevice);
    if (!version.bRead)
        return {strNumber, UnknownText(), UnknownText(), UnknownText(), strDevice, UnknownText()};
    // To the second: two machines' stores of one name are often minutes apart at most.
    const QString strTime = QDateTime::fromSecsSinceEpoch(version.nStoredTime)
                                .toString(Words::tr("yyyy年M月d日 HH:mm:ss"));
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
                               ? Words::tr("版本在此期间有了变化，请刷新后再试")
                               : FailReasonText(result.cause);
    QString strText = Words::tr("冲突没有完全解决（%1）。").arg(strWhy);
    if (!vShownLeft.isEmpty())
        strText += Words::tr("\n以下版本保持原样：\n") + vShownLeft.join(QLatin1Char('\n'));
    return strText;
}

}  // namespace quovex
