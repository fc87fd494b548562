// Dialog templates, menus and strings of the program as plain data. A
// template lists its controls in tab order, each with its id, kind, text and
// rectangle in dialog units; DialogBuilder.h turns a template into widgets.
#pragma once

#include <cstdint>
#include <span>

namespace quovex {

// Id of every control that carries no id of its own (labels, group boxes).
constexpr int RES_ID_STATIC = -1;
// Ids of the standard buttons: the builder wires them to accept and reject.
constexpr int RES_ID_OK = 1;
constexpr int RES_ID_CANCEL = 2;

constexpr int RES_DLG_ABOUT = 100;
constexpr int RES_DLG_MAIN = 102;
constexpr int RES_DLG_LOGIN = 136;
constexpr int RES_DLG_SETTINGS_PAGE = 138;
constexpr int RES_DLG_FILE_INFO = 141;
constexpr int RES_DLG_DIR_INFO = 142;
constexpr int RES_DLG_PROGRESS = 145;
constexpr int RES_DLG_NEW_VAULT = 150;
constexpr int RES_DLG_RECOVERY_KEY = 151;
constexpr int RES_DLG_FORGOT_PASSWORD = 152;
constexpr int RES_DLG_CHANGE_PASSWORD = 153;
constexpr int RES_DLG_PROTECT_VAULT = 154;
constexpr int RES_DLG_OLD_PASSWORD = 155;  // the password the scrambled files left were stored with
constexpr int RES_DLG_HIDE_NAMES = 156;    // the password, before the vault's names are hidden
constexpr int RES_DLG_RESOLVE_VERSIONS = 157;  // the versions of one stored file, side by side

// Controls of the main window.
constexpr int RES_ID_BOX_LIST = 1000;
constexpr int RES_ID_MAIN_STATUS = 1002;  // the static text at the bottom
constexpr int RES_ID_CONTENTS_TREE = 1003;
constexpr int RES_ID_FIND_TEXT = 1050;  // the find field above the tree

// Controls of the password dialogs (the login, a new vault, the recovery
// key, a forgotten or changed password, protecting a vault).
constexpr int RES_ID_PASSWORD = 1005;         // the password as typed at the login
constexpr int RES_ID_FORGOT_PASSWORD = 1023;  // the login's "忘记口令..." button
constexpr int RES_ID_OLD_PASSWORD = 1030;
constexpr int RES_ID_NEW_PASSWORD = 1031;
constexpr int RES_ID_NEW_PASSWORD_AGAIN = 1032;
constexpr int RES_ID_RECOVERY_KEY = 1033;  // the recovery key, shown or typed
constexpr int RES_ID_PROTECT_CHECK = 1034;
constexpr int RES_ID_KEY_WRITTEN_CHECK = 1035;
constexpr int RES_ID_PROTECT_TEXT = 1036;  // what protecting the vault will do
constexpr int RES_ID_COPY_KEY = 1037;      // "复制": the recovery key onto the clipboard
constexpr int RES_ID_PRINT_KEY = 1038;     // "打印...": the recovery key printed
constexpr int RES_ID_SAVE_KEY_PDF = 1039;  // "另存为 PDF...": the recovery key in a PDF file
constexpr int RES_ID_STRENGTH = 1045;      // how strong the new password is

// Controls of the versions dialog.
constexpr int RES_ID_VERSIONS_TEXT = 1040;  // which stored file, how many versions
constexpr int RES_ID_VERSIONS_LIST = 1041;  // one row a version
constexpr int RES_ID_KEEP_SELECTED = 1042;  // "保留所选版本"
constexpr int RES_ID_KEEP_ALL = 1043;       // "全部保留"
constexpr int RES_ID_OPEN_VERSION = 1044;   // "打开" the selected version

enum class ControlKind {
    CONTROL_LABEL,        // static text
    CONTROL_GROUP_BOX,    // frame with a caption, drawn behind the controls it frames
    CONTROL_EDIT,         // single-line edit
    CONTROL_PUSH_BUTTON,  // push button
    CONTROL_CHECK_BOX,    // automatic check box
    CONTROL_PROGRESS,     // progress bar
    CONTROL_TREE,         // tree view
    CONTROL_LIST,         // list box
    CONTROL_ICON,         // static picture showing icon 128
    CONTROL_SPIN,         // whole number with up and down arrows
};

// Style bits of a control (combinable).
enum ControlStyle : std::uint32_t {
    STYLE_NONE = 0,
    STYLE_AUTO_HSCROLL = 1u << 0,  // edit scrolls instead of stopping at its right edge
    STYLE_PASSWORD = 1u << 1,      // edit masks its characters
    STYLE_READ_ONLY = 1u << 2,     // edit cannot be changed
    STYLE_DEFAULT = 1u << 3,       // the dialog's default push button
    STYLE_BORDER = 1u << 4,        // sunken frame (client edge)
    STYLE_ACCEPT_DROP = 1u << 5,   // accepts dropped files
    STYLE_NO_TAB_STOP = 1u << 6,   // focusable control left out of the tab order
};

// Style bits of a dialog.
enum DialogStyle : std::uint32_t {
    DLGSTYLE_MODAL_FRAME = 0,         // fixed size, caption, close box
    DLGSTYLE_RESIZABLE = 1u << 0,     // sizing border and minimise box
    DLGSTYLE_NO_CLOSE_BOX = 1u << 1,  // caption without system menu or close box
    DLGSTYLE_CHILD_PAGE = 1u << 2,    // a page placed inside a property sheet
};

struct ControlTemplate {
    int nId;
    ControlKind kind;
    const char* pszText;  // UTF-8, translated through "Templates"; "" for none
    int x, y, cx, cy;     // dialog units
    std::uint32_t nStyle = STYLE_NONE;
};

struct DialogTemplate {
    int nId;
    const char* pszCaption;  // UTF-8
    int cx, cy;              // dialog units
    const char* pszFontFamily;
    int nFontPointSize;
    std::uint32_t nStyle;
    int nMenuId;  // 0 for none
    std::span<const ControlTemplate> controls;
};

// The template with the given id, or nullptr.
const DialogTemplate* FindDialogTemplate(int nId);

// A menu: popups in bar order, each followed by its items. An item with
// command id 0 and no text is a separator.
constexpr int RES_MENU_MAIN = 131;
constexpr int RES_MENU_CONTEXT = 140;

// Command ids of the menu items.
constexpr int RES_CMD_EXIT = 32771;
constexpr int RES_CMD_SETTINGS = 32772;
constexpr int RES_CMD_RESTORE = 32773;
constexpr int RES_CMD_RESTORE_TO = 32774;
constexpr int RES_CMD_DELETE = 32775;
constexpr int RES_CMD_PROPERTIES = 32776;
constexpr int RES_CMD_HELP = 32777;
constexpr int RES_CMD_ABOUT = 32778;
constexpr int RES_CMD_CHANGE_PASSWORD = 32779;
constexpr int RES_CMD_PROTECT_VAULT = 32780;
constexpr int RES_CMD_OPEN = 32785;          // context menu: open the stored file
constexpr int RES_CMD_LOCK = 32786;          // File menu: lock the vault
constexpr int RES_CMD_FIND = 32790;          // focuses the find field
constexpr int RES_CMD_REFRESH = 32791;       // shows the box afresh
constexpr int RES_CMD_HIDE_NAMES = 32792;    // File menu: hide the protected vault's names
constexpr int RES_CMD_RESOLVE = 32793;       // the versions of the selected stored file resolved
constexpr int RES_CMD_STORE_FILES = 32794;   // File menu: files picked, stored into the box
constexpr int RES_CMD_STORE_FOLDER = 32795;  // File menu: a folder picked, stored into the box

struct MenuItemTemplate {
    int nCommandId;       // 0 for a separator
    const char* pszText;  // UTF-8, "&" marks the mnemonic
    // The item's key in QKeySequence's portable form ("Ctrl+F", "F5"), or
    // nullptr; the menu shows it beside the text.
    const char* pszShortcut = nullptr;
};

struct MenuPopupTemplate {
    const char* pszText;
    std::span<const MenuItemTemplate> items;
};

struct MenuTemplate {
    int nId;
    std::span<const MenuPopupTemplate> popups;
};

// The menu with the given id, or nullptr.
const MenuTemplate* FindMenuTemplate(int nId);

// String table.
constexpr int RES_STR_ABOUT_ITEM = 101;
// The string with the given id (UTF-8), or "" when there is none.
const char* LoadResString(int nId);

}  // namespace quovex
