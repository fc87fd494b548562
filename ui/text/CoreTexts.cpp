#include "CoreTexts.h"

#include <QCoreApplication>
#include <QFile>
#include <algorithm>
#include <cstring>
#include <limits>

#include "Boxes.h"
#include "KeyRecordFiles.h"
#include "PathText.h"
#include "SizeText.h"

namespace quovex {

namespace {

// The texts of this file, in the context the translations name.
struct Words {
    Q_DECLARE_TR_FUNCTIONS(CoreTexts)
};

}  // namespace

namespace {

QString PathText(const std::string& strPath) {
    return QFile::decodeName(QByteArray::fromStdString(strPath));
}

bool IsKeyRecordPath(const std::string& strPath) {
    const std::string strName = LastComponent(strPath);
    return strName == KEY_RECORD_NAME || strName == KEY_RECORD_COPY_NAME;
}

}  // namespace

QString QuestionText(FeedbackQuestion nQuestion, const std::string& strPath) {
    QString strQuestion;
    switch (nQuestion) {
        case FeedbackQuestion::QUESTION_STORED_EXISTS:
            strQuestion = Words::tr("目标文件已经在保险柜存在，覆盖它吗？");
            break;
        case FeedbackQuestion::QUESTION_TARGET_EXISTS:
            strQuestion = Words::tr("目标文件已经存在，覆盖它吗？");
            break;
    }
    return QStringLiteral("%1\n\n%2").arg(strQuestion, PathText(strPath));
}

QString MessageText(FeedbackMessage nMessage, const std::string& strPath, const VolumeRoom& room) {
    const auto size = [](std::uint64_t nBytes) {
        return QString::fromStdString(FormatSizeText(nBytes));
    };
    switch (nMessage) {
        case FeedbackMessage::MESSAGE_NO_DISK_SPACE:
            return Words::tr(
                       "硬盘空间不足。\n%1 所在的磁盘需要 %2，只有 %3 可用；需要的空间含须留出的 "
                       "%4。")
                .arg(PathText(strPath), size(room.nNeeded), size(room.nFree),
                     size(TRANSFER_FREE_SPACE_MARGIN));
    }
    return QString();
}

int PluralCount(std::uint64_t nCount) {
    return static_cast<int>(std::min<std::uint64_t>(nCount, std::numeric_limits<int>::max()));
}

QString FailReasonText(const FailCause& cause) {
    switch (cause.nReason) {
        case FailReason::FAIL_OTHER:
            break;
        case FailReason::FAIL_PERMISSION:
            return Words::tr("权限不够");
        case FailReason::FAIL_NO_SPACE:
            return Words::tr("磁盘已满");
        case FailReason::FAIL_READ_ONLY:
            return Words::tr("只读文件系统");
        case FailReason::FAIL_UNSUPPORTED:
            return Words::tr("文件系统不支持此操作");
        case FailReason::FAIL_NAME_TOO_LONG:
            return Words::tr("文件名太长");
        case FailReason::FAIL_NOT_FOUND:
            return Words::tr("文件或文件夹已不存在");
        case FailReason::FAIL_NOT_FOLDER:
            return Words::tr("不是文件夹");
        case FailReason::FAIL_NOT_PLAIN_FILE:
            return Words::tr("不是普通文件（链接、管道或设备）");
        case FailReason::FAIL_IO:
            return Words::tr("读写出错");
        case FailReason::FAIL_TOO_LARGE:
            return Words::tr("文件太大（须小于 4 GB）");
        case FailReason::FAIL_PATH_NOT_STORABLE:
            return Words::tr("路径太长或含有不能记录的字符");
        case FailReason::FAIL_DAMAGED:
            if (cause.nChunk >= 0)
                return Words::tr("已存文件已损坏（第 %1 块）").arg(cause.nChunk + 1);
            return Words::tr("已存文件已损坏");
        case FailReason::FAIL_NEEDS_KEY:
            return Words::tr("已加密的已存文件，须在其加密保险柜中打开");
        case FailReason::FAIL_NEWER_FORMAT:
            return Words::tr("已存文件的格式较新，本程序读不了");
        case FailReason::FAIL_OTHER_VAULT:
            return Words::tr("已存文件属于另一个保险柜，在这里打不开");
        case FailReason::FAIL_TARGET_IS_FOLDER:
            return Words::tr("目标位置是一个文件夹");
        case FailReason::FAIL_DECLINED:
            return Words::tr("已有的文件没有覆盖");
        case FailReason::FAIL_CANCELLED:
            return Words::tr("操作已取消");
    }
    if (cause.nErrno == 0) return Words::tr("其他错误");
    return Words::tr("其他错误：%1").arg(QString::fromLocal8Bit(std::strerror(cause.nErrno)));
}

QString PassReasonText(PassReason nReason) {
    switch (nReason) {
        case PassReason::PASS_IS_VAULT:
            return Words::tr("这是保险柜或其存放位置，不能存入");
        case PassReason::PASS_IN_VAULT:
            return Words::tr("位于保险柜之内，不能存入");
        case PassReason::PASS_SOURCE_CHANGED:
            return Words::tr("存入时源文件有变动，源文件已保留");
        case PassReason::PASS_BAD_RECORDED_PATH:
            return Words::tr("记录的原位置不可用");
        case PassReason::PASS_TARGET_IN_VAULT:
            return Words::tr("还原位置在保险柜之内，未还原");
        case PassReason::PASS_OLDER_VERSION:
            return Words::tr("同名文件的旧版本，只还原了最新的版本（可用“解决冲突...”处理）");
    }
    return QString();
}

QString CredentialRefusalText(const CredentialJudgement& judgement) {
    if (judgement.nVerdict != CredentialVerdict::CREDENTIALS_UNDECIDED)
        return Words::tr("户名或者口令出错。");
    const QString strFile = PathText(judgement.strStoredFile);
    if (judgement.cause.nReason == FailReason::FAIL_DAMAGED)
        return Words::tr("保险柜中的已存文件已损坏，无法核对户名和口令：\n%1").arg(strFile);
    return Words::tr("保险柜中的已存文件不能读取（%1），无法核对户名和口令：\n%2")
        .arg(FailReasonText(judgement.cause), strFile);
}

QString AccessRefusalText(const AccessOutcome& outcome) {
    const QString strFile = PathText(outcome.strPath);
    switch (outcome.nResult) {
        case AccessResult::ACCESS_OPENED:
            return QString();
        case AccessResult::ACCESS_WRONG_CREDENTIALS:
            return Words::tr("户名或者口令出错。");
        case AccessResult::ACCESS_WRONG_RECOVERY_KEY:
            return Words::tr("恢复密钥不是这个保险柜的。");
        case AccessResult::ACCESS_FIRST_FILE_DAMAGED:
            return CredentialRefusalText(
                {CredentialVerdict::CREDENTIALS_UNDECIDED, outcome.strPath, outcome.cause});
        case AccessResult::ACCESS_RECORD_DAMAGED:
            return Words::tr("保险柜的密钥记录已损坏，两份都不能使用，无法打开保险柜：\n%1")
                .arg(strFile);
        case AccessResult::ACCESS_RECORD_UNSUPPORTED:
            return Words::tr("保险柜的密钥记录来自更新的版本，或参数超出范围，本程序不能打开：\n%1")
                .arg(strFile);
        case AccessResult::ACCESS_NOT_PROTECTED:
            return Words::tr("这个保险柜没有加密保护，没有密钥记录可用。");
        case AccessResult::ACCESS_EXISTS:
            return Words::tr("这个位置已经有保险柜了。");
        case AccessResult::ACCESS_NO_MEMORY:
            return Words::tr("内存不足，无法计算保险柜的密钥。");
        case AccessResult::ACCESS_SCRAMBLED_FILES_LEFT:
            return Words::tr(
                       "保险柜中还有没有加密保护的文件，它们只能用现在的口令读出：\n%1\n"
                       "请先用“加密保护此保险柜...”转换完，再修改口令。")
                .arg(strFile);
        case AccessResult::ACCESS_RECORD_LOST:
            return Words::tr(
                       "这个位置原来是加密保护的保险柜，但密钥记录不见了：\n%1\n"
                       "没有密钥记录（.quovex-key、.quovex-key.2），那里加密保存的文件谁也打不开。"
                       "请先把密钥记录放回去（比如从备份中恢复）。")
                .arg(strFile);
        case AccessResult::ACCESS_RECORD_AWAITED:
            return Words::tr(
                       "这个位置没有密钥记录（.quovex-key），却已有加密保护的保险柜的文件"
                       "（或同步程序的文件夹）：\n%1\n"
                       "密钥记录可能还没有从另一台电脑同步过来，也可能丢失了。"
                       "请等同步完成（或把密钥记录放回去）后再打开；这里没有新建任何东西。")
                .arg(strFile);
        case AccessResult::ACCESS_PASSWORD_NEEDED:
            return Words::tr("需要输入口令才能打开那里的保险柜。");
        case AccessResult::ACCESS_PASSWORD_UNCHANGED:
            return Words::tr(
                "新口令不能是原来的口令：没有加密保护的文件（包括它们的备份）会泄露原来的口令。");
        case AccessResult::ACCESS_OTHER_VAULT_RECORD:
            return Words::tr(
                       "密钥记录 %1 属于另一个保险柜：这里的已存文件用它打不开。"
                       "什么也没有改动。")
                .arg(strFile);
        case AccessResult::ACCESS_RECORDS_OF_TWO_VAULTS:
            return Words::tr(
                       "密钥记录的两份（.quovex-key 和 .quovex-key.2）属于两个不同的保险柜，"
                       "保险柜里没有已存文件能判断哪一份是它的，因此什么也没有改动。"
                       "请把不属于这个保险柜的那一份移走：\n%1")
                .arg(strFile);
        case AccessResult::ACCESS_DISK_FAILED:
            if (IsKeyRecordPath(outcome.strPath))
                return Words::tr("读写保险柜的密钥记录出错（%1）：\n%2")
                    .arg(FailReasonText(outcome.cause), strFile);
            // The location itself, a box folder or the scrambled mark.
            return Words::tr("保险柜存放位置不能读写（%1）：\n%2")
                .arg(FailReasonText(outcome.cause), strFile);
    }
    return QString();
}

QString ForeignRecordText(const std::string& strRecord) {
    return Words::tr("密钥记录 %1 属于另一个保险柜，已原样保留；保险柜是用另一份密钥记录打开的。")
        .arg(PathText(strRecord));
}

QString BoxCaption(int nBox) {
    static const char* const BOX_CAPTIONS[BOX_COUNT] = {
        QT_TRANSLATE_NOOP("CoreTexts", "文档保险柜"), QT_TRANSLATE_NOOP("CoreTexts", "图片保险柜"),
        QT_TRANSLATE_NOOP("CoreTexts", "视频保险柜"), QT_TRANSLATE_NOOP("CoreTexts", "其他保险柜")};
    return nBox >= 0 && nBox < BOX_COUNT ? Words::tr(BOX_CAPTIONS[nBox]) : QString();
}

}  // namespace quovex
