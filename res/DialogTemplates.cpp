// The dialog templates of the program. Rectangles are x, y, width, height
// in dialog units; controls stand in tab order.
#include <QtGlobal>

#include "DialogTemplate.h"

namespace quovex {

namespace {

constexpr char FONT_SONG[] = "宋体";

constexpr ControlTemplate ABOUT_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_ICON, "", 11, 17, 20, 20},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates", "Merovik保险柜 1.0 版"), 40, 10, 119, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "Tandrel", 40, 25, 119, 8},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "确定"), 178, 7,
     50, 14, STYLE_DEFAULT},
};

constexpr ControlTemplate MAIN_CONTROLS[] = {
    {1000, ControlKind::CONTROL_LIST, "", 7, 6, 88, 85, STYLE_BORDER | STYLE_ACCEPT_DROP},
    {RES_ID_FIND_TEXT, ControlKind::CONTROL_EDIT, "", 7, 100, 88, 12, STYLE_AUTO_HSCROLL},
    {1003, ControlKind::CONTROL_TREE, "", 7, 114, 88, 84, STYLE_BORDER},
    {1002, ControlKind::CONTROL_LABEL, "Tandrel", 7, 204, 85, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "内容："), 7, 89, 40,
     8},
};

constexpr ControlTemplate LOGIN_CONTROLS[] = {
    {1004, ControlKind::CONTROL_EDIT, "", 48, 44, 150, 14, STYLE_AUTO_HSCROLL},
    {1005, ControlKind::CONTROL_EDIT, "", 48, 63, 150, 14, STYLE_AUTO_HSCROLL | STYLE_PASSWORD},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "确定"), 123, 89,
     44, 14, STYLE_DEFAULT},
    {RES_ID_CANCEL, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "放弃"), 177,
     89, 43, 14},
    {RES_ID_FORGOT_PASSWORD, ControlKind::CONTROL_PUSH_BUTTON,
     QT_TRANSLATE_NOOP("Templates", "忘记口令..."), 7, 89, 60, 14},
    {1011, ControlKind::CONTROL_EDIT, "", 48, 13, 150, 14, STYLE_AUTO_HSCROLL},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "户名(&U)："), 12,
     47, 34, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "口令(&P)："), 12,
     64, 34, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "保险柜(&V):"), 6,
     15, 42, 8},
    {1020, ControlKind::CONTROL_PUSH_BUTTON, "...", 197, 13, 14, 14},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, QT_TRANSLATE_NOOP("Templates", "登录"), 7, 31,
     213, 53},
};

constexpr ControlTemplate SETTINGS_PAGE_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates", "保险柜存放位置(&L):"), 7, 17, 64, 8},
    {1007, ControlKind::CONTROL_EDIT, "", 73, 14, 162, 14, STYLE_AUTO_HSCROLL},
    {1008, ControlKind::CONTROL_PUSH_BUTTON, "...", 234, 14, 14, 14},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, QT_TRANSLATE_NOOP("Templates", " 系统参数"), 7,
     37, 241, 99},
    {1009, ControlKind::CONTROL_CHECK_BOX,
     QT_TRANSLATE_NOOP("Templates", "放入保险柜后自动删除源文件"), 17, 52, 170, 10},
    {1010, ControlKind::CONTROL_CHECK_BOX,
     QT_TRANSLATE_NOOP("Templates", "保存登录户名,以便再次登录节省时间"), 17, 67, 191, 10},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates", "空闲多少分钟后锁定"), 17, 85, 80, 8},
    {1012, ControlKind::CONTROL_SPIN, "", 100, 82, 40, 14},
};

constexpr ControlTemplate FILE_INFO_CONTROLS[] = {
    {1016, ControlKind::CONTROL_EDIT, "", 65, 14, 158, 14, STYLE_READ_ONLY | STYLE_AUTO_HSCROLL},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, QT_TRANSLATE_NOOP("Templates", "文档信息"), 7,
     42, 224, 130},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "原位置:"), 23, 60,
     27, 8},
    {1013, ControlKind::CONTROL_LABEL, "", 63, 60, 161, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "大　小："), 23, 76,
     31, 8},
    {1014, ControlKind::CONTROL_LABEL, "", 63, 76, 134, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "归档日期："), 23,
     92, 38, 8},
    // Two lines: the storage date, and the source's time where it is known.
    {1015, ControlKind::CONTROL_LABEL, "", 63, 92, 161, 18},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "摘要"), 23, 112, 40,
     8},
    {1011, ControlKind::CONTROL_EDIT, "", 22, 124, 198, 35, STYLE_AUTO_HSCROLL},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "关闭"), 181, 183,
     50, 14, STYLE_DEFAULT},
};

