// The dialog templates of the program. Rectangles are x, y, width, height
// in dialog units; controls stand in tab order.
#include "DialogTemplate.h"

namespace quovex {

namespace {

constexpr char FONT_SONG[] = "宋体";

constexpr ControlTemplate ABOUT_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_ICON, "", 11, 17, 20, 20},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "Merovik保险柜 1.0 版", 40, 10, 119, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "Tandrel", 40, 25, 119, 8},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, "确定", 178, 7, 50, 14, STYLE_DEFAULT},
};

constexpr ControlTemplate MAIN_CONTROLS[] = {
    {1000, ControlKind::CONTROL_LIST, "", 7, 6, 88, 85, STYLE_BORDER | STYLE_ACCEPT_DROP},
    {1003, ControlKind::CONTROL_TREE, "", 7, 102, 88, 96, STYLE_BORDER},
    {1002, ControlKind::CONTROL_LABEL, "Tandrel", 7, 204, 85, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "内容：", 7, 89, 25, 8},
};

constexpr ControlTemplate LOGIN_CONTROLS[] = {
    {1004, ControlKind::CONTROL_EDIT, "", 48, 44, 150, 14, STYLE_AUTO_HSCROLL},
    {1005, ControlKind::CONTROL_EDIT, "", 48, 63, 150, 14, STYLE_AUTO_HSCROLL | STYLE_PASSWORD},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, "确定", 123, 89, 44, 14, STYLE_DEFAULT},
    {RES_ID_CANCEL, ControlKind::CONTROL_PUSH_BUTTON, "放弃", 177, 89, 43, 14},
    {1011, ControlKind::CONTROL_EDIT, "", 48, 13, 150, 14, STYLE_AUTO_HSCROLL},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "户名：", 19, 47, 24, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "口令：", 18, 64, 23, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "保险柜:", 11, 15, 33, 8},
    {1020, ControlKind::CONTROL_PUSH_BUTTON, "...", 197, 13, 14, 14},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, "登录", 7, 31, 213, 53},
};

constexpr ControlTemplate SETTINGS_PAGE_CONTROLS[] = {
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "保险柜存放位置:", 7, 17, 62, 8},
    {1007, ControlKind::CONTROL_EDIT, "", 73, 14, 162, 14, STYLE_AUTO_HSCROLL},
    {1008, ControlKind::CONTROL_PUSH_BUTTON, "...", 234, 14, 14, 14},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, " 系统参数", 7, 37, 241, 99},
    {1009, ControlKind::CONTROL_CHECK_BOX, "放入保险箱后自动删除源文件", 17, 52, 170, 10},
    {1010, ControlKind::CONTROL_CHECK_BOX, "保存登录户名,以便再次登录节省时间", 17, 67, 191, 10},
};

constexpr ControlTemplate FILE_INFO_CONTROLS[] = {
    {1016, ControlKind::CONTROL_EDIT, "", 65, 14, 158, 14, STYLE_READ_ONLY | STYLE_AUTO_HSCROLL},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, "文档信息", 7, 42, 224, 130},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "原位置:", 23, 60, 27, 8},
    {1013, ControlKind::CONTROL_LABEL, "", 63, 60, 161, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "大　小：", 23, 76, 31, 8},
    {1014, ControlKind::CONTROL_LABEL, "", 63, 76, 134, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "归档日期：", 23, 92, 38, 8},
    {1015, ControlKind::CONTROL_LABEL, "", 63, 92, 105, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "摘要", 23, 112, 16, 8},
    {1011, ControlKind::CONTROL_EDIT, "", 22, 124, 198, 35, STYLE_AUTO_HSCROLL},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, "关闭", 181, 183, 50, 14, STYLE_DEFAULT},
};

constexpr ControlTemplate DIR_INFO_CONTROLS[] = {
    {1011, ControlKind::CONTROL_EDIT, "", 50, 9, 166, 14, STYLE_READ_ONLY | STYLE_AUTO_HSCROLL},
    {1017, ControlKind::CONTROL_LABEL, "Static", 50, 33, 25, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_GROUP_BOX, "目录信息", 7, 48, 209, 56},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "大小:", 18, 66, 34, 8},
    {1014, ControlKind::CONTROL_LABEL, "", 66, 66, 138, 8},
    {RES_ID_STATIC, ControlKind::CONTROL_LABEL, "建立日期:", 18, 81, 35, 8},
    {1015, ControlKind::CONTROL_LABEL, "", 66, 81, 135, 8},
    {RES_ID_OK, ControlKind::CONTROL_PUSH_BUTTON, "关闭", 166, 113, 50, 14, STYLE_DEFAULT},
};

constexpr ControlTemplate PROGRESS_CONTROLS[] = {
    {1022, ControlKind::CONTROL_LABEL, "Static", 7, 19, 201, 8},
    {1021, ControlKind::CONTROL_PROGRESS, "", 7, 34, 201, 12},
    {RES_ID_CANCEL, ControlKind::CONTROL_PUSH_BUTTON, "取消", 158, 65, 50, 14},
};

constexpr DialogTemplate DIALOG_TEMPLATES[] = {
    {RES_DLG_ABOUT, "关于Merovik保险柜", 235, 55, FONT_SONG, 10, DLGSTYLE_MODAL_FRAME, 0,
     ABOUT_CONTROLS},
    {RES_DLG_MAIN, "Merovik保险柜", 102, 219, FONT_SONG, 9, DLGSTYLE_RESIZABLE, RES_MENU_MAIN,
     MAIN_CONTROLS},
    {RES_DLG_LOGIN, "登陆Merovik保险柜", 227, 110, FONT_SONG, 10, DLGSTYLE_MODAL_FRAME, 0,
     LOGIN_CONTROLS},
    {RES_DLG_SETTINGS_PAGE, "普通", 255, 143, FONT_SONG, 10, DLGSTYLE_CHILD_PAGE, 0,
     SETTINGS_PAGE_CONTROLS},
    {RES_DLG_FILE_INFO, "文件属性", 238, 204, FONT_SONG, 10, DLGSTYLE_MODAL_FRAME, 0,
     FILE_INFO_CONTROLS},
    {RES_DLG_DIR_INFO, "目录属性", 223, 134, FONT_SONG, 10, DLGSTYLE_MODAL_FRAME, 0,
     DIR_INFO_CONTROLS},
    {RES_DLG_PROGRESS, "处理进度", 215, 86, FONT_SONG, 10, DLGSTYLE_NO_CLOSE_BOX, 0,
     PROGRESS_CONTROLS},
};

}  // namespace

const DialogTemplate* FindDialogTemplate(int nId) {
    for (const DialogTemplate& tpl : DIALOG_TEMPLATES) {
        if (tpl.nId == nId) return &tpl;
    }
    return nullptr;
}

}  // namespace quovex
