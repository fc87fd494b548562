// The menus and the string table of the program.
#include "DialogTemplate.h"

namespace quovex {

namespace {

constexpr MenuItemTemplate SEPARATOR = {0, ""};

constexpr MenuItemTemplate FILE_ITEMS[] = {
    {RES_CMD_STORE_FILES, "存入文件(&I)...", "Ctrl+I"},
    {RES_CMD_STORE_FOLDER, "存入文件夹(&D)...", "Ctrl+Shift+I"},
    SEPARATOR,
    {RES_CMD_FIND, "查找", "Ctrl+F"},
    {RES_CMD_REFRESH, "刷新", "F5"},
    {RES_CMD_RESOLVE, "解决冲突..."},
    SEPARATOR,
    {RES_CMD_SETTINGS, "参数设置...", "Ctrl+,"},
    SEPARATOR,
    {RES_CMD_CHANGE_PASSWORD, "修改口令..."},
    {RES_CMD_PROTECT_VAULT, "加密保护此保险柜..."},
    {RES_CMD_HIDE_NAMES, "隐藏此保险柜的文件名..."},
    SEPARATOR,
    {RES_CMD_LOCK, "锁定", "Ctrl+L"},
    {RES_CMD_EXIT, "退出", "Ctrl+Q"},
};

constexpr MenuItemTemplate HELP_ITEMS[] = {
    {RES_CMD_HELP, "帮助与索引", "F1"},
    SEPARATOR,
    {RES_CMD_ABOUT, "关于Merovik保险柜..."},
};

constexpr MenuPopupTemplate MAIN_POPUPS[] = {
    {"文件[&F]", FILE_ITEMS},
    {"帮助[&H]", HELP_ITEMS},
};

constexpr MenuItemTemplate CONTEXT_ITEMS[] = {
    {RES_CMD_OPEN, "打开"},
    SEPARATOR,
    {RES_CMD_RESTORE, "还原"},
    {RES_CMD_RESTORE_TO, "还原到..."},
    SEPARATOR,
    {RES_CMD_DELETE, "删除"},
    {RES_CMD_RESOLVE, "解决冲突..."},
    SEPARATOR,
    {RES_CMD_PROPERTIES, "属性"},
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
    {RES_STR_ABOUT_ITEM, "关于Merovik保险柜(&A)..."},
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