constexpr ControlTemplate DIR_INFO_CONTROLS[] = {
    {1011, ControlKind::CONTROL_EDIT, "", 50, 9, 166, 14, STYLE_READ_ONLY | STYLE_AUTO_HSCROLL},
    {1017, ControlKind::CONTROL_LABEL, "Static", 50, 33, 25, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, QT_TRANSLATE_NOOP("Templates", "目录信息"), 7,
     48, 209, 56},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "大小:"), 18, 66, 34,
     8},
    {1014, ControlKind::CONTROL_LABEL, "", 66, 66, 138, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, QT_TRANSLATE_NOOP("Templates", "建立日期:"), 18, 81,
     35, 8},
    {1015, ControlKind::CONTROL_LABEL, "", 66, 81, 135, 8},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "关闭"), 166, 113,
     50, 14, STYLE_DEFAULT},
};

constexpr ControlTemplate PROGRESS_CONTROLS[] = {
    {1022, ControlKind::CONTROL_LABEL, "Static", 7, 19, 201, 8},
    {1021, ControlKind::CONTROL_PROGRESS, "", 7, 34, 201, 12},
    {RES_ID_CANCEL, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "取消"), 158,
     65, 50, 14},
};

constexpr std::uint32_t STYLE_SECRET = STYLE_AUTO_HSCROLL | STYLE_PASSWORD;

// The password dialogs' rows: a caption at the left, level with the text
// of the edit beside it whose top is at yEdit.
constexpr ControlTemplate RowCaption(const char* pszText, int yEdit) {
    return {RES_ID_STATIC, ControlKind::CONTROL_LABEL, pszText, 8, yEdit + 3, 53, 8};
}
constexpr ControlTemplate SecretRowEdit(int nId, int yEdit, int cx) {
    return {nId, ControlKind::CONTROL_EDIT, "", 62, yEdit, cx, 14, STYLE_SECRET};
}

// The default button that carries a dialog out, and "放弃" beside it.
constexpr ControlTemplate OkButton(const char* pszText, int x, int y, int cx) {
    return {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, pszText, x, y, cx, 14, STYLE_DEFAULT};
}
constexpr ControlTemplate CancelButton(int x, int y, int cx) {
    return {RES_ID_CANCEL,
            ControlKind::CONTROL_PUSH_BUTTON,
            QT_TRANSLATE_NOOP("Templates", "放弃"),
            x,
            y,
            cx,
            14};
}

constexpr ControlTemplate NEW_VAULT_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates", "这个位置还没有保险柜，将新建一个。"), 11, 10, 205, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates", "请再次输入口令(&A)："), 11, 28, 68, 8},
    {RES_ID_NEW_PASSWORD_AGAIN, ControlKind::CONTROL_EDIT, "", 80, 25, 136, 14, STYLE_SECRET},
    {RES_ID_STRENGTH, ControlKind::CONTROL_LABEL, "", 80, 41, 136, 8},
    {RES_ID_PROTECT_CHECK, ControlKind::CONTROL_CHECK_BOX,
     QT_TRANSLATE_NOOP("Templates", "加密保护（推荐）"), 11, 55, 150, 10},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates",
                       "加密保护的保险柜用真正的加密保存文件，并给出恢复密钥；\n不加密保护的保险柜"
                       "与以前的版本相同，"
                       "只把文件打乱。"),
     11, 69, 210, 18},
    OkButton(QT_TRANSLATE_NOOP("Templates", "新建"), 123, 97, 44),
    CancelButton(177, 97, 43),
};

constexpr ControlTemplate RECOVERY_KEY_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates",
                       "这是保险柜的恢复密钥，只显示这一次。\n忘记口令时，凭它可以设置新口令，重新"
                       "打开保险柜。\n请把"
                       "它抄在纸上，与电脑分开保管：得到它的人也能打开保险柜。"),
     11, 8, 250, 26},
    {RES_ID_RECOVERY_KEY, ControlKind::CONTROL_LABEL, "", 11, 40, 250, 42},
    {RES_ID_KEY_WRITTEN_CHECK, ControlKind::CONTROL_CHECK_BOX,
     QT_TRANSLATE_NOOP("Templates", "我已抄下恢复密钥(&W)"), 11, 92, 150, 10},
    {RES_ID_COPY_KEY, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "复制(&C)"),
     11, 110, 40, 14},
    {RES_ID_PRINT_KEY, ControlKind::CONTROL_PUSH_BUTTON,
     QT_TRANSLATE_NOOP("Templates", "打印(&P)..."), 55, 110, 48, 14},
    {RES_ID_SAVE_KEY_PDF, ControlKind::CONTROL_PUSH_BUTTON,
     QT_TRANSLATE_NOOP("Templates", "另存为 PDF(&S)..."), 107, 110, 70, 14},
    OkButton(QT_TRANSLATE_NOOP("Templates", "确定"), 211, 110, 50),
};

