// The menus and the string table of the program.
#include <QtGlobal>

#include "DialogTemplate.h"

namespace quovex {

namespace {

constexpr MenuItemTemplate SEPARATOR = {0, ""};

constexpr MenuItemTemplate FILE_ITEMS[] = {
    {RES_CMD_STORE_FILES, QT_TRANSLATE_NOOP("Templates", "存入文件(&I)..."), "Ctrl+I"},
    {RES_CMD_STORE_FOLDER, QT_TRANSLATE_NOOP("Templates", "存入文件夹(&D)..."), "Ctrl+Shift+I"},
    SEPARATOR,
    {RES_CMD_FIND, QT_TRANSLATE_NOOP("Templates", "查找"), "Ctrl+F"},
    {RES_CMD_REFRESH, QT_TRANSLATE_NOOP("Templates", "刷新"), "F5"},
    {RES_CMD_RESOLVE, QT_TRANSLATE_NOOP("Templates", "解决冲突...")},
    SEPARATOR,
    {RES_CMD_SETTINGS, QT_TRANSLATE_NOOP("Templates", "参数设置..."), "Ctrl+,"},
    SEPARATOR,
    {RES_CMD_CHANGE_PASSWORD, QT_TRANSLATE_NOOP("Templates", "修改口令...")},
    {RES_CMD_PROTECT_VAULT, QT_TRANSLATE_NOOP("Templates", "加密保护此保险柜...")},
    {RES_CMD_HIDE_NAMES, QT_TRANSLATE_NOOP("Templates", "隐藏此保险柜的文件名...")},
    SEPARATOR,
    {RES_CMD_LOCK, QT_TRANSLATE_NOOP("Templates", "锁定"), "Ctrl+L"},
    {RES_CMD_EXIT, QT_TRANSLATE_NOOP("Templates", "退出"), "Ctrl+Q"},
};

constexpr MenuItemTemplate HELP_ITEMS[] = {
    {RES_CMD_HELP, QT_TRANSLATE_NOOP("Templates", "帮助与索引"), "F1"},
    SEPARATOR,
    {RES_CMD_ABOUT, QT_TRANSLATE_NOOP("Templates", "关于Merovik保险柜...")},
};

constexpr MenuPopupTemplate MAIN_POPUPS[] = {
    {QT_TRANSLATE_NOOP("Templates", "文件[&F]"), FILE_ITEMS},
    {QT_TRANSLATE_NOOP("Templates", "帮助[&H]"), HELP_ITEMS},
};

constexpr MenuItemTemplate CONTEXT_ITEMS[] = {
    {RES_CMD_OPEN, QT_TRANSLATE_NOOP("Templates", "打开")},
    SEPARATOR,
    {RES_CMD_RESTORE, QT_TRANSLATE_NOOP("Templates", "还原")},
    {RES_CMD_RESTORE_TO, QT_TRANSLATE_NOOP("Templates", "还原到...")},
    SEPARATOR,
    {RES_CMD_DELETE, QT_TRANSLATE_NOOP("Templates", "删除")},
    {RES_CMD_RESOLVE, QT_TRANSLATE_NOOP("Templates", "解决冲突...")},
    SEPARATOR,
    {RES_CMD_PROPERTIES, QT_TRANSLATE_NOOP("Templates", "属性")},
};

constexpr MenuPopupTemplate CONTEXT_POPUPS[] = {
    {"_popup_", CONTEXT_ITEMS},
};

constexpr MenuTemplate MENU_TEMPLATES[] = {
    {RES_MENU_MAIN, MAIN_POPUPS},
    {RES_MENU_CONTEXT, CONTEXT_POPUPS},
};

struct StringEntry {
    int nId;
    const char* pszText;
};

constexpr StringEntry STRING_TABLE[] = {
    {RES_STR_ABOUT_ITEM, QT_TRANSLATE_NOOP("Templates", "关于Merovik保险柜(&A)...")},
};

}  // namespace

const MenuTemplate* FindMenuTemplate(int nId) {
    for (const MenuTemplate& menu : MENU_TEMPLATES) {
        if (menu.nId == nId) return &menu;
    }
    return nullptr;
}

const char* LoadResString(int nId) {
    for (const StringEntry& entry : STRING_TABLE) {
        if (entry.nId == nId) return entry.pszText;
    }
    return "";
}

}  // namespace quovex