constexpr ControlTemplate FORGOT_PASSWORD_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates", "请输入保险柜的恢复密钥，并设置新口令："), 11, 8, 240, 8},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "恢复密钥(&K)："), 24),
    {RES_ID_RECOVERY_KEY, ControlKind::CONTROL_EDIT, "", 62, 24, 200, 14, STYLE_AUTO_HSCROLL},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "新口令(&N)："), 44),
    SecretRowEdit(RES_ID_NEW_PASSWORD, 44, 200),
    {RES_ID_STRENGTH, ControlKind::CONTROL_LABEL, "", 62, 60, 200, 8},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "再次输入(&A)："), 72),
    SecretRowEdit(RES_ID_NEW_PASSWORD_AGAIN, 72, 200),
    OkButton(QT_TRANSLATE_NOOP("Templates", "确定"), 158, 94, 50),
    CancelButton(212, 94, 50),
};

constexpr ControlTemplate RESOLVE_VERSIONS_CONTROLS[] = {
    {RES_ID_VERSIONS_TEXT, ControlKind::CONTROL_LABEL, "", 7, 7, 346, 18},
    {RES_ID_VERSIONS_LIST, ControlKind::CONTROL_TREE, "", 7, 28, 346, 100, STYLE_BORDER},
    {RES_ID_KEEP_SELECTED, ControlKind::CONTROL_PUSH_BUTTON,
     QT_TRANSLATE_NOOP("Templates", "保留所选版本"), 7, 136, 70, 14},
    {RES_ID_KEEP_ALL, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "全部保留"),
     82, 136, 60, 14},
    {RES_ID_OPEN_VERSION, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "打开"),
     147, 136, 50, 14},
    {RES_ID_CANCEL, ControlKind::CONTROL_PUSH_BUTTON, QT_TRANSLATE_NOOP("Templates", "取消"), 303,
     136, 50, 14},
};

constexpr ControlTemplate CHANGE_PASSWORD_CONTROLS[] = {
    RowCaption(QT_TRANSLATE_NOOP("Templates", "原口令(&O)："), 10),
    SecretRowEdit(RES_ID_OLD_PASSWORD, 10, 154),
    RowCaption(QT_TRANSLATE_NOOP("Templates", "新口令(&N)："), 30),
    SecretRowEdit(RES_ID_NEW_PASSWORD, 30, 154),
    {RES_ID_STRENGTH, ControlKind::CONTROL_LABEL, "", 62, 46, 154, 8},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "再次输入(&A)："), 58),
    SecretRowEdit(RES_ID_NEW_PASSWORD_AGAIN, 58, 154),
    OkButton(QT_TRANSLATE_NOOP("Templates", "确定"), 123, 89, 44),
    CancelButton(177, 89, 43),
};

constexpr ControlTemplate PROTECT_VAULT_CONTROLS[] = {
    {RES_ID_PROTECT_TEXT, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates",
                       "加密保护会把保险柜中的每个文件改写成加密的格式，并换一个新口令：\n"
                       "原来的口令会从没有加密保护的文件（包括它们的备份）中泄露出来。\n"

                       "改写可以中途取消，再次运行即可完成。\n"
                       "改写之前会显示恢复密钥，请准备好纸笔。"),
     11, 8, 260, 34},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "现在的口令(&C)："), 48),
    SecretRowEdit(RES_ID_PASSWORD, 48, 180),
    RowCaption(QT_TRANSLATE_NOOP("Templates", "新口令(&N)："), 66),
    SecretRowEdit(RES_ID_NEW_PASSWORD, 66, 180),
    {RES_ID_STRENGTH, ControlKind::CONTROL_LABEL, "", 62, 82, 180, 8},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "再次输入(&A)："), 94),
    SecretRowEdit(RES_ID_NEW_PASSWORD_AGAIN, 94, 180),
    OkButton(QT_TRANSLATE_NOOP("Templates", "开始"), 168, 114, 50),
    CancelButton(222, 114, 50),
};

constexpr ControlTemplate OLD_PASSWORD_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates",
                       "保险柜中还有没有加密保护的文件，它们是用原来的口令存入的。\n"
                       "请输入原来的口令，以便转换它们（转换完就不再需要它）："),
     11, 8, 250, 26},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "原口令(&O)："), 40),
    SecretRowEdit(RES_ID_OLD_PASSWORD, 40, 190),
    OkButton(QT_TRANSLATE_NOOP("Templates", "开始"), 150, 64, 50),
    CancelButton(204, 64, 50),
};

constexpr ControlTemplate HIDE_NAMES_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL,
     QT_TRANSLATE_NOOP("Templates",
                       "保险柜中所有文件夹和文件的名字都将加密隐藏，口令不变。\n"
                       "完成后会显示新的恢复密钥，原来的恢复密钥从此失效。\n"
                       "请输入登录时的口令："),
     11, 8, 250, 36},
    RowCaption(QT_TRANSLATE_NOOP("Templates", "口令："), 48),
    SecretRowEdit(RES_ID_PASSWORD, 48, 190),
    OkButton(QT_TRANSLATE_NOOP("Templates", "开始"), 150, 72, 50),
    CancelButton(204, 72, 50),
};

constexpr DialogTemplate DIALOG_TEMPLATES[] = {
    {RES_DLG_ABOUT, QT_TRANSLATE_NOOP("Templates", "关于Merovik保险柜"), 235, 55, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, ABOUT_CONTROLS},
    {RES_DLG_MAIN, QT_TRANSLATE_NOOP("Templates", "Merovik保险柜"), 102, 219, FONT_SONG, 9,
     DLGSTYLE_RESIZABLE, RES_MENU_MAIN, MAIN_CONTROLS},
    {RES_DLG_LOGIN, QT_TRANSLATE_NOOP("Templates", "登陆Merovik保险柜"), 227, 110, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, LOGIN_CONTROLS},
    {RES_DLG_SETTINGS_PAGE, QT_TRANSLATE_NOOP("Templates", "普通"), 255, 143, FONT_SONG, 10,
     DLGSTYLE_CHILD_PAGE, 0, SETTINGS_PAGE_CONTROLS},
    {RES_DLG_FILE_INFO, QT_TRANSLATE_NOOP("Templates", "文件属性"), 238, 204, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, FILE_INFO_CONTROLS},
    {RES_DLG_DIR_INFO, QT_TRANSLATE_NOOP("Templates", "目录属性"), 223, 134, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, DIR_INFO_CONTROLS},
    {RES_DLG_PROGRESS, QT_TRANSLATE_NOOP("Templates", "处理进度"), 215, 86, FONT_SONG, 10,
     DLGSTYLE_NO_CLOSE_BOX, 0, PROGRESS_CONTROLS},
    {RES_DLG_NEW_VAULT, QT_TRANSLATE_NOOP("Templates", "新建保险柜"), 227, 118, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, NEW_VAULT_CONTROLS},
    {RES_DLG_RECOVERY_KEY, QT_TRANSLATE_NOOP("Templates", "恢复密钥"), 270, 131, FONT_SONG, 10,
     DLGSTYLE_NO_CLOSE_BOX, 0, RECOVERY_KEY_CONTROLS},
    {RES_DLG_FORGOT_PASSWORD, QT_TRANSLATE_NOOP("Templates", "忘记口令"), 270, 115, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, FORGOT_PASSWORD_CONTROLS},
    {RES_DLG_CHANGE_PASSWORD, QT_TRANSLATE_NOOP("Templates", "修改口令"), 227, 110, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, CHANGE_PASSWORD_CONTROLS},
    {RES_DLG_PROTECT_VAULT, QT_TRANSLATE_NOOP("Templates", "加密保护此保险柜"), 280, 135, FONT_SONG,
     10, DLGSTYLE_MODAL_FRAME, 0, PROTECT_VAULT_CONTROLS},
    {RES_DLG_OLD_PASSWORD, QT_TRANSLATE_NOOP("Templates", "转换其余的文件"), 265, 85, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, OLD_PASSWORD_CONTROLS},
    {RES_DLG_HIDE_NAMES, QT_TRANSLATE_NOOP("Templates", "隐藏此保险柜的文件名"), 265, 93, FONT_SONG,
     10, DLGSTYLE_MODAL_FRAME, 0, HIDE_NAMES_CONTROLS},
    {RES_DLG_RESOLVE_VERSIONS, QT_TRANSLATE_NOOP("Templates", "解决冲突"), 360, 157, FONT_SONG, 10,
     DLGSTYLE_MODAL_FRAME, 0, RESOLVE_VERSIONS_CONTROLS},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int nId) {
    for (const DialogTemplate& tpl : DIALOG_TEMPLATES) {
        if (tpl.nId == nId) return &tpl;
    }
    return nullptr;
}

}  // namespace quovex
